// A file another process holds locked for an edit makes --no-wait fail at once.
#include <windows.h>

#include <gtest/gtest.h>

#include "tool_process.h"

namespace reuseblocks::test {
namespace {

const std::string kBlock = "/TOP/B $R/b Replica Placed 1 2 TOP 0 mils 1 2 Processed\n";

TEST(EditSafety, NoWaitFailsAtOnceWhileAnotherEditHoldsTheLock) {
    TempDir dir;
    const std::string file = dir / "board.blocks";
    WriteText(file, kBlock);
    const HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    OVERLAPPED where{};
    where.OffsetHigh = 0x7FFFFFFF;  // the byte the tool locks, beyond any file's end
    ASSERT_TRUE(::LockFileEx(held, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where));
    const ToolRun busy = RunTool({"remove", file, "/TOP/B", "--no-wait"});
    ::CloseHandle(held);
    EXPECT_EQ(busy.status, 1);
    EXPECT_EQ(busy.err, "reuseblocks: error: \"" + file +
                            "\" is being edited by another process (--no-wait)\n");
    EXPECT_EQ(RunTool({"remove", file, "/TOP/B", "--no-wait"}).status, 0);
}

}  // namespace
}  // namespace reuseblocks::test
