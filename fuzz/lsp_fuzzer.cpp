// SPDX-License-Identifier: MIT
// The language server's message handler in memory, on arbitrary bytes. Input that starts with a
// header is a stream of framed messages, read as `reuseblocks lsp` reads its standard input;
// anything else is the text of a document, opened and asked every request at positions taken
// from its own bytes. Whatever comes in: every message out is a JSON object, each request gets
// one answer, ranges lie inside the document, formatting changes no value, and a document changed
// a little at a time is diagnosed as the same text opened anew.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "format/line_syntax.h"
#include "harness_support.h"
#include "lsp/language_server.h"
#include "lsp/message_framing.h"
#include "lsp/open_document.h"
#include "lsp/text_document.h"

namespace {

using nlohmann::json;
using reuseblocks::tool::lsp::LanguageServer;

std::vector<json> Send(LanguageServer& server, const std::string& body) {
    std::vector<json> out;
    for (const std::string& message : server.Handle(body)) {
        json parsed = json::parse(message, nullptr, false);
        HARNESS_CHECK(parsed.is_object());
        HARNESS_CHECK(parsed.value("jsonrpc", "") == "2.0");
        out.push_back(std::move(parsed));
    }
    return out;
}

json Answer(LanguageServer& server, int id, const std::string& method, json params) {
    const std::vector<json> out =
        Send(server,
             json{{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}}
                 .dump(-1, ' ', false, json::error_handler_t::replace));
    HARNESS_CHECK(out.size() == 1 && out[0].value("id", -1) == id);
    return out[0];
}

void Notify(LanguageServer& server, const std::string& method, json params) {
    Send(server, json{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}}.dump(
                     -1, ' ', false, json::error_handler_t::replace));
}

// The editor's lines of `text`: "\n", "\r\n" and a lone "\r" end one.
std::vector<std::string> EditorLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += text[i];
        }
    }
    return lines;
}

void CheckRange(const json& range, std::size_t lines) {
    for (const char* end : {"start", "end"}) {
        HARNESS_CHECK(range.at(end).at("line").get<std::size_t>() < lines);
    }
}

// The values of each line that has any, as the loader splits them.
std::vector<std::vector<std::string>> Values(const std::string& text) {
    std::vector<std::vector<std::string>> values;
    reuseblocks::format::LineScanner scanner(text);
    std::vector<std::string_view> fields;
    for (reuseblocks::format::ScannedLine line; scanner.Next(line);) {
        const std::string_view trimmed = reuseblocks::format::TrimLine(line.text);
        reuseblocks::format::SplitFields(reuseblocks::format::StripRecordEnds(trimmed), fields);
        // A line of blanks emptied at the end of the text is no line left.
        if (!fields.empty()) values.emplace_back(fields.begin(), fields.end());
    }
    return values;
}

void DriveDocument(const std::string& bytes) {
    // An editor's text is Unicode: bytes that are not UTF-8 reach the server as U+FFFD.
    const std::string text =
        json::parse(json(bytes).dump(-1, ' ', false, json::error_handler_t::replace))
            .get<std::string>();
    LanguageServer server;
    Answer(server, 1, "initialize", {{"capabilities", json::object()}});
    const std::string uri = "file:///fuzz.blocks";
    Notify(server, "textDocument/didOpen",
           {{"textDocument", {{"uri", uri}, {"version", 1}, {"text", text}}}});
    const std::vector<std::string> lines = EditorLines(text);
    const json doc = {{"uri", uri}};
    const json whole = {{"start", {{"line", 0}, {"character", 0}}},
                        {"end", {{"line", lines.size()}, {"character", 0}}}};
    int id = 2;
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i) {
        const json position = {
            {"line", static_cast<unsigned char>(text[i]) % lines.size()},
            {"character", static_cast<unsigned char>(text[text.size() - 1 - i])}};
        for (const char* method : {"textDocument/hover", "textDocument/definition",
                                   "textDocument/references", "textDocument/completion"}) {
            const json answer =
                Answer(server, id++, method, {{"textDocument", doc}, {"position", position}});
            HARNESS_CHECK(answer.contains("result"));
        }
    }
    for (const char* method : {"textDocument/inlayHint", "textDocument/codeAction"}) {
        const json answer = Answer(server, id++, method,
                                   {{"textDocument", doc},
                                    {"range", whole},
                                    {"context", {{"diagnostics", json::array()}}}});
        for (const json& item : answer.at("result")) {
            if (item.contains("edit")) {
                for (const json& edit : item["edit"]["changes"][uri])
                    CheckRange(edit["range"], lines.size());
            }
        }
    }
    Answer(server, id++, "textDocument/documentSymbol", {{"textDocument", doc}});
    const json edits = Answer(server, id++, "textDocument/formatting",
                              {{"textDocument", doc}, {"options", json::object()}})
                           .at("result");
    // Applied, the edits give the same values on every line.
    std::vector<std::string> formatted = lines;
    for (const json& edit : edits) {
        const json& range = edit.at("range");
        CheckRange(range, lines.size());
        const auto line = range["start"]["line"].get<std::size_t>();
        HARNESS_CHECK(range["end"]["line"].get<std::size_t>() == line);
        HARNESS_CHECK(range["start"]["character"].get<std::size_t>() == 0);
        formatted[line] = edit.at("newText").get<std::string>();
    }
    if (!edits.empty() && text.find('\r') == std::string::npos) {
        std::string joined;
        for (std::size_t i = 0; i < formatted.size(); ++i) joined += (i ? "\n" : "") + formatted[i];
        HARNESS_CHECK(Values(joined) == Values(text));
    }
    HARNESS_CHECK(Answer(server, id++, "shutdown", nullptr).contains("result"));
    Notify(server, "exit", nullptr);
    HARNESS_CHECK(server.Exited() && server.ExitStatus() == 0);
}

json Diagnostics(const std::vector<json>& out) {
    HARNESS_CHECK(out.size() == 1 &&
                  out[0].value("method", "") == "textDocument/publishDiagnostics");
    return out[0].at("params").at("diagnostics");
}

// A few small changes taken from the text's own bytes, each of a block's value, line or lines:
// a change may be checked on its own block, and must publish what the whole text opened anew does.
void DriveChanges(const std::string& text) {
    using reuseblocks::tool::lsp::TextDocument;
    static const std::array<std::string, 8> kInserted = {
        "", "x", " ", "\n", "1", "map_block_host /A 1 T 1 T\n", "Placed", "#"};
    const auto open = [](LanguageServer& server, const std::string& content) {
        Answer(server, 1, "initialize", {{"capabilities", json::object()}});
        return Diagnostics(Send(
            server, json{{"jsonrpc", "2.0"},
                         {"method", "textDocument/didOpen"},
                         {"params",
                          {{"textDocument",
                            {{"uri", "file:///a.blocks"}, {"version", 1}, {"text", content}}}}}}
                        .dump()));
    };
    LanguageServer edited;
    open(edited, text);
    std::string current = text;
    for (std::size_t i = 0; i < 3 && i < text.size(); ++i) {
        const TextDocument document(current);
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const std::size_t at = (byte(i) * 7919u + byte(text.size() - 1 - i)) % (current.size() + 1);
        const auto position = [&](std::size_t offset) {
            const auto place = document.PositionOf(std::min(offset, current.size()));
            return json{{"line", place.line}, {"character", place.character}};
        };
        const json start = position(at);
        const json end = position(at + byte(i) % 4);
        const std::string& inserted = kInserted[byte(text.size() - 1 - i) % kInserted.size()];
        const std::size_t begin = ClampedOffset(document, start);
        const std::size_t last = std::max(begin, ClampedOffset(document, end));
        current.replace(begin, last - begin, inserted);
        const json published = Diagnostics(Send(
            edited, json{{"jsonrpc", "2.0"},
                         {"method", "textDocument/didChange"},
                         {"params",
                          {{"textDocument", {{"uri", "file:///a.blocks"}, {"version", i + 2}}},
                           {"contentChanges",
                            {{{"range", {{"start", start}, {"end", end}}}, {"text", inserted}}}}}}}
                        .dump()));
        LanguageServer anew;
        HARNESS_CHECK(published == open(anew, current));
    }
}

void DriveStream(const std::string& input) {
    LanguageServer server;
    std::istringstream in(input);
    std::string body;
    for (;;) {
        const auto frame = reuseblocks::tool::lsp::ReadFrame(in, body);
        if (frame == reuseblocks::tool::lsp::Frame::kEnd) break;
        const json request = json::parse(body, nullptr, false);
        const std::vector<json> out = Send(server, body);
        const bool asks = request.is_object() && request.contains("id") &&
                          request.contains("method") &&
                          (request["id"].is_string() || request["id"].is_number_integer());
        if (asks) {
            std::size_t answers = 0;
            for (const json& message : out) answers += message.contains("id") ? 1u : 0u;
            HARNESS_CHECK(answers == 1);
        }
        if (server.Exited()) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.rfind("Content-Length:", 0) == 0) {
        DriveStream(input);
    } else {
        // As the editor sends it: bytes that are not UTF-8 as U+FFFD.
        const std::string text =
            json::parse(json(input).dump(-1, ' ', false, json::error_handler_t::replace))
                .get<std::string>();
        DriveDocument(input);
        DriveChanges(text);
    }
    return 0;
}
