// SPDX-License-Identifier: MIT
// `lsp`: the language server on the standard streams, one framed message at a time.
#include <platform/console.h>

#include <iostream>

#include "commands/commands.h"
#include "lsp/language_server.h"
#include "lsp/message_framing.h"
#include "terminal/standard_output.h"
#include "terminal/tool_error.h"

namespace reuseblocks::tool {

int RunLsp(const LspOptions& /*options*/) {
    detail::platform::UseBinaryStandardStreams();
    lsp::LanguageServer server;
    std::string body;
    for (;;) {
        const lsp::Frame frame = lsp::ReadFrame(std::cin, body);
        if (frame == lsp::Frame::kEnd) break;
        for (const std::string& message : server.Handle(body)) {
            std::string framed = lsp::Framed(message);
            SendToStandardOutput(framed);
        }
        // Each answer goes out before the next message is waited for.
        FinishStandardOutput();
        if (server.Exited()) return server.ExitStatus();
    }
    if (server.ShutDown()) return kExitSuccess;
    throw Failure("lsp: the editor closed standard input without asking the server to shut down");
}

}  // namespace reuseblocks::tool
