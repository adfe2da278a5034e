// SPDX-License-Identifier: MIT
#include "text.h"

#include <functional>

namespace reuseblocks::python {

py::str ToPython(std::string_view bytes) {
    PyObject* text = PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()),
                                          "surrogateescape");
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

py::str StrCache::Get(std::string_view bytes) {
    Slot& slot = m_slots[std::hash<std::string_view>()(bytes) % kSlots];
    if (!slot.text || slot.bytes != bytes) {
        slot.text = ToPython(bytes);
        slot.bytes.assign(bytes.data(), bytes.size());
    }
    return slot.text;
}

std::string FromPython(py::handle value, const char* what) {
    if (!PyUnicode_Check(value.ptr())) {
        throw py::type_error(std::string(what) + " must be str, not " +
                             std::string(py::str(py::type::handle_of(value).attr("__name__"))));
    }
    Py_ssize_t size = 0;
    // The cached UTF-8 form: fast, and fails only for surrogates.
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(value.ptr(), &size)) {
        return std::string(utf8, static_cast<std::size_t>(size));
    }
    PyErr_Clear();
    const auto bytes = py::reinterpret_steal<py::bytes>(
        PyUnicode_AsEncodedString(value.ptr(), "utf-8", "surrogateescape"));
    if (!bytes) throw py::error_already_set();
    return std::string(std::string_view(bytes));
}

std::string PathFromPython(py::handle path) {
    PyObject* encoded = nullptr;
    if (PyUnicode_FSConverter(path.ptr(), &encoded) == 0) throw py::error_already_set();
    const auto bytes = py::reinterpret_steal<py::bytes>(encoded);
    return std::string(std::string_view(bytes));
}

}  // namespace reuseblocks::python
