// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_TEXT_H
#define REUSEBLOCKS_PYTHON_TEXT_H

// Values are bytes in the library and str in Python: UTF-8 with surrogateescape both ways, so
// that bytes which are not UTF-8 survive a load, an edit and a write.

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

namespace reuseblocks::python {

namespace py = pybind11;

py::str ToPython(std::string_view bytes);

// TypeError unless `value` is a str; UnicodeEncodeError for a surrogate that stands for no byte.
std::string FromPython(py::handle value, const char* what);

// A str, bytes or os.PathLike as the file system's bytes; ValueError for an embedded NUL, which
// would silently name another file.
std::string PathFromPython(py::handle path);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_TEXT_H
