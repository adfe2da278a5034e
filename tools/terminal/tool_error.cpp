// SPDX-License-Identifier: MIT
#include "tool_error.h"

#include <iostream>

#include "terminal/progress_line.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

std::string ErrorLine(std::string_view message) {
    return "reuseblocks: error: " + std::string(message);
}

std::string WarningLine(std::string_view message) {
    return "reuseblocks: warning: " + std::string(message);
}

std::string NoteLine(std::string_view message) {
    return "reuseblocks: note: " + std::string(message);
}

ToolError Failure(std::string_view message) {
    return ToolError(kExitFailure, ErrorLine(message));
}

ToolError UsageError(std::string_view message) {
    return ToolError(kExitUsage, ErrorLine(message));
}

std::string Diagnostic(std::string_view name, unsigned long line, std::string_view severity,
                       std::string_view message) {
    std::string text = EscapeForDisplay(name);
    if (line > 0) text += ":" + std::to_string(line);
    return text + ": " + std::string(severity) + ": " + EscapeForDisplay(message);
}

void PrintDiagnostic(std::string_view text) {
    ProgressLine::End();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::cerr << EscapeForDisplay(text.substr(0, end)) << '\n';
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

}  // namespace reuseblocks::tool
