// SPDX-License-Identifier: MIT
#include <exception>
#include <new>
#include <string>

#include "cli/command_line.h"
#include "terminal/progress_line.h"
#include "terminal/standard_output.h"
#include "terminal/tool_error.h"

namespace {

using namespace reuseblocks::tool;

// Output already printed goes out before the error that ended the command.
int Fail(const std::string& diagnostic, int status) {
    try {
        FinishStandardOutput();
    } catch (const ToolError& error) {
        if (error.what() != diagnostic) PrintDiagnostic(error.what());
    }
    PrintDiagnostic(diagnostic);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const StandardOutputCheck output;
    const ProgressLine progress;
    try {
        const int status = RunCommandLine(argc, argv);
        FinishStandardOutput();
        return status;
    } catch (const ToolError& error) {
        return Fail(error.what(), error.Status());
    } catch (const std::bad_alloc&) {
        return Fail(ErrorLine("out of memory"), kExitFailure);
    } catch (const std::exception& error) {
        return Fail(ErrorLine(error.what()), kExitFailure);
    }
}
