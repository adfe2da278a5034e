// SPDX-License-Identifier: MIT
// A message reads as the general JSON reader reads it, whatever it holds: the quick reader of
// large messages either gives the same value or leaves the message to the general reader.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/message_json.h"

namespace reuseblocks::tool::lsp {
namespace {

void ExpectReadAsTheGeneralReaderReadsIt(const std::string& body) {
    const nlohmann::json general = nlohmann::json::parse(body, nullptr, false);
    const nlohmann::json quick = ParseMessage(body);
    ASSERT_EQ(quick.is_discarded(), general.is_discarded());
    if (!general.is_discarded()) {
        EXPECT_EQ(quick, general);
        EXPECT_EQ(quick.dump(), general.dump());  // the same kinds of number, too
    }
}

TEST(MessageJson, EveryMessageReadsAsTheGeneralReaderReadsIt) {
    const std::vector<std::string> bodies = {
        // Messages and values of every kind.
        R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{"capabilities":{}}})",
        " \t\r\n{ \"a\" : [ 1 , -2 , 3.5 , -0 , 1e3 , 2E-2 , 18446744073709551615 ,"
        " 18446744073709551616 , -9223372036854775808 , -9223372036854775809 ] } \n",
        R"([true,false,null,"",[],{},[[]],{"a":{"b":{}}}])",
        R"({"a":1,"a":{"b":2},"a":"last"})",  // a repeated key keeps its last value
        R"("\"\\\/\b\f\n\r\t\u0000\u00e9\u20AC\ud83d\ude00")",
        "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBF \xF4\x8F\xBF\xBF\"",
        "\xEF\xBB\xBF{\"bom\":1}",
        // Not JSON, or not JSON the quick reader takes.
        "", " ", "{", "}", "[1,]", "{\"a\":1,}", "{\"a\" 1}", "{1:2}", "[1 2]", "01", "1.", ".5",
        "+1", "-", "1e", "NaN", "Infinity", "tru", "nul", "[true false]", "\"open",
        "\"bad \\x escape\"", "\"\\u12\"", "\"\\u12G4\"", "\"\\ud800\"", "\"\\ud800\\u0041\"",
        "\"\\udc00\"", "\"\\ud800\\\"\"", std::string("\"a\0b\"", 5), "\"tab\there\"", "\"\x80\"",
        "\"\xC0\x80\"", "\"\xC1\xBF\"", "\"\xE0\x80\x80\"", "\"\xED\xA0\x80\"",
        "\"\xF0\x80\x80\x80\"", "\"\xF4\x90\x80\x80\"", "\"\xF5\x80\x80\x80\"", "\"\xC3\"",
        "\"\xE2\x82\"", "\"\xE2\x82", "\"\xF0\x9F\x98", "{} {}", "[] x", "//x\n{}",
        "{\"a\":1}/*x*/"};
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        ExpectReadAsTheGeneralReaderReadsIt(body);
    }
    // Nested deeper than the quick reader goes, in and out of order.
    ExpectReadAsTheGeneralReaderReadsIt(std::string(500, '[') + std::string(500, ']'));
    ExpectReadAsTheGeneralReaderReadsIt(std::string(500, '[') + std::string(499, ']'));
    ExpectReadAsTheGeneralReaderReadsIt(std::string(5000, '['));
}

TEST(MessageJson, AWholeDocumentsTextComesThroughByteForByte) {
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        text +=
            "/TOP/B" + std::to_string(i) + " $R/p caf\xC3\xA9 \"q\" \\ \t 1 2 TOP 0 mils 1 2 P\r\n";
    }
    text += std::string("\0\x01\x7F", 3);
    const nlohmann::json open = {
        {"jsonrpc", "2.0"},
        {"method", "textDocument/didOpen"},
        {"params",
         {{"textDocument", {{"uri", "file:///b.blocks"}, {"version", 1}, {"text", text}}}}}};
    const std::string body = open.dump();
    const nlohmann::json read = ParseMessage(body);
    ASSERT_FALSE(read.is_discarded());
    EXPECT_TRUE(read["params"]["textDocument"]["text"].get_ref<const std::string&>() == text);
    ExpectReadAsTheGeneralReaderReadsIt(body);
}

}  // namespace
}  // namespace reuseblocks::tool::lsp
