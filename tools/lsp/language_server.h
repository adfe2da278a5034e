// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_LSP_LANGUAGE_SERVER_H
#define REUSEBLOCKS_TOOLS_LSP_LANGUAGE_SERVER_H

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/open_document.h"

namespace reuseblocks::tool::lsp {

// The language server without its transport: one message in, the messages to send out, so that
// a test or a fuzzer can drive it in memory. Any message, whatever it holds, gets an answer by
// the protocol's rules or none; nothing it holds ends the server but "exit".
class LanguageServer {
  public:
    // Handles one message body; returns the bodies to send, in order.
    std::vector<std::string> Handle(std::string_view body);

    bool Exited() const { return m_exited; }
    // 0 when the client asked to shut down before "exit", 1 otherwise.
    int ExitStatus() const { return m_shutDown ? 0 : 1; }
    // Whether "shutdown" came: the end of the input is then no fault.
    bool ShutDown() const { return m_shutDown; }

  private:
    nlohmann::json Request(const std::string& method, const nlohmann::json& params);
    void Notification(const std::string& method, const nlohmann::json& params);
    nlohmann::json Initialize(const nlohmann::json& params);
    void Open(const nlohmann::json& params);
    void Change(const nlohmann::json& params);
    void Close(const nlohmann::json& params);
    void Configure(const nlohmann::json& settings);
    // Gives `document` its new text, works out its index and problems and queues its
    // diagnostics.
    void Refresh(OpenDocument& document, std::unique_ptr<TextDocument> text);
    // Gives `document` its new text and problems and queues its diagnostics; `cannotCheck` says
    // why the problems are not all there are.
    void Publish(OpenDocument& document, std::unique_ptr<TextDocument> text,
                 std::vector<PlacedProblem> problems,
                 const std::optional<std::string>& cannotCheck = std::nullopt);
    const OpenDocument* Find(const nlohmann::json& params) const;

    std::map<std::string, OpenDocument> m_documents;
    std::vector<std::string> m_out;  // of the message being handled
    bool m_initialized = false;
    bool m_shutDown = false;
    bool m_exited = false;
    bool m_inlayHints = true;
};

}  // namespace reuseblocks::tool::lsp

#endif  // REUSEBLOCKS_TOOLS_LSP_LANGUAGE_SERVER_H
