// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>

#include "reuseblocks/fields.h"
#include "reuseblocks/reuseblocks.h"
#include "written_file.h"

using namespace reuseblocks;

// The names must be the ones the written header spells out, in its order, or every tool that
// prints or takes a field name says something the file itself contradicts.
TEST(FieldsTest, NamesAreTheHeadersAndLookUpBothWays) {
    std::string definition = "#  EXP:  ";
    for (const auto name : kPropertyNames) definition.append(name).append(" ");
    definition.pop_back();
    std::string mapping = "#  EXP:  " + std::string(kMappingKeyword) + " BLOCK_HIER_NAME";
    for (const auto name : kLayerMapColumnNames) mapping.append(" ").append(name);
    EXPECT_NE(kHeaderTail.find(definition + "\n"), std::string::npos);
    EXPECT_NE(kHeaderTail.find(mapping + "\n"), std::string::npos);

    static_assert(FindProperty("QOR_STATUS") == kQorStatus);
    static_assert(FindLayerMapColumn("DESIGN_ORDER") == kDesignOrder);
    EXPECT_FALSE(FindProperty("xloc"));
    EXPECT_EQ(FindProperty("xloc", NameCase::kIgnored), kXLoc);
    EXPECT_FALSE(FindProperty("XLOC ", NameCase::kIgnored));
    EXPECT_FALSE(FindProperty(""));
    EXPECT_EQ(PropertyName(kIntYLoc), "INT_YLOC");
    EXPECT_EQ(PropertyName(kPropertyCount), "");
    EXPECT_EQ(LayerMapColumnName(kLayerMapColumnCount), "");
}

TEST(FieldsTest, EnumeratorsGoWhereIndexesDo) {
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/B1");
    block->Init();
    block->SetProperty(kSide, "TOP");
    EXPECT_EQ(block->GetProperty(6), "TOP");
    for (const PropertyDefault& preset : kInitDefaults) {
        EXPECT_EQ(block->GetProperty(preset.property), CString(preset.value));
    }
    const std::uint32_t row = block->NewLayerMap();
    block->GetLayerMap(row, kDesignLayerName) = "SIG1";
    EXPECT_EQ(block->GetLayerMap(row, 3), "SIG1");
    block->GetProperty(kBlockPath) = "$LIB/x";
    const CReuseBlock& view = *block;
    EXPECT_EQ(view.GetProperty(kBlockPath), "$LIB/x");
    EXPECT_EQ(&view.GetPropertyRef(kBlockPath), &block->GetProperty(1));
    EXPECT_EQ(view.GetLayerMap(row, kDesignLayerName), "SIG1");
    EXPECT_EQ(&view.GetLayerMapRef(row, kDesignLayerName), &block->GetLayerMap(row, 3));
    EXPECT_THROW(view.GetPropertyRef(kPropertyCount), CInvalidArgException);
}
