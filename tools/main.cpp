// SPDX-License-Identifier: MIT
#include <exception>
#include <iostream>
#include <string_view>

#include "command_line.h"
#include "standard_output.h"
#include "text_escape.h"
#include "tool_error.h"

namespace {

using namespace reuseblocks::tool;

// Every line of a diagnostic, with whatever a file or an argument put into it made harmless.
void PrintDiagnostic(std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::cerr << EscapeForDisplay(text.substr(0, end)) << '\n';
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

// Output already printed goes out before the error that ended the command.
int Fail(std::string_view diagnostic, int status) {
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
    try {
        const int status = RunCommandLine(argc, argv);
        FinishStandardOutput();
        return status;
    } catch (const ToolError& error) {
        return Fail(error.what(), error.Status());
    } catch (const std::bad_alloc&) {
        return Fail("reuseblocks: error: out of memory", kExitFailure);
    } catch (const std::exception& error) {
        return Fail(std::string("reuseblocks: error: ") + error.what(), kExitFailure);
    }
}
