// SPDX-License-Identifier: MIT
// `--where` expressions, through the tool's query module: every text either parses or is the
// tool's own usage error, matching never fails, globs agree with a plain table-filling matcher,
// and "!=" passes exactly where "=" does not.
// Input: the low bit of the first byte asks for -i; the rest is one expression a line. Each line
// is also every value of one more block, so that globs meet texts as hostile as themselves.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "harness_support.h"
#include "inspect/block_query.h"
#include "terminal/tool_error.h"

namespace {

using reuseblocks::tool::GlobMatches;
using reuseblocks::tool::Matches;
using reuseblocks::tool::ParseConditions;
using reuseblocks::tool::QueryCondition;
using reuseblocks::tool::QueryTest;
using reuseblocks::tool::ToolError;

char Folded(char c, bool ignoreCase) {
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The table every textbook fills: done[i][j] when the first i pattern items match the first j
// bytes. "?" takes a byte and the UTF-8 continuation bytes that follow it.
bool ModelGlob(std::string_view pattern, std::string_view text, bool ignoreCase) {
    struct Item {
        char c;
        enum { kByte, kOne, kAny } kind;
    };
    std::vector<Item> items;
    for (std::size_t p = 0; p < pattern.size(); ++p) {
        if (pattern[p] == '\\' && p + 1 < pattern.size()) {
            items.push_back({pattern[++p], Item::kByte});
        } else if (pattern[p] == '*' || pattern[p] == '?') {
            items.push_back({0, pattern[p] == '*' ? Item::kAny : Item::kOne});
        } else {
            items.push_back({pattern[p], Item::kByte});
        }
    }
    const auto charEnd = [&](std::size_t j) {  // after the character that starts at j
        for (++j; j < text.size() && (static_cast<unsigned char>(text[j]) & 0xC0) == 0x80;) ++j;
        return j;
    };
    const std::size_t width = text.size() + 1;
    std::vector<char> done((items.size() + 1) * width, 0);
    done[0] = 1;
    for (std::size_t i = 1; i <= items.size(); ++i) {
        const Item& item = items[i - 1];
        const char* before = &done[(i - 1) * width];
        char* here = &done[i * width];
        for (std::size_t j = 0; j <= text.size(); ++j) {
            if (item.kind == Item::kAny) {
                here[j] = before[j] || (j > 0 && here[j - 1]);
            } else if (j < text.size() && before[j]) {
                if (item.kind == Item::kOne) {
                    here[charEnd(j)] = 1;
                } else if (Folded(item.c, ignoreCase) == Folded(text[j], ignoreCase)) {
                    here[j + 1] = 1;
                }
            }
        }
    }
    return done[items.size() * width + text.size()] != 0;
}

void Fill(CReuseBlockFile& made) {
    const char* const kLines[] = {
        "/TOP/CAM1 $REUSE/other_libs/optics Smashed Placed 1200 -85.5e1 TOP 90 mils 1 2 Processed",
        "/TOP/psu $REUSE/power/Buck Primitive Planned 1,5 x BOTTOM inf MM 0 0 Unprocessed",
    };
    for (const char* line : kLines) {
        std::vector<std::string> values;
        for (std::string_view rest = line; !rest.empty();) {
            const std::size_t blank = std::min(rest.find(' '), rest.size());
            values.emplace_back(rest.substr(0, blank));
            rest.remove_prefix(std::min(blank + 1, rest.size()));
        }
        CReuseBlock* block = made.NewBlock(values[0].c_str());
        for (std::uint32_t i = 0; i < CReuseBlock::kPropertyCount; ++i) {
            block->SetProperty(i, values[i].c_str());
        }
    }
}

CReuseBlockFile& Blocks() {
    static CReuseBlockFile blocks;
    static const bool filled = (Fill(blocks), true);
    static_cast<void>(filled);
    return blocks;
}

void Check(const std::vector<std::string>& texts, bool ignoreCase, const CReuseBlock& odd) {
    std::vector<QueryCondition> conditions;
    try {
        conditions = ParseConditions(texts, ignoreCase);
    } catch (const ToolError& error) {
        HARNESS_CHECK(error.Status() == reuseblocks::tool::kExitUsage);
        HARNESS_CHECK(std::string_view(error.what()).rfind("reuseblocks: error: ", 0) == 0);
        return;
    }
    HARNESS_CHECK(conditions.size() == texts.size());
    std::vector<const CReuseBlock*> blocks = {&odd};
    for (POSITION position = Blocks().GetStartPosition(); position;) {
        blocks.push_back(Blocks().GetNext(position));
    }
    for (const CReuseBlock* block : blocks) {
        Matches(*block, conditions);
        for (const QueryCondition& condition : conditions) {
            for (const QueryTest& test : condition.anyOf) {
                const std::string value = test.field.ValueOf(*block);
                for (std::size_t i = 0; i < test.values.size(); ++i) {
                    if (test.globs[i] && test.values[i].size() < 64 && value.size() < 64) {
                        HARNESS_CHECK(GlobMatches(test.values[i], value, ignoreCase) ==
                                      ModelGlob(test.values[i], value, ignoreCase));
                    }
                }
                if (test.op != QueryTest::Op::kEqual) continue;
                QueryTest negated = test;
                negated.op = QueryTest::Op::kDiffer;
                HARNESS_CHECK(negated.Passes(*block) != test.Passes(*block));
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool ignoreCase = (data[0] & 1) != 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<std::string> texts;
    for (std::size_t start = 0; start <= rest.size() && texts.size() < 8;) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        texts.emplace_back(rest.substr(start, end - start));
        start = end + 1;
    }
    CReuseBlockFile own;
    CReuseBlock* odd = own.NewBlock("/ODD");
    for (std::uint32_t i = 0; i < CReuseBlock::kPropertyCount; ++i) {
        odd->SetProperty(i, texts[i % texts.size()].c_str());
    }
    Check(texts, ignoreCase, *odd);
    return 0;
}
