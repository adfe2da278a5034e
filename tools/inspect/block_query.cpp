// SPDX-License-Identifier: MIT
#include "block_query.h"

#include <algorithm>
#include <optional>

#include "plot/units.h"  // numbers read as the picture reads them
#include "records/fields.h"
#include "terminal/text_escape.h"
#include "terminal/tool_error.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

using Op = QueryTest::Op;

QueryField ParseField(const std::string& text) {
    const std::optional<int> field = FieldNamedByUser(text);
    if (!field) throw UsageError(UnknownField(text, KnownFields::kPropertiesSymbolAndMaps));
    return {Upper(text), *field};
}

char Folded(char c, bool ignoreCase) {
    return ignoreCase ? ascii::ToLower(c) : c;
}

bool SameText(std::string_view a, std::string_view b, bool ignoreCase) {
    return ignoreCase ? ascii::EqualsIgnoringCase(a, b) : a == b;
}

// Reads one test from `text` at `at`, up to an unescaped "|" or the end.
class TestReader {
  public:
    TestReader(const std::string& text, bool ignoreCase) : m_text(text), m_ignoreCase(ignoreCase) {}

    QueryTest Read(std::size_t& at) {
        QueryTest test;
        test.ignoreCase = m_ignoreCase;
        const std::size_t opAt = std::min(m_text.find_first_of("=!<>", at), m_text.size());
        if (opAt == m_text.size()) Refuse("expected FIELD=VALUE, FIELD!=VALUE or FIELD<NUMBER");
        if (opAt == at) Refuse("a field name comes before " + Quoted(m_text.substr(opAt, 2)));
        test.field = ParseField(m_text.substr(at, opAt - at));
        at = ReadOp(opAt, test.op);
        const bool compares = test.op != Op::kEqual && test.op != Op::kDiffer;
        for (bool more = true; more;) {
            std::string value;
            bool glob = false;
            more = ReadValue(at, value, glob, !compares);
            test.values.push_back(std::move(value));
            test.globs.push_back(glob);
        }
        if (compares) {
            const std::optional<double> number = ParseNumber(test.values.front());
            if (!number) Refuse(Quoted(test.values.front()) + " is not a number to compare with");
            test.number = *number;
        }
        return test;
    }

  private:
    [[noreturn]] void Refuse(const std::string& why) const {
        throw UsageError("--where " + Quoted(m_text) + ": " + why);
    }

    std::size_t ReadOp(std::size_t at, Op& op) const {
        const char first = m_text[at];
        const bool equalsNext = at + 1 < m_text.size() && m_text[at + 1] == '=';
        if (first == '=') {
            // "a==b" is a habit from programming languages; a value starting "=" is written "\=".
            if (equalsNext) Refuse("use one = (FIELD=VALUE); a value that starts with = is \\=");
            op = Op::kEqual;
        } else if (first == '!') {
            if (!equalsNext) Refuse("! goes with = (FIELD!=VALUE)");
            op = Op::kDiffer;
        } else {
            op = first == '<' ? (equalsNext ? Op::kLessOrEqual : Op::kLess)
                              : (equalsNext ? Op::kGreaterOrEqual : Op::kGreater);
        }
        return at + (equalsNext ? 2 : 1);
    }

    // One value into `value`, escapes resolved unless it is a glob; true when a "," follows and
    // `list` allows another value.
    bool ReadValue(std::size_t& at, std::string& value, bool& glob, bool list) const {
        std::string literal;
        const std::size_t start = at;
        for (; at < m_text.size(); ++at) {
            const char c = m_text[at];
            if (c == '|') break;
            if (c == ',' && list) break;
            if (c == '\\' && at + 1 < m_text.size()) {
                literal += m_text[++at];
                continue;
            }
            glob = glob || c == '*' || c == '?';
            literal += c;
        }
        value = glob ? m_text.substr(start, at - start) : std::move(literal);
        if (at < m_text.size() && m_text[at] == ',') {
            ++at;
            RefuseFieldAfterComma(at);
            return true;
        }
        return false;
    }

    // "STATUS=Placed,SIDE=BOTTOM" reads as STATUS one of "Placed" and "SIDE=BOTTOM", which no
    // status is: almost surely two tests were meant. Only a known field name counts, so that a
    // value holding "=" still reads as it always has.
    void RefuseFieldAfterComma(std::size_t at) const {
        // Up to the next value at most, so that a long list stays linear.
        const std::size_t equals = m_text.find_first_of("=,|\\", at);
        if (equals == std::string::npos || m_text[equals] != '=' || equals == at) return;
        const std::string name = m_text.substr(at, equals - at);
        if (!FieldNamedByUser(name)) return;
        Refuse(Quoted(name + "=") +
               " after a comma starts another test, not a value; give each its own --where: "
               "--where " +
               Quoted(m_text.substr(0, at - 1)) + " --where " + Quoted(m_text.substr(at)) +
               " (or write the comma as \\, to keep it in the value)");
    }

    const std::string& m_text;
    bool m_ignoreCase;
};

QueryCondition ParseCondition(const std::string& text, bool ignoreCase) {
    QueryCondition condition;
    TestReader reader(text, ignoreCase);
    for (std::size_t at = 0;;) {
        condition.anyOf.push_back(reader.Read(at));
        if (at >= text.size()) break;
        ++at;  // the "|"
    }
    return condition;
}

QueryCondition ParseLiteralCondition(const std::string& text, bool ignoreCase) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        throw UsageError("--where-literal " + Quoted(text) + ": expected FIELD=VALUE");
    }
    if (equals == 0) {
        throw UsageError("--where-literal " + Quoted(text) + ": a field name comes before \"=\"");
    }
    QueryTest test;
    test.field = ParseField(text.substr(0, equals));
    test.values.push_back(text.substr(equals + 1));
    test.globs.push_back(false);
    test.ignoreCase = ignoreCase;
    return {{std::move(test)}};
}

}  // namespace

std::string QueryField::ValueOf(const CReuseBlock& block) const {
    std::string scratch;
    return std::string(ViewOf(block, scratch));
}

std::string_view QueryField::ViewOf(const CReuseBlock& block, std::string& scratch) const {
    if (property == kSymbol) {
        scratch = block.GetBlockSymbolName().GetView();
        return scratch;
    }
    if (property == kMaps) {
        scratch = std::to_string(block.GetLayerMapCount());
        return scratch;
    }
    return block.GetPropertyRef(static_cast<std::uint32_t>(property)).GetView();
}

std::vector<QueryField> ParseFields(const std::vector<std::string>& lists) {
    std::vector<QueryField> fields;
    for (const std::string& list : lists) {
        for (std::size_t start = 0;;) {
            const std::size_t comma = std::min(list.find(',', start), list.size());
            const std::string name = list.substr(start, comma - start);
            if (name.empty()) throw UsageError("empty field name in --fields " + Quoted(list));
            fields.push_back(ParseField(name));
            if (comma == list.size()) break;
            start = comma + 1;
        }
    }
    return fields;
}

bool QueryTest::Passes(const CReuseBlock& block) const {
    std::string scratch;
    const std::string_view value = field.ViewOf(block, scratch);
    if (op == Op::kEqual || op == Op::kDiffer) {
        bool found = false;
        for (std::size_t i = 0; i < values.size() && !found; ++i) {
            found = globs[i] ? GlobMatches(values[i], value, ignoreCase)
                             : SameText(values[i], value, ignoreCase);
        }
        return found == (op == Op::kEqual);
    }
    const std::optional<double> own = ParseNumber(value);
    if (!own) return false;
    switch (op) {
        case Op::kLess:
            return *own < number;
        case Op::kLessOrEqual:
            return *own <= number;
        case Op::kGreater:
            return *own > number;
        default:
            return *own >= number;
    }
}

std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts,
                                            bool ignoreCase) {
    std::vector<QueryCondition> conditions;
    for (const std::string& text : texts) conditions.push_back(ParseCondition(text, ignoreCase));
    return conditions;
}

std::vector<QueryCondition> ParseConditions(const std::vector<std::string>& texts,
                                            const std::vector<std::string>& literals,
                                            bool ignoreCase) {
    std::vector<QueryCondition> conditions = ParseConditions(texts, ignoreCase);
    for (const std::string& text : literals) {
        conditions.push_back(ParseLiteralCondition(text, ignoreCase));
    }
    return conditions;
}

bool Matches(const CReuseBlock& block, const std::vector<QueryCondition>& conditions) {
    return std::all_of(conditions.begin(), conditions.end(), [&](const QueryCondition& condition) {
        return std::any_of(condition.anyOf.begin(), condition.anyOf.end(),
                           [&](const QueryTest& test) { return test.Passes(block); });
    });
}

bool GlobMatches(std::string_view pattern, std::string_view text, bool ignoreCase) {
    // The classic walk: on a mismatch, go back to just after the last "*" and let it take one
    // byte more. Only the last star matters, so no input makes it backtrack further.
    std::size_t p = 0;
    std::size_t t = 0;
    std::size_t afterStar = std::string_view::npos;
    std::size_t starTook = 0;
    while (t < text.size()) {
        if (p < pattern.size()) {
            char c = pattern[p];
            if (c == '*') {
                afterStar = ++p;
                starTook = t;
                continue;
            }
            std::size_t width = 1;
            const bool any = c == '?';
            if (c == '\\' && p + 1 < pattern.size()) {
                c = pattern[p + 1];
                width = 2;
            }
            if (any || Folded(c, ignoreCase) == Folded(text[t], ignoreCase)) {
                p += width;
                ++t;
                // "?" stands for a whole character, its UTF-8 continuation bytes with it.
                while (any && t < text.size() &&
                       (static_cast<unsigned char>(text[t]) & 0xC0) == 0x80)
                    ++t;
                continue;
            }
        }
        if (afterStar == std::string_view::npos) return false;
        p = afterStar;
        t = ++starTook;
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace reuseblocks::tool
