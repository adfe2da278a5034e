// SPDX-License-Identifier: MIT
#include "text.h"

#include <cstdint>
#include <cstring>

namespace reuseblocks::python {

namespace {

std::uint64_t Load8(const char* bytes) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint32_t Load4(const char* bytes) {
    std::uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// Equality of two values of `size` bytes each, inline: a call to memcmp costs more than the
// comparison of a short value. Loads may overlap.
bool SameBytes(const char* a, const char* b, std::size_t size) {
    if (size > 16) return std::memcmp(a, b, size) == 0;
    if (size >= 8) {
        return Load8(a) == Load8(b) && Load8(a + size - 8) == Load8(b + size - 8);
    }
    if (size >= 4) {
        return Load4(a) == Load4(b) && Load4(a + size - 4) == Load4(b + size - 4);
    }
    for (std::size_t at = 0; at < size; ++at) {
        if (a[at] != b[at]) return false;
    }
    return true;
}

bool IsAscii(std::string_view bytes) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080U;
    const char* at = bytes.data();
    const char* const end = at + bytes.size();
    std::uint64_t seen = 0;
    for (; end - at >= 8; at += 8) seen |= Load8(at);
    for (; at != end; ++at) seen |= static_cast<unsigned char>(*at);
    return (seen & kHighBits) == 0;
}

// Values are short: a few loads and one multiplication instead of a byte-by-byte hash.
std::size_t SlotHash(std::string_view bytes) {
    std::uint64_t mixed = bytes.size();
    if (bytes.size() >= 8) {
        mixed ^= Load8(bytes.data()) ^ (Load8(bytes.data() + bytes.size() - 8) << 1U);
    } else {
        for (const char byte : bytes) mixed = (mixed << 8U) | static_cast<unsigned char>(byte);
    }
    mixed *= 0x9E3779B97F4A7C15U;
    return static_cast<std::size_t>(mixed >> 40U);
}

}  // namespace

py::str ToPython(std::string_view bytes) {
    // Nearly every value is ASCII: copied straight into a new str, which the decoder would
    // reach only after checks of its own. One byte goes to the decoder, which shares the
    // interpreter's one-character str.
    if (bytes.size() > 1 && IsAscii(bytes)) {
        PyObject* text = PyUnicode_New(static_cast<Py_ssize_t>(bytes.size()), 127);
        if (text == nullptr) throw py::error_already_set();
        std::memcpy(PyUnicode_1BYTE_DATA(text), bytes.data(), bytes.size());
        return py::reinterpret_steal<py::str>(text);
    }
    PyObject* text = PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()),
                                          "surrogateescape");
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

py::str StrCache::Get(std::string_view bytes) {
    if (m_off) return ToPython(bytes);
    if (++m_lookups == kStretch) {
        m_off = m_hits < kStretch / 8;
        m_lookups = m_hits = 0;
    }
    Slot& slot = m_slots[SlotHash(bytes) % kSlots];
    if (slot.text && slot.bytes.size() == bytes.size() &&
        SameBytes(slot.bytes.data(), bytes.data(), bytes.size())) {
        ++m_hits;
        return slot.text;
    }
    slot.text = ToPython(bytes);
    slot.bytes.assign(bytes.data(), bytes.size());
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
