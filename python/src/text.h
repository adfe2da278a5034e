// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_TEXT_H
#define REUSEBLOCKS_PYTHON_TEXT_H

// Values are bytes in the library and str in Python: UTF-8 with surrogateescape both ways, so
// that bytes which are not UTF-8 survive a load, an edit and a write.

#include <pybind11/pybind11.h>

#if defined(_MSC_VER) && !defined(__clang__) && defined(_M_X64)
#include <xmmintrin.h>
#endif

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace reuseblocks::python {

namespace py = pybind11;

py::str ToPython(std::string_view bytes);

// Asks for the cache line at `address` to be read ahead; only a hint, never a fault. A column
// walks blocks scattered over the heap, and waiting for each one's values would cost more than
// making its str.
inline void Prefetch(const void* address) noexcept {
#if defined(_MSC_VER) && !defined(__clang__)
#if defined(_M_X64)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    static_cast<void>(address);
#endif
#else
    __builtin_prefetch(address);
#endif
}

// ToPython for a column of values, making one str per value that repeats nearby instead of one
// per occurrence: most fields hold few distinct values (sides, units, layer names), and making a
// str costs far more than finding it again. A fixed table, so hostile values only miss. A column
// of nearly distinct values (coordinates) would only pay for the table, so once a stretch of
// lookups finds next to nothing the cache stops looking for the rest of the column.
class StrCache {
  public:
    py::str Get(std::string_view bytes);

  private:
    struct Slot {
        std::string bytes;
        py::str text;
    };
    static constexpr std::size_t kSlots = 512;
    static constexpr std::uint32_t kStretch = 2048;
    std::array<Slot, kSlots> m_slots;
    std::uint32_t m_lookups = 0;
    std::uint32_t m_hits = 0;
    bool m_off = false;
};

// TypeError unless `value` is a str; UnicodeEncodeError for a surrogate that stands for no byte.
std::string FromPython(py::handle value, const char* what);

// A str, bytes or os.PathLike as the file system's bytes; ValueError for an embedded NUL, which
// would silently name another file.
std::string PathFromPython(py::handle path);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_TEXT_H
