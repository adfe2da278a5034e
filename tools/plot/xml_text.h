// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_XML_TEXT_H
#define REUSEBLOCKS_TOOLS_PLOT_XML_TEXT_H

#include <string>
#include <string_view>

namespace reuseblocks::tool {

// Any bytes from a file as UTF-8 that XML 1.0 accepts and a reader can see: a control character
// shows as its control picture (NUL as U+2400, DEL as U+2421), and a byte that is not part of
// valid UTF-8, a C1 control or a noncharacter as U+FFFD.
std::string DisplayText(std::string_view bytes);

// Valid UTF-8 text with & < > " ' as character references, safe in content and attributes.
std::string XmlEscaped(std::string_view utf8);

// XmlEscaped(DisplayText(bytes)) appended to `out`, the way every text from a file goes into
// markup.
void AppendXmlText(std::string& out, std::string_view bytes);

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_XML_TEXT_H
