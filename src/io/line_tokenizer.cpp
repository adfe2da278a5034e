#include "io/line_tokenizer.h"

#include <array>

namespace reuseblocks::detail {

namespace {

enum CharClass : unsigned char { kOrdinary = 0, kSeparator, kSpecial, kQuote };

// One table look-up per character instead of a search through `specials` for each of them.
// White space wins over a special character, as a separator is tested first.
std::array<unsigned char, 256> ClassTable(std::string_view specials) {
    std::array<unsigned char, 256> table{};
    for (char c : specials) table[static_cast<unsigned char>(c)] = kSpecial;
    for (char c : {' ', '\t', '\r', '\n'}) table[static_cast<unsigned char>(c)] = kSeparator;
    for (char c : {'"', '\''}) {
        if (table[static_cast<unsigned char>(c)] == kOrdinary)
            table[static_cast<unsigned char>(c)] = kQuote;
    }
    return table;
}

bool IsQuoteChar(char c) {
    return c == '"' || c == '\'';
}

}  // namespace

void TokenizeLine(std::string_view line, std::vector<std::string_view>& fields,
                  std::string_view specials) {
    fields.clear();
    const std::array<unsigned char, 256> table = ClassTable(specials);
    const auto classOf = [&table](char c) { return table[static_cast<unsigned char>(c)]; };
    const std::size_t size = line.size();
    std::size_t i = 0;
    // Between fields, where no quote can be open.
    while (i < size) {
        const unsigned char kind = classOf(line[i]);
        if (kind == kSeparator) {
            ++i;
            continue;
        }
        if (kind == kSpecial) {
            fields.push_back(line.substr(i, 1));
            ++i;
            continue;
        }
        // A field runs to the first separator or special character outside quotes; ordinary
        // characters, the bulk of every line, cost one look-up each.
        const std::size_t start = i;
        bool quoted = false;
        for (; i < size; ++i) {
            const unsigned char inner = classOf(line[i]);
            if (inner == kOrdinary) continue;
            if (quoted) {
                if (IsQuoteChar(line[i])) quoted = false;
                continue;
            }
            if (inner == kQuote) {
                quoted = true;
                continue;
            }
            break;
        }
        fields.push_back(line.substr(start, i - start));
    }
}

}  // namespace reuseblocks::detail
