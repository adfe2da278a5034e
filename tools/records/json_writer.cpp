// SPDX-License-Identifier: MIT
#include "json_writer.h"

#include <nlohmann/json.hpp>

namespace reuseblocks::tool {

void JsonWriter::BeforeValue() {
    if (m_drain && m_out.size() >= kDrainSize) m_drain(m_out);
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_filled.empty()) return;
    if (m_filled.back()) m_out += ',';
    m_filled.back() = true;
    if (m_pretty) {
        m_out += '\n';
        m_out.append(2 * m_filled.size(), ' ');
    }
}

JsonWriter& JsonWriter::Literal(std::string_view text) {
    BeforeValue();
    m_out += text;
    return *this;
}

JsonWriter& JsonWriter::Begin(char bracket) {
    BeforeValue();
    m_out += bracket;
    m_filled.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::End(char bracket) {
    const bool filled = m_filled.back();
    m_filled.pop_back();
    if (filled && m_pretty) {
        m_out += '\n';
        m_out.append(2 * m_filled.size(), ' ');
    }
    m_out += bracket;
    return *this;
}

JsonWriter& JsonWriter::BeginObject() {
    return Begin('{');
}

JsonWriter& JsonWriter::EndObject() {
    return End('}');
}

JsonWriter& JsonWriter::BeginArray() {
    return Begin('[');
}

JsonWriter& JsonWriter::EndArray() {
    return End(']');
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    BeforeValue();
    AppendJsonString(m_out, name);
    m_out += m_pretty ? ": " : ":";
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    AppendJsonString(m_out, text);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    return Literal(value ? "true" : "false");
}

JsonWriter& JsonWriter::Null() {
    return Literal("null");
}

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
            out += nlohmann::json(std::string(text))
                       .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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

}  // namespace reuseblocks::tool
