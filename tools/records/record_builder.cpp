// SPDX-License-Identifier: MIT
#include "record_builder.h"

#include "records/fields.h"

namespace reuseblocks::tool {

void RecordBuilder::Add(const std::string& name, const std::optional<std::string>& text) {
    const std::optional<int> field = FieldNamedByUser(name);
    if (!field) return Fail(UnknownField(name, KnownFields::kPropertiesSymbolAndMaps));
    if (!text) return Fail(name + " must be a string or a number");
    AddToField(*field, *text);
}

void RecordBuilder::AddToField(int field, std::string value) {
    if (field == kBlockHierName) {
        if (m_record.id) return Fail("BLOCK_HIER_NAME is given twice");
        Check("BLOCK_HIER_NAME", value, ValuePlace::kBlockID);
        m_record.id = std::move(value);
    } else if (field == kSymbolField) {
        // derived from BLOCK_PATH
    } else if (field == kMapsField) {
        if (value != "0") Fail("layer maps can be imported only from JSON (MAPS is " + value + ")");
    } else {
        const auto index = static_cast<std::uint32_t>(field);
        if (m_given[index]) return Fail(std::string(PropertyName(index)) + " is given twice");
        m_given[index] = true;
        Check(PropertyName(index), value, PlaceOfProperty(index));
        m_record.properties.emplace_back(index, std::move(value));
    }
}

void RecordBuilder::Check(std::string_view field, const std::string& value, ValuePlace place) {
    if (IsWritable(value, place)) return;
    const std::string problem = UnwritableValue(field, value, place);
    if (!problem.empty()) Fail(problem);
}

}  // namespace reuseblocks::tool
