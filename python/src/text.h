// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_TEXT_H
#define REUSEBLOCKS_PYTHON_TEXT_H

// Values are bytes in the library and str in Python: UTF-8 with surrogateescape both ways, so
// that bytes which are not UTF-8 survive a load, an edit and a write.

#include <pybind11/pybind11.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace reuseblocks::python {

namespace py = pybind11;

py::str ToPython(std::string_view bytes);

// ToPython for a column of values, making one str per value that repeats nearby instead of one
// per occurrence: most fields hold few distinct values (sides, units, layer names), and making a
// str costs far more than finding it again. A fixed table, so hostile values only miss.
class StrCache {
  public:
    py::str Get(std::string_view bytes);

  private:
    struct Slot {
        std::string bytes;
        py::str text;
    };
    static constexpr std::size_t kSlots = 512;
    std::array<Slot, kSlots> m_slots;
};

// TypeError unless `value` is a str; UnicodeEncodeError for a surrogate that stands for no byte.
std::string FromPython(py::handle value, const char* what);

// A str, bytes or os.PathLike as the file system's bytes; ValueError for an embedded NUL, which
// would silently name another file.
std::string PathFromPython(py::handle path);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_TEXT_H
