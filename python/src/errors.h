// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_ERRORS_H
#define REUSEBLOCKS_PYTHON_ERRORS_H

// The package's own exceptions are Python classes (reuseblocks/_errors.py); these raise them.

#include <pybind11/pybind11.h>
#include <reuseblocks/diagnostics.h>

namespace reuseblocks::python {

namespace py = pybind11;

[[noreturn]] void RaiseStale(const char* what);
[[noreturn]] void RaiseBusy();
[[noreturn]] void RaiseLoadError(py::handle path, const LoadReport& report);
[[noreturn]] void RaiseWriteError(py::handle path, const WriteReport& report);
// `problems` (a list of Problem) kept the collection from being written to `path`; `checked`
// when the caller asked for the check, otherwise they are what no blocks file can hold.
[[noreturn]] void RaiseRoundTripError(py::handle path, const py::list& problems, bool checked);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_ERRORS_H
