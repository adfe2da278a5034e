// SPDX-License-Identifier: MIT
// A change checked on its own block must give exactly what checking the whole text gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "lsp/changed_block_check.h"
#include "lsp/document_diagnostics.h"
#include "lsp/language_server.h"

namespace reuseblocks::tool::lsp {
namespace {

// Blocks with a problem of every kind a block can have on its own or with others: a convention,
// a side, an internal location, a repeated layer map, values that would not read back, a
// record too long, two stacks, a line ending in a carriage return, comments between blocks.
const char* const kDocument =
    "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n"
    "# made for a test\n"
    "\n"
    "/A $REUSE/a Smashed Placed 100 200 TOP 0 mils 100 200 Processed\n"
    "map_block_host /A 1 TOP 1 TOP\n"
    "map_block_host /A 1 TOP 1 TOP\n"
    "/B $REUSE/b Smashed Placed 100 200 TOP 0 mils 100 200 Processed\n"
    "map_block_host /B 2 BOTTOM 8 BOTTOM\n"
    "# between blocks\n"
    "\n"
    "/C $REUSE/c Smashd placed 1 2 top 0 mils 9 9 Processed\n"
    "map_block_host /C 1 TOP 1 TOP extra\n"
    "/D $REUSE/d Replica Unplaced x y TOP 0 inch 0 0 Unprocessed\n"
    "/E $REUSE/e Primitive Placed 100 200 top 0 mils 100 200 Processed\r\n"
    "map_block_host /E 1 \"TOP\" 1 TOP\n"
    "/F $REUSE/f Primitive Placed 5 5 BOTTOM 0 mils 5 5 Processed\n"
    "map_block_host /F 3 L3 4 L4\n"
    "/G $REUSE/g Replica Placed 5 5 BOTTOM 0 mils 5 5 Unprocessd\n"
    "/H $REUSE/h Smashed Placed 9 9 BOTTOM 0 mils 2286 2286 Processed\n";

std::vector<std::string> Described(const std::vector<PlacedProblem>& problems) {
    std::vector<std::string> described;
    for (const PlacedProblem& placed : problems) {
        const Problem& problem = placed.problem;
        described.push_back(std::to_string(problem.line) + " " + problem.severity + " " +
                            problem.code + " " + problem.block.value_or("-") + " " +
                            problem.field.value_or("-") + " " + problem.message + " [" +
                            std::to_string(placed.begin) + "," + std::to_string(placed.end) + ") " +
                            placed.fix.value_or("-"));
    }
    return described;
}

TEST(LspChangedBlock, ARecheckOfOneBlockGivesWhatTheWholeCheckGivesOrNothing) {
    const std::array<std::string, 16> insertions = {
        "1", "0",  "x",  " ",  "\n",  "\r\n", "#",    "P",
        "p", "/A", "/B", "\"", "TOP", "\t",   "mils", "map_block_host /C 1 T 1 T\n"};
    std::mt19937 random(20261208);
    const auto below = [&random](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    std::size_t rechecked = 0;
    std::size_t changes = 0;
    for (int trial = 0; trial < 400; ++trial) {
        auto text = std::make_unique<TextDocument>(kDocument);
        std::vector<PlacedProblem> problems = DiagnoseDocument(*text);
        StackingPlaceCounts placements;
        for (int step = 0; step < 3; ++step, ++changes) {
            TextChange change;
            change.begin = below(text->Text().size() + 1);
            change.end = std::min(text->Text().size(), change.begin + below(3) * below(6));
            const std::string inserted = below(4) == 0 ? "" : insertions[below(insertions.size())];
            change.inserted = inserted.size();
            std::string changed = text->Text();
            changed.replace(change.begin, change.end - change.begin, inserted);
            auto after = std::make_unique<TextDocument>(changed);
            const std::vector<PlacedProblem> whole = DiagnoseDocument(*after);
            const auto own = RecheckChangedBlock(*text, problems, change, *after, placements);
            if (own) {
                ++rechecked;
                ASSERT_EQ(Described(*own), Described(whole))
                    << "after replacing [" << change.begin << ", " << change.end << ") with \""
                    << inserted << "\" in:\n"
                    << text->Text();
            }
            if (!own) placements.Forget();
            text = std::move(after);
            problems = whole;
        }
    }
    // Many random changes break a line or move a block; a test that always fell back to the
    // whole check would prove nothing.
    EXPECT_GT(rechecked, changes / 8);
}

// Whether the change of `text` was checked on its own block; when it was, with what the whole
// check gives.
bool Rechecked(const std::string& text, std::size_t begin, std::size_t end,
               const std::string& inserted) {
    const TextDocument before(text);
    std::string changed = text;
    changed.replace(begin, end - begin, inserted);
    const TextDocument after(changed);
    StackingPlaceCounts placements;
    const auto own = RecheckChangedBlock(before, DiagnoseDocument(before),
                                         {begin, end, inserted.size()}, after, placements);
    if (own) {
        EXPECT_EQ(Described(*own), Described(DiagnoseDocument(after)));
    }
    return own.has_value();
}

TEST(LspChangedBlock, AChangeThatReachesOtherBlocksIsLeftToTheWholeCheck) {
    const auto recheck = [](std::size_t begin, std::size_t end, const std::string& inserted) {
        return Rechecked(kDocument, begin, end, inserted);
    };
    const std::string text = kDocument;
    const std::size_t b = text.find("/B $REUSE");
    const std::size_t c = text.find("/C $REUSE");
    const std::size_t f = text.find("/F $REUSE");
    const std::size_t smashed = text.find("Smashed", b) + 6;
    EXPECT_TRUE(recheck(smashed, smashed + 1, "s"));
    EXPECT_TRUE(recheck(c, c, "("));                 // the same ID, in parentheses
    EXPECT_TRUE(recheck(f - 1, f - 1, " 1 T 1 T"));  // the same line count
    EXPECT_FALSE(recheck(b + 1, b + 2, "Z"));        // a new ID
    EXPECT_FALSE(recheck(b - 1, b, ""));             // joins two blocks' lines
    EXPECT_FALSE(recheck(b, b, "/Z p\n"));           // a new block
    EXPECT_FALSE(recheck(0, 1, ""));                 // the lines before the blocks
    EXPECT_FALSE(recheck(smashed, c + 1, ""));       // across two blocks
    // A block moved from a stack, onto another block, and from one free place to another.
    EXPECT_FALSE(recheck(text.find("100", b), text.find("100", b) + 1, "3"));
    const std::size_t place = text.find(" 1 2 ", c) + 1;
    EXPECT_FALSE(recheck(place, place + 3, "100 200"));
    EXPECT_TRUE(recheck(place, place + 1, "7"));
    // A changed line count moves the lines that stacked blocks' messages name.
    EXPECT_FALSE(recheck(f - 1, f - 1, "\n"));

    // Without the format line first, a block's line is not checked as one.
    const std::string headless =
        "/A a Smashed Placed 1 1 TOP 0 mils 254 254 Processed\n"
        "/B b Smashed Placed 2 2 TOP 0 mils 508 508 Processed\n";
    EXPECT_TRUE(Rechecked(headless, headless.find("/B") + 4, headless.find("/B") + 4, "x"));
    // A thousand warnings are shown, and a note says how many more there are.
    std::string many = "# TOLVANE PCB_BLOCKS FILE FORMAT 2.0\n";
    for (int block = 0; block < 1000; ++block) {
        many += "/B" + std::to_string(block) + " b Smashd Unplaced 0 0 TOP 0 mils 0 0 Processed\n";
    }
    const std::size_t type = many.rfind("Smashd") + 5;
    EXPECT_TRUE(Rechecked(many, type, type, "e"));  // one warning fewer
    const std::size_t status = many.rfind("Processed");
    EXPECT_FALSE(Rechecked(many, status, status + 1, "p"));  // one more
}

nlohmann::json Diagnostics(LanguageServer& server, const nlohmann::json& message) {
    const std::vector<std::string> out = server.Handle(message.dump());
    EXPECT_EQ(out.size(), 1u);
    return nlohmann::json::parse(out.back()).at("params");
}

TEST(LspChangedBlock, TheServerPublishesForChangesWhatItPublishesForTheTextOpenedAnew) {
    const std::string uri = "file:///board.blocks";
    const auto open = [&](const std::string& text) {
        return nlohmann::json{
            {"jsonrpc", "2.0"},
            {"method", "textDocument/didOpen"},
            {"params",
             {{"textDocument",
               {{"uri", uri}, {"languageId", "blocks"}, {"version", 1}, {"text", text}}}}}};
    };
    const auto initialized = [] {
        auto server = std::make_unique<LanguageServer>();
        server->Handle(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
        return server;
    };
    const auto replace = [](int line, int from, int to, const std::string& text) {
        return nlohmann::json{{"range",
                               {{"start", {{"line", line}, {"character", from}}},
                                {"end", {{"line", line}, {"character", to}}}}},
                              {"text", text}};
    };
    const auto apply = [](std::string text, const nlohmann::json& change) {
        if (!change.contains("range")) return change.at("text").get<std::string>();
        const TextDocument document(text);
        const nlohmann::json& range = change.at("range");
        const std::size_t begin =
            *document.OffsetOf(range.at("start").at("line"), range.at("start").at("character"));
        const std::size_t end =
            *document.OffsetOf(range.at("end").at("line"), range.at("end").at("character"));
        return text.replace(begin, end - begin, change.at("text").get<std::string>());
    };
    const auto edited = initialized();
    Diagnostics(*edited, open(kDocument));
    // Each a message of its own: a block's status mended and a layer map added to it; that block
    // moved, then another moved onto it; a stacked block's value; a line added; a blank line made
    // a block; a whole text, then a change of it.
    const std::vector<nlohmann::json> messages = {
        nlohmann::json::array(
            {replace(10, 19, 25, "Placed"), replace(11, 0, 0, "map_block_host /C 9 X 9 X\n")}),
        nlohmann::json::array({replace(10, 26, 27, "7")}),
        nlohmann::json::array({replace(19, 27, 37, "7 2 TOP")}),
        nlohmann::json::array({replace(6, 3, 3, "x")}),
        nlohmann::json::array({replace(4, 0, 0, "map_block_host /A 2 B 2 B\n")}),
        nlohmann::json::array({replace(9, 0, 0, "/H p")}),
        nlohmann::json::array({nlohmann::json{{"text", std::string(kDocument) + "/H p\n"}},
                               replace(3, 0, 0, "# h\n")})};
    std::string text = kDocument;
    int version = 1;
    for (const nlohmann::json& changes : messages) {
        for (const nlohmann::json& change : changes) text = apply(text, change);
        const nlohmann::json published =
            Diagnostics(*edited, {{"jsonrpc", "2.0"},
                                  {"method", "textDocument/didChange"},
                                  {"params",
                                   {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                                    {"contentChanges", changes}}}});
        const nlohmann::json anew = Diagnostics(*initialized(), open(text));
        EXPECT_EQ(published.at("version"), version);
        EXPECT_EQ(published.at("diagnostics"), anew.at("diagnostics")) << text;
        EXPECT_FALSE(anew.at("diagnostics").empty());
    }
}

TEST(LspChangedBlock, AMessageRefusedHalfwayLeavesNothingOfItsChangesBehind) {
    LanguageServer server;
    server.Handle(R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})");
    const auto message = [](const std::string& changes) {
        return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":)"
               R"({"uri":"file:///b.blocks","version":2},"contentChanges":)" +
               changes + "}}";
    };
    const nlohmann::json open = {
        {"jsonrpc", "2.0"},
        {"method", "textDocument/didOpen"},
        {"params", {{"textDocument", {{"uri", "file:///b.blocks"}, {"text", kDocument}}}}}};
    server.Handle(open.dump());
    // /C placed, then moved away from 1 2 in a message whose second change has no text.
    server.Handle(message(R"([{"range":{"start":{"line":10,"character":19},)"
                          R"("end":{"line":10,"character":20}},"text":"P"}])"));
    const std::vector<std::string> refused =
        server.Handle(message(R"([{"range":{"start":{"line":10,"character":26},)"
                              R"("end":{"line":10,"character":27}},"text":"7"},)"
                              R"({"range":{"start":{"line":0,"character":0},)"
                              R"("end":{"line":0,"character":0}}}])"));
    EXPECT_TRUE(refused.empty());  // no diagnostics of a text the server does not have
    // /C is still at 1 2: /H moved there stacks on it.
    const std::vector<std::string> out =
        server.Handle(message(R"([{"range":{"start":{"line":18,"character":27},)"
                              R"("end":{"line":18,"character":37}},"text":"1 2 TOP"}])"));
    ASSERT_EQ(out.size(), 1u);
    const nlohmann::json diagnostics = nlohmann::json::parse(out[0]).at("params").at("diagnostics");
    EXPECT_TRUE(std::any_of(diagnostics.begin(), diagnostics.end(), [](const nlohmann::json& d) {
        return d.at("message").get<std::string>().rfind("block \"/H\" is placed where block \"/C\"",
                                                        0) == 0;
    })) << out[0];
}

}  // namespace
}  // namespace reuseblocks::tool::lsp
