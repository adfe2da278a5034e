#include "io/line_tokenizer.h"

namespace reuseblocks::detail {

namespace {

bool IsFieldSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

}  // namespace

void TokenizeLine(std::string_view line, std::vector<std::string_view>& fields,
                  std::string_view specials) {
    fields.clear();
    bool quoted = false;
    std::size_t start = 0;  // first character of the field being built
    std::size_t length = 0;
    auto flush = [&] {
        if (length > 0) fields.push_back(line.substr(start, length));
        length = 0;
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!quoted && IsFieldSeparator(c)) {
            flush();
        } else if (!quoted && specials.find(c) != std::string_view::npos) {
            flush();
            fields.push_back(line.substr(i, 1));
        } else {
            if (IsQuote(c)) quoted = !quoted;
            if (length == 0) start = i;
            ++length;
        }
    }
    flush();
}

}  // namespace reuseblocks::detail
