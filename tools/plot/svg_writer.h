// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_PLOT_SVG_WRITER_H
#define REUSEBLOCKS_TOOLS_PLOT_SVG_WRITER_H

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace reuseblocks::tool {

// `value` with at most `decimals` digits after the point, trailing zeros dropped and never "-0",
// the same whatever the locale.
std::string FormattedNumber(double value, int decimals);

// One attribute; numbers get one decimal, enough for a drawing in pixels. An empty value leaves
// the attribute out.
struct SvgAttribute {
    SvgAttribute(std::string_view attributeName, std::string_view text)
        : name(attributeName), value(text) {}
    SvgAttribute(std::string_view attributeName, const char* text)
        : name(attributeName), value(text) {}
    SvgAttribute(std::string_view attributeName, double number)
        : name(attributeName), value(FormattedNumber(number, 1)) {}

    std::string_view name;
    std::string value;
};

// Builds SVG markup in memory. Every attribute value and every text goes through DisplayText and
// XmlEscaped, so no text can add markup or break the XML.
class SvgWriter {
  public:
    using Attributes = std::initializer_list<SvgAttribute>;

    void Open(std::string_view tag, Attributes attributes = {});
    void Close(std::string_view tag);
    void Empty(std::string_view tag, Attributes attributes);
    void Text(std::string_view text);
    void TextElement(std::string_view tag, Attributes attributes, std::string_view text);
    // Markup the tool writes itself, such as the style sheet.
    void Raw(std::string_view markup);
    // Room for `bytes` more of markup, so that a large drawing is not copied as it grows.
    void Reserve(std::size_t bytes);

    // The markup written so far; the writer is empty afterwards.
    std::string Take();
    // The markup written so far, valid until the next change.
    std::string_view Markup() const { return m_out; }
    // Empty again, keeping its memory for the next markup.
    void Clear() { m_out.clear(); }

    // What comes before and after the body of an SVG document of the given size in pixels.
    static std::string DocumentStart(double width, double height);
    static std::string DocumentEnd();

  private:
    void StartTag(std::string_view tag, Attributes attributes);

    std::string m_out;
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_PLOT_SVG_WRITER_H
