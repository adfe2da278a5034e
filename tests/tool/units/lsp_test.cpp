// SPDX-License-Identifier: MIT
// The language server's rooms without a process: positions, framing, and the server's answers to
// what an editor may send out of order.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "lsp/block_index.h"
#include "lsp/language_server.h"
#include "lsp/message_framing.h"
#include "lsp/text_document.h"

namespace reuseblocks::tool::lsp {
namespace {

TEST(LspTextDocument, ColumnsCountUtf16UnitsAndEveryLineEndTheEditorKnows) {
    // "é" two bytes, one unit; U+1F600 four bytes, two units; a stray byte one U+FFFD.
    const TextDocument text("a\xC3\xA9\xF0\x9F\x98\x80\xFFz\r\nb\rc\nd");
    EXPECT_EQ(text.PositionOf(8).character, 5u);  // before "z": a, é, two units, U+FFFD
    EXPECT_EQ(text.PositionOf(8).line, 0u);
    EXPECT_EQ(text.OffsetOf(0, 5), 8u);
    EXPECT_EQ(text.OffsetOf(0, 3), 3u);   // inside the pair: the start of its character
    EXPECT_EQ(text.OffsetOf(0, 99), 9u);  // past the end: before the line end
    EXPECT_EQ(text.OffsetOf(1, 0), 11u);
    EXPECT_EQ(text.OffsetOf(2, 0), 13u);  // a lone carriage return ends the editor's line
    EXPECT_EQ(text.OffsetOf(3, 1), 16u);
    EXPECT_FALSE(text.OffsetOf(4, 0));
    EXPECT_FALSE(text.OffsetOf(-1, 0));
    // The loader ends lines only at a line feed.
    EXPECT_EQ(text.LoaderLineCount(), 3u);
    EXPECT_EQ(text.LoaderLine(2), "b\rc");
    EXPECT_EQ(text.LoaderLineAt(14), 2u);
    EXPECT_EQ(TextDocument("x\n").LoaderLineCount(), 1u);
    // Every way a line may end, at the end of the text too.
    const TextDocument ends("a\r\r\nb\n\rc\r");
    for (const auto& [offset, line, character] : {std::tuple{1u, 0u, 1u},
                                                  {2u, 1u, 0u},
                                                  {4u, 2u, 0u},
                                                  {6u, 3u, 0u},
                                                  {7u, 4u, 0u},
                                                  {8u, 4u, 1u},
                                                  {9u, 5u, 0u}}) {
        EXPECT_EQ(ends.PositionOf(offset).line, line) << offset;
        EXPECT_EQ(ends.PositionOf(offset).character, character) << offset;
    }
    EXPECT_EQ(ends.LoaderLineCount(), 3u);
}

TEST(LspBlockIndex, MappingLinesBelongToTheBlockDefinedLastAndAnIdToItsFirstDefinition) {
    const TextDocument text(
        "/A p T S 0 0 TOP 0 mils 0 0 P\nmap_block_host /A 1 T 1 T\n"
        "/B p\nmap_block_host /A 2 T 2 T\n/A q T S 0 0 TOP 0 mils 0 0 P\n");
    const BlockIndex index(text);
    ASSERT_EQ(index.Blocks().size(), 3u);
    EXPECT_EQ(index.Owner(4)->id, "/B");
    EXPECT_EQ(index.Owner(2)->line, 1u);
    EXPECT_EQ(index.Find("/A")->line, 1u);
    EXPECT_EQ(index.Owner(99), nullptr);
}

std::vector<std::string> Frames(const std::string& input) {
    std::istringstream in(input);
    std::vector<std::string> bodies;
    for (std::string body; ReadFrame(in, body) == Frame::kMessage;) bodies.push_back(body);
    return bodies;
}

TEST(LspFraming, ABadLengthSkipsToTheNextHeaderInsteadOfWaitingForBytesThatNeverCome) {
    EXPECT_EQ(Frames(Framed("{}") + Framed("[1]")), (std::vector<std::string>{"{}", "[1]"}));
    EXPECT_EQ(Frames("content-length: 2\n\n{}"), std::vector<std::string>{"{}"});
    for (const std::string bad : {"Content-Length: -2", "Content-Length: 99999999999999999999999",
                                  "Content-Length: 2x", "Content-Type: x"}) {
        EXPECT_EQ(Frames(bad + "\r\n\r\n{}" + Framed("[2]")), std::vector<std::string>{"[2]"})
            << bad;
    }
    EXPECT_TRUE(Frames("Content-Length: 10\r\n\r\n{}").empty());  // cut short
    EXPECT_TRUE(Frames(std::string(1 << 20, 'x')).empty());       // a header line without end
}

std::vector<nlohmann::json> Answers(LanguageServer& server, const nlohmann::json& message) {
    std::vector<nlohmann::json> answers;
    for (const std::string& body : server.Handle(message.dump())) {
        answers.push_back(nlohmann::json::parse(body));
    }
    return answers;
}

TEST(LspServer, EveryRequestGetsOneAnswerWhateverItsStateOrParams) {
    LanguageServer server;
    const auto request = [](int id, const char* method, nlohmann::json params) {
        return nlohmann::json{
            {"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}};
    };
    EXPECT_EQ(Answers(server, request(1, "shutdown", {}))[0]["error"]["code"], -32002);
    EXPECT_TRUE(Answers(server, {{"jsonrpc", "2.0"}, {"method", "initialized"}}).empty());
    EXPECT_TRUE(
        Answers(server, request(2, "initialize", nlohmann::json::object()))[0].contains("result"));
    const nlohmann::json open = {
        {"jsonrpc", "2.0"},
        {"method", "textDocument/didOpen"},
        {"params", {{"textDocument", {{"uri", "u"}, {"version", 1}, {"text", "/A p\n"}}}}}};
    const std::vector<nlohmann::json> published = Answers(server, open);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0]["params"]["diagnostics"][0]["code"], "DefinitionTooShort");
    for (const nlohmann::json& params :
         {nlohmann::json{{"textDocument", {{"uri", "u"}}},
                         {"position", {{"line", 1.5}, {"character", 0}}}},
          nlohmann::json{{"textDocument", {{"uri", 3}}}}, nlohmann::json::array(),
          nlohmann::json{{"textDocument", {{"uri", "u"}}},
                         {"position", {{"line", -9}, {"character", -9}}}}}) {
        const std::vector<nlohmann::json> answers =
            Answers(server, request(3, "textDocument/hover", params));
        ASSERT_EQ(answers.size(), 1u) << params;
        EXPECT_EQ(answers[0]["id"], 3);
    }
    EXPECT_EQ(Answers(server, request(4, "no/such", {}))[0]["error"]["code"], -32601);
    EXPECT_TRUE(Answers(server, {{"jsonrpc", "2.0"}, {"method", "no/such"}}).empty());
    EXPECT_EQ(Answers(server, request(5, "shutdown", nullptr))[0]["result"], nullptr);
    Answers(server, {{"jsonrpc", "2.0"}, {"method", "exit"}});
    EXPECT_TRUE(server.Exited());
    EXPECT_EQ(server.ExitStatus(), 0);
}

}  // namespace
}  // namespace reuseblocks::tool::lsp
