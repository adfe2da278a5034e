// SPDX-License-Identifier: MIT
#include "lsp/message_json.h"

#include <cstdint>
#include <string>
#include <utility>

#include "text/utf8.h"

namespace reuseblocks::tool::lsp {

namespace {

// Deeper nesting than any message of the protocol is left to the general reader, which keeps
// its own stack rather than the thread's.
constexpr int kDeepest = 64;

// Strict JSON (RFC 8259) read straight into nlohmann::json. Whatever it is not sure of (a
// syntax error, text that is not UTF-8, a number, which it leaves to the general reader to
// convert, failing) makes it give up, and the general reader judges the whole body, so that a
// message reads as it always did and a bad one is refused in the same words.
class QuickReader {
  public:
    explicit QuickReader(std::string_view text) : m_text(text) {}

    bool Document(nlohmann::json& value) {
        SkipSpace();
        if (!Value(value, 0)) return false;
        SkipSpace();
        return m_at == m_text.size();
    }

  private:
    bool AtEnd() const { return m_at == m_text.size(); }
    bool Is(char c) const { return !AtEnd() && m_text[m_at] == c; }
    unsigned char Byte(std::size_t at) const { return static_cast<unsigned char>(m_text[at]); }

    void SkipSpace() {
        while (!AtEnd()) {
            const char c = m_text[m_at];
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r') return;
            ++m_at;
        }
    }

    bool Value(nlohmann::json& value, int depth) {
        if (AtEnd()) return false;
        switch (m_text[m_at]) {
            case '{':
                return depth < kDeepest && Object(value, depth + 1);
            case '[':
                return depth < kDeepest && Array(value, depth + 1);
            case '"': {
                std::string text;
                if (!String(text)) return false;
                value = std::move(text);
                return true;
            }
            case 't':
                return Word("true", value, nlohmann::json(true));
            case 'f':
                return Word("false", value, nlohmann::json(false));
            case 'n':
                return Word("null", value, nlohmann::json(nullptr));
            default:
                return Number(value);
        }
    }

    bool Object(nlohmann::json& value, int depth) {
        ++m_at;
        value = nlohmann::json::object();
        SkipSpace();
        if (Is('}')) {
            ++m_at;
            return true;
        }
        for (;;) {
            SkipSpace();
            std::string key;
            if (!Is('"') || !String(key)) return false;
            SkipSpace();
            if (!Is(':')) return false;
            ++m_at;
            SkipSpace();
            // A repeated key keeps its last value, as with the general reader.
            if (!Value(value[key], depth)) return false;
            SkipSpace();
            if (Is(',')) {
                ++m_at;
                continue;
            }
            if (!Is('}')) return false;
            ++m_at;
            return true;
        }
    }

    bool Array(nlohmann::json& value, int depth) {
        ++m_at;
        value = nlohmann::json::array();
        SkipSpace();
        if (Is(']')) {
            ++m_at;
            return true;
        }
        for (;;) {
            SkipSpace();
            value.push_back(nlohmann::json());
            if (!Value(value.back(), depth)) return false;
            SkipSpace();
            if (Is(',')) {
                ++m_at;
                continue;
            }
            if (!Is(']')) return false;
            ++m_at;
            return true;
        }
    }

    bool Word(std::string_view word, nlohmann::json& value, nlohmann::json meaning) {
        if (m_text.substr(m_at, word.size()) != word) return false;
        m_at += word.size();
        value = std::move(meaning);
        return true;
    }

    // The general reader converts numbers, which are short and few in a message.
    bool Number(nlohmann::json& value) {
        const std::size_t start = m_at;
        while (!AtEnd()) {
            const char c = m_text[m_at];
            if ((c < '0' || c > '9') && c != '-' && c != '+' && c != '.' && c != 'e' && c != 'E') {
                break;
            }
            ++m_at;
        }
        if (m_at == start) return false;
        value = nlohmann::json::parse(m_text.substr(start, m_at - start), nullptr, false);
        return value.is_number();
    }

    bool Hex4(std::uint32_t& unit) {
        if (m_text.size() - m_at < 4) return false;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            unit <<= 4;
            if (c >= '0' && c <= '9') {
                unit |= static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                unit |= static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                unit |= static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }

    // After a backslash.
    bool Escape(std::string& text) {
        if (AtEnd()) return false;
        const char c = m_text[m_at++];
        switch (c) {
            case '"':
            case '\\':
            case '/':
                text += c;
                return true;
            case 'b':
                text += '\b';
                return true;
            case 'f':
                text += '\f';
                return true;
            case 'n':
                text += '\n';
                return true;
            case 'r':
                text += '\r';
                return true;
            case 't':
                text += '\t';
                return true;
            case 'u':
                break;
            default:
                return false;
        }
        std::uint32_t unit = 0;
        if (!Hex4(unit)) return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;  // a low surrogate alone
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::uint32_t low = 0;
            if (m_text.substr(m_at, 2) != "\\u") return false;
            m_at += 2;
            if (!Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(text, static_cast<char32_t>(unit));
        return true;
    }

    // A string from its opening quote; its plain runs are copied whole.
    bool String(std::string& text) {
        ++m_at;
        std::size_t run = m_at;
        while (!AtEnd()) {
            const unsigned char c = Byte(m_at);
            if (c == '"') {
                text.append(m_text, run, m_at - run);
                ++m_at;
                return true;
            }
            if (c == '\\') {
                text.append(m_text, run, m_at - run);
                ++m_at;
                if (!Escape(text)) return false;
                run = m_at;
            } else if (c < 0x20) {
                return false;  // a control character must be escaped
            } else if (c < 0x80) {
                ++m_at;
            } else {
                char32_t ignored = 0;
                const std::size_t size = DecodeUtf8(m_text.substr(m_at), ignored);
                if (size == 0) return false;  // not well-formed UTF-8
                m_at += size;
            }
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace

nlohmann::json ParseMessage(std::string_view body) {
    nlohmann::json value;
    if (QuickReader(body).Document(value)) return value;
    return nlohmann::json::parse(body, nullptr, false);
}

}  // namespace reuseblocks::tool::lsp
