// SPDX-License-Identifier: MIT
#include "json_stream.h"

#include "field_names.h"
#include "json_output.h"

namespace reuseblocks::tool {

namespace {

// Where a pretty-printed line starts: a line break and `depth` levels of two blanks; nothing on
// one line.
void NewLine(std::string& out, int indent, int depth) {
    if (indent < 0) return;
    out += '\n';
    out.append(static_cast<std::size_t>(indent + 2 * depth), ' ');
}

void AppendKey(std::string& out, std::string_view key, int indent) {
    out += '"';
    out += key;  // every key is a plain field name
    out += indent < 0 ? "\":" : "\": ";
}

}  // namespace

void AppendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const std::size_t start = out.size();
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        // Most values need no escaping at all: copy runs of plain characters at once.
        std::size_t plain = i;
        while (plain < text.size()) {
            const auto c = static_cast<unsigned char>(text[plain]);
            if (c < 0x20 || c >= 0x80 || c == '"' || c == '\\') break;
            ++plain;
        }
        out.append(text.data() + i, plain - i);
        if (plain == text.size()) break;
        i = plain;
        const auto c = static_cast<unsigned char>(text[i++]);
        if (c >= 0x80) {
            // Rare: let the library that defines the reference bytes handle the whole string.
            out.resize(start);
            out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
            return;
        }
        out += '\\';
        switch (c) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '\b':
                out += 'b';
                break;
            case '\t':
                out += 't';
                break;
            case '\n':
                out += 'n';
                break;
            case '\f':
                out += 'f';
                break;
            case '\r':
                out += 'r';
                break;
            default:
                out += "u00";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
        }
    }
    out += '"';
}

void AppendBlockJson(std::string& out, CReuseBlock& block, int indent) {
    out += '{';
    NewLine(out, indent, 1);
    AppendKey(out, "symbol", indent);
    AppendJsonString(out, block.GetBlockSymbolName().GetView());
    out += ',';
    NewLine(out, indent, 1);
    AppendKey(out, "properties", indent);
    out += '{';
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        if (index > 0) out += ',';
        NewLine(out, indent, 2);
        AppendKey(out, PropertyName(index), indent);
        AppendJsonString(out, block.GetProperty(index).GetView());
    }
    NewLine(out, indent, 1);
    out += "},";
    NewLine(out, indent, 1);
    AppendKey(out, "layer_maps", indent);
    out += '[';
    const std::uint32_t rows = block.GetLayerMapCount();
    for (std::uint32_t row = 0; row < rows; ++row) {
        if (row > 0) out += ',';
        NewLine(out, indent, 2);
        out += '{';
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            if (column > 0) out += ',';
            NewLine(out, indent, 3);
            AppendKey(out, LayerMapColumnName(column), indent);
            AppendJsonString(out, block.GetLayerMap(row, column).GetView());
        }
        NewLine(out, indent, 2);
        out += '}';
    }
    if (rows > 0) NewLine(out, indent, 1);
    out += ']';
    NewLine(out, indent, 0);
    out += '}';
}

}  // namespace reuseblocks::tool
