// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"
#include "test_support.h"
#include "written_file.h"

using reuseblocks::WriteFileWithReport;
using reuseblocks::WriteReport;
using reuseblocks::WriteStep;

namespace {

// The report and WriteFile agree on every call.
WriteReport Written(CReuseBlockFile& blocks, const std::string& path, const char* application) {
    const WriteReport report = WriteFileWithReport(blocks, path.c_str(), application);
    EXPECT_EQ(blocks.WriteFile(path.c_str(), application), report.result) << path;
    return report;
}

TEST(WriteReportTest, SuccessAndFailuresToOpen) {
    TempDir dir;
    CReuseBlockFile blocks;
    AddPlainBlock(blocks, "/B1");

    const WriteReport written = Written(blocks, dir.File("out.blocks"), "test");
    EXPECT_TRUE(written.Succeeded());
    EXPECT_EQ(written.step, WriteStep::kNone);
    EXPECT_EQ(written.systemError, 0);
    EXPECT_EQ(written.message, "");
    CReuseBlockFile loaded;
    EXPECT_EQ(loaded.LoadFile(dir.File("out.blocks").c_str()), 0);
    EXPECT_EQ(loaded.GetCount(), 1);

    const std::string missing = dir.File("missing/out.blocks");
    const WriteReport noFolder = Written(blocks, missing, "test");
    EXPECT_FALSE(noFolder.Succeeded());
    EXPECT_EQ(noFolder.result, 0);
    EXPECT_EQ(noFolder.step, WriteStep::kOpen);
    EXPECT_EQ(noFolder.systemError, ENOENT);
    EXPECT_EQ(noFolder.message,
              "cannot write \"" + missing + "\": " + std::strerror(ENOENT) + " (while opening)");

    const WriteReport folder = Written(blocks, dir.Path(), "test");
    EXPECT_EQ(folder.step, WriteStep::kOpen);
    EXPECT_NE(folder.systemError, 0);
    EXPECT_NE(folder.message.find(std::strerror(folder.systemError)), std::string::npos);

    const WriteReport noPath = WriteFileWithReport(blocks, nullptr, "test");
    EXPECT_EQ(noPath.result, 0);
    EXPECT_EQ(noPath.step, WriteStep::kOpen);
    EXPECT_EQ(noPath.message.rfind("cannot write (no path)", 0), 0u) << noPath.message;
    EXPECT_EQ(EntryCount(dir), 1u);
}

TEST(WriteReportTest, RefusedValuesNameTheBlockAndTheField) {
    TempDir dir;
    const std::string path = dir.File("kept.blocks");
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/B1");
    block->Init();
    block->NewLayerMap();
    auto refused = [&](const char* application) {
        WriteText(path, "kept\n");
        const WriteReport report = Written(blocks, path, application);
        EXPECT_EQ(ReadFile(path), "kept\n");
        EXPECT_EQ(report.result, 0);
        EXPECT_EQ(report.step, WriteStep::kCheck);
        EXPECT_EQ(report.systemError, 0);
        return report.message;
    };
    const std::string prefix = "cannot write \"" + path + "\": ";
    EXPECT_EQ(refused("two\nlines"), prefix + "the application name holds a line break");

    block->SetProperty(3, "Placed\r");
    EXPECT_EQ(refused("test"),
              prefix + "block \"/B1\" property 3 (BLOCK_STATUS) holds a line break");
    block->SetProperty(3, "Placed");
    block->GetLayerMap(0, 1) = "TOP\n";
    EXPECT_EQ(
        refused("test"),
        prefix + "block \"/B1\" layer-map row 0 column 1 (BLOCK_LAYER_NAME) holds a line break");
    block->GetLayerMap(0, 1) = "TOP";

    // Found beyond the first buffer's worth, in a block whose ID is shown on one line.
    for (int i = 0; i < 30000; ++i) blocks.NewBlock(("/MANY" + std::to_string(i)).c_str())->Init();
    CReuseBlock* last = blocks.NewBlock("/LAST");
    last->SetProperty(0, "/LAST\t\x01\"");
    last->SetProperty(11, "x\ny");
    EXPECT_EQ(refused("test"),
              prefix + "block \"/LAST\\t\\x01\\\"\" property 11 (QOR_STATUS) holds a line break");
    blocks.RemoveBlock("/LAST");

    CReuseBlock* renamed = blocks.NewBlock("/B2");
    renamed->SetProperty(0, "/B1");
    EXPECT_EQ(refused("test"), prefix + "two blocks would be written under ID \"/B1\"");
    blocks.RemoveBlock("/B2");
    EXPECT_TRUE(Written(blocks, path, "test").Succeeded());
}

// What a terminal would act on is shown escaped, in the path as in the ID; no path is no path.
TEST(WriteReportTest, RefusedValuesShowThePathAndTheIDEscaped) {
    TempDir dir;
    CReuseBlockFile blocks;
    CReuseBlock* block = blocks.NewBlock("/B1");
    block->Init();
    block->SetProperty(0, "/B\x1b[2J\x7f");
    block->SetProperty(1, "a\nb");
    const std::string message =
        "block \"/B\\x1b[2J\\x7f\" property 1 (BLOCK_PATH) holds a line break";
    const WriteReport named = Written(blocks, dir.File("a\rb"), "test");
    EXPECT_EQ(named.step, WriteStep::kCheck);
    EXPECT_EQ(named.message, "cannot write \"" + dir.File("a\\rb") + "\": " + message);
    // Without an application's name: only the values are looked at.
    const WriteReport unnamed = WriteFileWithReport(blocks, nullptr, nullptr);
    EXPECT_EQ(unnamed.step, WriteStep::kCheck);
    EXPECT_EQ(unnamed.message, "cannot write (no path): " + message);
    EXPECT_EQ(EntryCount(dir), 0u);
}

TEST(WriteReportTest, StepNames) {
    EXPECT_STREQ(reuseblocks::WriteStepName(WriteStep::kCheck), "checking the values");
    EXPECT_STREQ(reuseblocks::WriteStepName(WriteStep::kFlush), "flushing");
    EXPECT_STREQ(reuseblocks::WriteStepName(WriteStep::kNone), "none");
    EXPECT_STREQ(reuseblocks::WriteStepName(static_cast<WriteStep>(99)), "unknown");
}

}  // namespace

namespace {

TEST(WriteReportTest, TextInMemoryIsTheFileTheSameWriteMakes) {
    TempDir dir;
    CReuseBlockFile blocks;
    reuseblocks::WriteFileOptions dated;
    dated.hasDate = true;
    dated.date = 86400;
    std::string text = "kept";
    // Empty, then larger than any buffer a write goes through, a value longer than one too.
    for (int count : {0, 1, 30000}) {
        SCOPED_TRACE(count);
        for (int i = blocks.GetCount(); i < count; ++i)
            AddPlainBlock(blocks, ("/B" + std::to_string(i)).c_str());
        if (count == 30000)
            AddPlainBlock(blocks, "/LONG")->SetProperty(1, std::string(3 << 20, 'p').c_str());
        const std::string path = dir.File("out.blocks");
        ASSERT_TRUE(WriteFileWithReport(blocks, path.c_str(), "app", dated).Succeeded());
        const WriteReport report = reuseblocks::WriteTextWithReport(blocks, "app", dated, text);
        EXPECT_TRUE(report.Succeeded());
        EXPECT_EQ(report.message, "");
        EXPECT_TRUE(text == ReadFile(path));
        CReuseBlockFile loaded;
        EXPECT_TRUE(reuseblocks::LoadTextWithReport(loaded, text).Succeeded());
        EXPECT_EQ(loaded.GetCount(), blocks.GetCount());
    }
    // A refused write leaves the text alone and names the value, as a file's write does.
    const std::string before = text;
    CReuseBlock* broken = nullptr;
    ASSERT_EQ(blocks.GetBlock("/B0", broken), 1);
    broken->SetProperty(3, "a\nb");
    const WriteReport refused = reuseblocks::WriteTextWithReport(blocks, "app", dated, text);
    EXPECT_FALSE(refused.Succeeded());
    EXPECT_EQ(refused.step, WriteStep::kCheck);
    EXPECT_EQ(refused.message,
              "cannot write: block \"/B0\" property 3 (BLOCK_STATUS) holds a line break");
    EXPECT_TRUE(text == before);
}

}  // namespace
