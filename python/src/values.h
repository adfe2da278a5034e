// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_PYTHON_VALUES_H
#define REUSEBLOCKS_PYTHON_VALUES_H

// What a value given from Python becomes, and whether a blocks file can hold it. Setters, add(),
// the row edits and from_list() all refuse here, where the value is given, by the library's own
// rule of what reads back; a write would otherwise be the first to notice.

#include <pybind11/pybind11.h>
#include <reuseblocks/diagnostics.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace reuseblocks::python {

namespace py = pybind11;

ValuePlace PlaceOfProperty(std::uint32_t index);
ValuePlace PlaceOfColumn(std::uint32_t column);

// Why no blocks file can hold `value` at `place` ("holds white space"); empty when a written
// file gives it back.
std::string UnwritableReason(std::string_view value, ValuePlace place);

// `value` as the text of `field` of the block `blockId`: a str as it is, an int or a float as the
// shortest text that reads back as the same number. TypeError for any other type, ValueError
// for NaN or a value no blocks file can hold; both name the block and the field. Runs Python
// code: look the block up only afterwards.
std::string FieldValueFromPython(py::handle value, std::string_view field, ValuePlace place,
                                 const std::string& blockId);

}  // namespace reuseblocks::python

#endif  // REUSEBLOCKS_PYTHON_VALUES_H
