// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_IO_LINE_TOKENIZER_H
#define REUSEBLOCKS_IO_LINE_TOKENIZER_H

#include <string_view>
#include <vector>

namespace reuseblocks::detail {

// Splits `line` into `fields` (cleared first), in order. Fields are separated by runs of blank,
// tab, carriage return and line feed outside quotes. A double or single quote opens a quoted
// stretch and either closes it; inside one, white space and specials are ordinary characters, and
// the quote characters stay in the field. Outside quotes each character of `specials` is a field
// of its own. No field is empty. Every field is a contiguous slice of `line`, so the views stay
// valid as long as the line's text does.
void TokenizeLine(std::string_view line, std::vector<std::string_view>& fields,
                  std::string_view specials);

}  // namespace reuseblocks::detail

#endif  // REUSEBLOCKS_IO_LINE_TOKENIZER_H
