// SPDX-License-Identifier: MIT
#include "lsp/language_server.h"

#include <reuseblocks/version.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <optional>

#include "lsp/changed_block_check.h"
#include "lsp/json_text.h"
#include "lsp/message_json.h"

namespace reuseblocks::tool::lsp {

namespace {

// The protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

constexpr int kIncrementalSync = 2;

class ProtocolError : public std::exception {
  public:
    ProtocolError(int code, std::string message) : m_code(code), m_message(std::move(message)) {}
    int Code() const { return m_code; }
    const char* what() const noexcept override { return m_message.c_str(); }

  private:
    int m_code;
    std::string m_message;
};

std::string Response(const nlohmann::json& id, nlohmann::json result) {
    return JsonText({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

std::string ErrorResponse(const nlohmann::json& id, int code, const std::string& message) {
    return JsonText(
        {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

std::string Notice(const std::string& method, nlohmann::json params) {
    return JsonText({{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

const nlohmann::json& Params(const nlohmann::json& message) {
    static const nlohmann::json kNone = nlohmann::json::object();
    const auto found = message.find("params");
    return found == message.end() ? kNone : *found;
}

}  // namespace

std::vector<std::string> LanguageServer::Handle(std::string_view body) {
    m_out.clear();
    const nlohmann::json message = ParseMessage(body);
    if (message.is_discarded()) {
        m_out.push_back(ErrorResponse(nullptr, kParseError, "the message is not JSON"));
        return std::move(m_out);
    }
    if (!message.is_object()) {
        m_out.push_back(ErrorResponse(nullptr, kInvalidRequest, "the message is not an object"));
        return std::move(m_out);
    }
    const auto method = message.find("method");
    const auto id = message.find("id");
    if (method == message.end()) return {};  // a response: the server asks nothing
    const bool request = id != message.end();
    if (request && !id->is_string() && !id->is_number_integer() && !id->is_number_unsigned()) {
        m_out.push_back(
            ErrorResponse(nullptr, kInvalidRequest, "id is neither a number nor a string"));
        return std::move(m_out);
    }
    if (!method->is_string()) {
        if (request) m_out.push_back(ErrorResponse(*id, kInvalidRequest, "method is not a string"));
        return std::move(m_out);
    }
    const std::string& name = method->get_ref<const std::string&>();
    try {
        if (request) {
            nlohmann::json result = Request(name, Params(message));
            m_out.push_back(Response(*id, std::move(result)));
        } else {
            Notification(name, Params(message));
        }
    } catch (const ProtocolError& error) {
        if (request) m_out.push_back(ErrorResponse(*id, error.Code(), error.what()));
    } catch (const nlohmann::json::exception& error) {
        if (request) m_out.push_back(ErrorResponse(*id, kInvalidParams, error.what()));
    } catch (const BadParams& error) {
        if (request) m_out.push_back(ErrorResponse(*id, kInvalidParams, error.what()));
    } catch (const std::bad_alloc&) {
        if (request) m_out.push_back(ErrorResponse(*id, kInternalError, "out of memory"));
    } catch (const std::exception& error) {
        // A check that failed, say: the editor shows why.
        if (request) {
            m_out.push_back(ErrorResponse(*id, kInternalError, error.what()));
        } else {
            m_out.push_back(Notice("window/logMessage", {{"type", 1}, {"message", error.what()}}));
        }
    }
    return std::move(m_out);
}

nlohmann::json LanguageServer::Request(const std::string& method, const nlohmann::json& params) {
    if (m_shutDown) throw ProtocolError(kInvalidRequest, "the server is shutting down");
    if (method == "initialize") {
        if (m_initialized) throw ProtocolError(kInvalidRequest, "already initialized");
        return Initialize(params);
    }
    if (!m_initialized) throw ProtocolError(kServerNotInitialized, "initialize first");
    if (method == "shutdown") {
        m_shutDown = true;
        return nullptr;
    }
    static const std::map<std::string,
                          nlohmann::json (*)(const OpenDocument&, const nlohmann::json&)>
        kOnDocument = {
            {"textDocument/hover", &Hover},
            {"textDocument/definition", &Definition},
            {"textDocument/references", &References},
            {"textDocument/completion", &Completion},
            {"textDocument/codeAction", &CodeActions},
        };
    const auto handler = kOnDocument.find(method);
    const bool known = handler != kOnDocument.end() || method == "textDocument/inlayHint" ||
                       method == "textDocument/documentSymbol" ||
                       method == "textDocument/formatting";
    if (!known) throw ProtocolError(kMethodNotFound, "unknown method " + method);
    const OpenDocument* document = Find(params);
    if (!document) {
        // A document the editor never opened: nothing is known of it.
        return method == "textDocument/hover" || method == "textDocument/definition"
                   ? nlohmann::json(nullptr)
                   : nlohmann::json::array();
    }
    if (handler != kOnDocument.end()) return handler->second(*document, params);
    if (method == "textDocument/inlayHint") {
        return m_inlayHints ? InlayHints(*document, params) : nlohmann::json::array();
    }
    if (method == "textDocument/documentSymbol") return DocumentSymbols(*document);
    return Formatting(*document);
}

void LanguageServer::Notification(const std::string& method, const nlohmann::json& params) {
    if (method == "exit") {
        m_exited = true;
        return;
    }
    if (!m_initialized || m_shutDown) return;
    if (method == "textDocument/didOpen") {
        Open(params);
    } else if (method == "textDocument/didChange") {
        Change(params);
    } else if (method == "textDocument/didClose") {
        Close(params);
    } else if (method == "workspace/didChangeConfiguration") {
        if (params.is_object() && params.contains("settings")) Configure(params.at("settings"));
    }
}

nlohmann::json LanguageServer::Initialize(const nlohmann::json& params) {
    if (!params.is_object()) throw BadParams("initialize takes an object");
    if (params.contains("initializationOptions")) Configure(params.at("initializationOptions"));
    m_initialized = true;
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", kIncrementalSync}}},
              {"hoverProvider", true},
              {"inlayHintProvider", true},
              {"documentSymbolProvider", true},
              {"definitionProvider", true},
              {"referencesProvider", true},
              {"completionProvider", {{"triggerCharacters", {" "}}}},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
              {"documentFormattingProvider", true}}},
            {"serverInfo", {{"name", "reuseblocks"}, {"version", REUSEBLOCKS_VERSION_STRING}}}};
}

void LanguageServer::Configure(const nlohmann::json& settings) {
    // {"inlayHints": false}, or the same under "reuseblocks" as an editor's settings nest it.
    if (!settings.is_object()) return;
    const auto own = settings.find("reuseblocks");
    const nlohmann::json& mine = own != settings.end() && own->is_object() ? *own : settings;
    const auto hints = mine.find("inlayHints");
    if (hints != mine.end() && hints->is_boolean()) m_inlayHints = hints->get<bool>();
}

void LanguageServer::Open(const nlohmann::json& params) {
    const nlohmann::json& item = params.at("textDocument");
    const std::string& uri = item.at("uri").get_ref<const std::string&>();
    const std::int64_t version = item.value("version", std::int64_t{0});
    auto text = std::make_unique<TextDocument>(item.at("text").get<std::string>());
    OpenDocument& document = m_documents[uri];
    document.uri = uri;
    document.version = version;
    Refresh(document, std::move(text));
}

void LanguageServer::Change(const nlohmann::json& params) {
    const nlohmann::json& item = params.at("textDocument");
    const auto found = m_documents.find(item.at("uri").get<std::string>());
    if (found == m_documents.end()) return;
    OpenDocument& document = found->second;
    std::unique_ptr<TextDocument> text;
    // The problems of the text so far, while every change stayed inside one block.
    std::optional<std::vector<PlacedProblem>> problems;
    if (document.problemsComplete) problems = document.problems;
    try {
        for (const nlohmann::json& change : params.at("contentChanges")) {
            const std::string& newText = change.at("text").get_ref<const std::string&>();
            if (!change.contains("range")) {
                text = std::make_unique<TextDocument>(newText);
                problems.reset();
                continue;
            }
            // Each change applies to the text the one before it left.
            const TextDocument& before = text ? *text : *document.text;
            const nlohmann::json& range = change.at("range");
            const std::size_t begin = ClampedOffset(before, range.at("start"));
            const std::size_t end = std::max(begin, ClampedOffset(before, range.at("end")));
            std::string changed = before.Text();
            changed.replace(begin, end - begin, newText);
            auto after = std::make_unique<TextDocument>(std::move(changed));
            if (problems) {
                try {
                    problems = RecheckChangedBlock(before, *problems, {begin, end, newText.size()},
                                                   *after, document.placements);
                } catch (const std::exception&) {
                    problems.reset();  // the whole check says why
                }
            }
            text = std::move(after);
        }
    } catch (...) {
        // The document keeps its text, and the counts may have followed changes it never took.
        document.placements.Forget();
        throw;
    }
    document.version = item.value("version", document.version);
    if (!text) text = std::make_unique<TextDocument>(document.text->Text());
    if (problems) {
        Publish(document, std::move(text), std::move(*problems));
    } else {
        Refresh(document, std::move(text));
    }
}

void LanguageServer::Close(const nlohmann::json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    if (m_documents.erase(uri) == 0) return;
    m_out.push_back(Notice("textDocument/publishDiagnostics",
                           {{"uri", uri}, {"diagnostics", nlohmann::json::array()}}));
}

void LanguageServer::Refresh(OpenDocument& document, std::unique_ptr<TextDocument> text) {
    std::vector<PlacedProblem> problems;
    std::exception_ptr failure;
    std::optional<std::string> why;
    try {
        problems = DiagnoseDocument(*text);
    } catch (const std::exception& error) {
        failure = std::current_exception();
        why = error.what();
    }
    document.placements.Forget();
    Publish(document, std::move(text), std::move(problems), why);
    if (failure) std::rethrow_exception(failure);
}

void LanguageServer::Publish(OpenDocument& document, std::unique_ptr<TextDocument> text,
                             std::vector<PlacedProblem> problems,
                             const std::optional<std::string>& cannotCheck) {
    // Put in place together, since the problems view the text.
    document.text = std::move(text);
    document.ForgetBlocks();
    document.problems = std::move(problems);
    document.problemsComplete = !cannotCheck;
    nlohmann::json diagnostics = nlohmann::json::array();
    for (const PlacedProblem& problem : document.problems) {
        diagnostics.push_back(DiagnosticJson(document, problem));
    }
    if (cannotCheck) {
        // No diagnostics would read as a file without problems.
        const nlohmann::json start = {{"line", 0}, {"character", 0}};
        diagnostics.push_back({{"range", {{"start", start}, {"end", start}}},
                               {"severity", 1},
                               {"source", "reuseblocks"},
                               {"code", "CannotCheck"},
                               {"message", "the document could not be checked: " + *cannotCheck}});
    }
    m_out.push_back(
        Notice("textDocument/publishDiagnostics", {{"uri", document.uri},
                                                   {"version", document.version},
                                                   {"diagnostics", std::move(diagnostics)}}));
}

const OpenDocument* LanguageServer::Find(const nlohmann::json& params) const {
    const auto found = m_documents.find(params.at("textDocument").at("uri").get<std::string>());
    return found == m_documents.end() ? nullptr : &found->second;
}

}  // namespace reuseblocks::tool::lsp
