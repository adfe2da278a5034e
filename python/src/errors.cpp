// SPDX-License-Identifier: MIT
#include "errors.h"

#include "text.h"

namespace reuseblocks::python {

namespace {

[[noreturn]] void Raise(const py::object& exception) {
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception.ptr())), exception.ptr());
    throw py::error_already_set();
}

py::object Errors() {
    return py::module_::import("reuseblocks._errors");
}

}  // namespace

void RaiseStale(const char* what) {
    Raise(Errors().attr("StaleError")(what));
}

void RaiseBusy() {
    throw std::runtime_error("the BlocksFile is being loaded or written by another thread");
}

void RaiseLoadError(py::handle path, const LoadReport& report) {
    Raise(Errors().attr("_load_error")(path, report.result, LoadResultName(report.result),
                                       report.line, ToPython(report.message)));
}

void RaiseWriteError(py::handle path, const WriteReport& report) {
    Raise(Errors().attr("_write_error")(path, static_cast<int>(report.step),
                                        WriteStepName(report.step), report.systemError,
                                        ToPython(report.message)));
}

void RaiseRoundTripError(py::handle path, const py::list& problems, bool checked) {
    Raise(Errors().attr("RoundTripError")(path, problems, py::arg("checked") = checked));
}

}  // namespace reuseblocks::python
