// SPDX-License-Identifier: MIT
#include "values.h"

#include "text.h"

namespace reuseblocks::python {

ValuePlace PlaceOfProperty(std::uint32_t index) {
    if (index == 0) return ValuePlace::kBlockID;
    return index + 1 == CReuseBlock::kPropertyCount ? ValuePlace::kLast : ValuePlace::kMiddle;
}

ValuePlace PlaceOfColumn(std::uint32_t column) {
    return column + 1 == CReuseBlock::kLayerMapColumnCount ? ValuePlace::kLast
                                                           : ValuePlace::kMiddle;
}

std::string UnwritableReason(std::string_view value, ValuePlace place) {
    // The library takes values as C strings: a NUL would cut the value short.
    if (value.find('\0') != std::string_view::npos) return "holds a NUL byte";
    return DescribeRoundTripReasons(RoundTripReasonsOf(value, place));
}

std::string FieldValueFromPython(py::handle value, std::string_view field, ValuePlace place,
                                 const std::string& blockId) {
    const py::str fieldName{std::string(field)};
    const py::str id = ToPython(blockId);
    std::string text;
    if (PyUnicode_Check(value.ptr())) {
        text = FromPython(value, "a value");
    } else {
        // Numbers are few and their text is Python's to work out.
        const py::object converted =
            py::module_::import("reuseblocks._values").attr("number_text")(value, id, fieldName);
        text = FromPython(converted, "a value");
    }
    const std::string reason = UnwritableReason(text, place);
    if (!reason.empty()) {
        const py::str message =
            py::str("block {!r}: {} value {!r} {}, which a blocks file cannot hold")
                .format(id, fieldName, ToPython(text), py::str(reason));
        PyErr_SetObject(PyExc_ValueError, message.ptr());
        throw py::error_already_set();
    }
    return text;
}

}  // namespace reuseblocks::python
