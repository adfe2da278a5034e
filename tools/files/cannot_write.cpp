// SPDX-License-Identifier: MIT
#include "cannot_write.h"

#include <cstring>

#include "platform/file_system.h"
#include "terminal/text_escape.h"

namespace reuseblocks::tool {

namespace {

// "No space left on device (while flushing)", "(while opening)" without an error.
std::string SystemReason(WriteStep step, int error) {
    std::string reason = error != 0 ? std::string(std::strerror(error)) + " " : std::string();
    return reason + "(while " + WriteStepName(step) + ")";
}

// What follows the quoted path of a library message: `cannot write "PATH": REASON`.
std::string AfterQuotedPath(const std::string& message) {
    std::string::size_type at = message.find('"');
    if (at == std::string::npos) return message;
    for (++at; at < message.size() && message[at] != '"'; ++at) {
        if (message[at] == '\\') ++at;  // an escaped quote or backslash
    }
    if (at >= message.size()) return message;
    at += message.compare(at + 1, 2, ": ") == 0 ? 3u : 1u;
    return message.substr(at);
}

}  // namespace

WriteError CannotWrite(const std::string& path, const WriteReport& report) {
    if (report.message.empty()) return WriteError("cannot write " + Quoted(path), "");
    const std::string reason = report.step == WriteStep::kCheck
                                   ? AfterQuotedPath(report.message)
                                   : SystemReason(report.step, report.systemError);
    return WriteError(report.message, reason);
}

WriteError CannotWrite(const std::string& path, const detail::platform::OutputFailure& failure) {
    // As the library's reports say it.
    const std::string reason = failure.danglingLink.empty()
                                   ? SystemReason(failure.step, failure.error)
                                   : "it links to " + Quoted(failure.danglingLink) +
                                         ", in a folder that does not exist (while " +
                                         WriteStepName(failure.step) + ")";
    return WriteError("cannot write " + Quoted(path) + (failure.error != 0 ? ": " : " ") + reason,
                      reason);
}

}  // namespace reuseblocks::tool
