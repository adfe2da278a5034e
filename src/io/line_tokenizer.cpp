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

}  // namespace

void TokenizeLine(std::string_view line, std::vector<std::string_view>& fields,
                  std::string_view specials) {
    fields.clear();
    const std::array<unsigned char, 256> table = ClassTable(specials);
    const std::size_t size = line.size();
    bool quoted = false;
    std::size_t start = 0;  // first character of the field being built
    std::size_t length = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char kind = table[static_cast<unsigned char>(line[i])];
        if (kind == kOrdinary) {
            if (length == 0) start = i;
            ++length;
            continue;
        }
        if (!quoted && kind == kSeparator) {
            if (length > 0) fields.push_back(line.substr(start, length));
            length = 0;
        } else if (!quoted && kind == kSpecial) {
            if (length > 0) fields.push_back(line.substr(start, length));
            length = 0;
            fields.push_back(line.substr(i, 1));
        } else {
            // A quote, or white space or a special character inside quotes.
            if (line[i] == '"' || line[i] == '\'') quoted = !quoted;
            if (length == 0) start = i;
            ++length;
        }
    }
    if (length > 0) fields.push_back(line.substr(start, length));
}

}  // namespace reuseblocks::detail
