// SPDX-License-Identifier: MIT
#include "plot/svg_writer.h"

#include <array>
#include <charconv>
#include <cmath>

#include "plot/xml_text.h"

namespace reuseblocks::tool {

std::string FormattedNumber(double value, int decimals) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 400> digits{};  // room for the largest double written out in full
    const std::to_chars_result result = std::to_chars(digits.data(), digits.data() + digits.size(),
                                                      value, std::chars_format::fixed, decimals);
    std::string text(digits.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    if (text == "-0") text = "0";
    return text;
}

void SvgWriter::StartTag(std::string_view tag, Attributes attributes) {
    m_out += '<';
    m_out += tag;
    for (const SvgAttribute& attribute : attributes) {
        if (attribute.value.empty()) continue;
        m_out += ' ';
        m_out += attribute.name;
        m_out += "=\"";
        AppendXmlText(m_out, attribute.value);
        m_out += '"';
    }
}

void SvgWriter::Open(std::string_view tag, Attributes attributes) {
    StartTag(tag, attributes);
    m_out += ">";
}

void SvgWriter::Close(std::string_view tag) {
    m_out += "</";
    m_out += tag;
    m_out += ">\n";
}

void SvgWriter::Empty(std::string_view tag, Attributes attributes) {
    StartTag(tag, attributes);
    m_out += "/>\n";
}

void SvgWriter::Text(std::string_view text) {
    AppendXmlText(m_out, text);
}

void SvgWriter::TextElement(std::string_view tag, Attributes attributes, std::string_view text) {
    StartTag(tag, attributes);
    m_out += '>';
    AppendXmlText(m_out, text);
    m_out += "</";
    m_out += tag;
    m_out += ">\n";
}

void SvgWriter::Raw(std::string_view markup) {
    m_out += markup;
}

void SvgWriter::Reserve(std::size_t bytes) {
    m_out.reserve(m_out.size() + bytes);
}

std::string SvgWriter::Take() {
    return std::move(m_out);
}

std::string SvgWriter::DocumentStart(double width, double height) {
    SvgWriter start;
    start.Raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    start.Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                       {"width", width},
                       {"height", height},
                       {"viewBox",
                        "0 0 " + FormattedNumber(width, 1) + " " + FormattedNumber(height, 1)}});
    start.Raw("\n");
    return start.Take();
}

std::string SvgWriter::DocumentEnd() {
    SvgWriter end;
    end.Close("svg");
    return end.Take();
}

}  // namespace reuseblocks::tool
