// SPDX-License-Identifier: MIT
// `import` (HARNESS_FORMAT json, jsonl, csv or tsv) or `set --from` (HARNESS_SET_FROM, the
// format from the first byte) on arbitrary bytes, through the tool's core library as the command
// line runs them, writing to standard output, which the harness keeps in memory: no file is
// written but the input. Whatever the bytes, the command ends with success or a refused input
// (status 1, never another exception); a refused input writes nothing, and set leaves the file
// it read as it was. What is written loads back with the blocks it was said to hold.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>

#include "commands/commands.h"
#include "harness_support.h"
#include "reuseblocks/diagnostics.h"
#include "terminal/tool_error.h"

namespace {

namespace tool = reuseblocks::tool;

#ifdef HARNESS_SET_FROM
std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A board of two blocks, one with a layer map, that `set --from` edits.
constexpr char kBoard[] =
    "# PCB_BLOCKS FILE FORMAT 2.0\n"
    "/TOP/A $R/a Smashed Placed 1 2 TOP 0 mils 254 508 Processed\n"
    "map_block_host /TOP/A 1 TOP 1 TOP\n"
    "/TOP/B $R/b Replica Unplaced 0 0 BOTTOM 90 mm 0 0 Unprocessed\n";
#endif

// What the command sends to standard output while it runs.
class CapturedOutput {
  public:
    CapturedOutput() : m_original(std::cout.rdbuf(m_text.rdbuf())) {}
    ~CapturedOutput() { std::cout.rdbuf(m_original); }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;
    std::string Text() const { return m_text.str(); }

  private:
    std::ostringstream m_text;
    std::streambuf* m_original;
};

// The status the command ends with.
template <typename Run>
int StatusOf(Run run) {
    try {
        return run();
    } catch (const tool::ToolError& error) {
        return error.Status();
    } catch (const std::bad_alloc&) {
        return -1;  // libFuzzer's memory limit says more
    }
}

int CountBlocks(const std::string& text) {
    CReuseBlockFile blocks;
    HARNESS_CHECK(reuseblocks::LoadTextWithReport(blocks, text).Succeeded());
    return blocks.GetCount();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& directory = harness::ScratchDirectory();
    const std::string input = directory + "/input";
#ifdef HARNESS_SET_FROM
    if (size == 0) return 0;
    static const char* const kFormats[] = {"json", "jsonl", "csv", "tsv"};
    const std::string format = kFormats[data[0] % 4];
    harness::WriteBytes(input, data + 1, size - 1);
    const std::string board = directory + "/board.blocks";
    static const bool written = (harness::WriteBytes(board, kBoard, sizeof kBoard - 1), true);
    (void)written;
    tool::SetOptions set;
    set.file = board;
    set.updates = input;
    set.format = format;
    set.write.output = "-";
    CapturedOutput output;
    const int status = StatusOf([&] { return tool::RunSet(set); });
    HARNESS_CHECK(status == 0 || status == 1 || status == -1);
    HARNESS_CHECK(ReadAll(board) == kBoard);
    if (status == 1) HARNESS_CHECK(output.Text().empty());
    if (status == 0) HARNESS_CHECK(CountBlocks(output.Text()) == 2);
#else
    harness::WriteBytes(input, data, size);
    tool::ImportOptions import;
    import.input = input;
    import.format = HARNESS_FORMAT;
    import.write.output = "-";
    CapturedOutput output;
    const int status = StatusOf([&] { return tool::RunImport(import); });
    HARNESS_CHECK(status == 0 || status == 1 || status == -1);
    if (status == 1) HARNESS_CHECK(output.Text().empty());
    if (status == 0) HARNESS_CHECK(CountBlocks(output.Text()) >= 0);
#endif
    return 0;
}
