// SPDX-License-Identifier: MIT
#include "json_block_parser.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/chunk_classes.h"
#include "platform/bit_scan.h"
#include "records/fields.h"
#include "records/record_builder.h"
#include "records/value_checks.h"

namespace reuseblocks::tool {

namespace {

struct NeedMore {};
struct Unsure {};

// Bytes a JSON string holds as they are: printable ASCII but the quote and the backslash.
constexpr std::array<bool, 256> kPlainStringBytes = [] {
    std::array<bool, 256> plain{};
    for (std::size_t c = 0x20; c < 0x80; ++c) plain[c] = c != '"' && c != '\\';
    return plain;
}();

// Below 10^300 a number is surely a finite double.
constexpr long kSurelyFinite = 300;

class Parser {
  public:
    Parser(const char* at, const char* end, BlockRecord& record)
        : m_at(at), m_end(end), m_record(record), m_builder(record, m_problems) {}

    void Block() {
        // What an earlier block left, its memory kept for this one: its layer-map rows are
        // written over and trimmed to this block's count.
        m_record.id.reset();
        m_record.properties.clear();
        Expect('{');
        SkipSpace();
        if (Peek() == '}') {
            ++m_at;
            m_record.layerMaps.reset();
            return;
        }
        bool symbol = false;
        bool properties = false;
        bool layerMaps = false;
        unsigned derived = 0;
        do {
            const std::string_view key = String(m_key);
            SkipSpace();
            Expect(':');
            SkipSpace();
            if (key == "symbol") {
                Once(symbol);
                ScalarText();
            } else if (key == "properties") {
                Once(properties);
                Properties();
            } else if (key == "layer_maps") {
                Once(layerMaps);
                LayerMaps();
            } else {
                Field(FieldOf(key, 0), derived);
            }
        } while (NextMember('}'));
        if (!layerMaps) m_record.layerMaps.reset();
    }

    bool Clean() const { return m_problems.empty(); }
    const char* At() const { return m_at; }
    unsigned long LineFeeds() const { return m_lineFeeds; }

  private:
    char Peek() const {
        if (m_at == m_end) throw NeedMore{};
        return *m_at;
    }
    void Expect(char c) {
        if (Peek() != c) throw Unsure{};
        ++m_at;
    }
    void SkipSpace() {
#if defined(REUSEBLOCKS_FORMAT_SSE2)
        // Printed JSON puts a line feed and an indent between every two tokens: a run of white
        // space mostly fits in one chunk of sixteen bytes.
        while (m_end - m_at >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_at));
            const __m128i feeds = _mm_cmpeq_epi8(chunk, m_feed);
            const __m128i space = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, m_blank), _mm_cmpeq_epi8(chunk, m_tab)),
                _mm_or_si128(_mm_cmpeq_epi8(chunk, m_return), feeds));
            const unsigned other = ~static_cast<unsigned>(_mm_movemask_epi8(space)) & 0xFFFFu;
            const unsigned skipped = other == 0 ? 16 : detail::LowestSetBit(other);
            for (unsigned feed =
                     static_cast<unsigned>(_mm_movemask_epi8(feeds)) & ((1u << skipped) - 1);
                 feed != 0; feed &= feed - 1) {
                ++m_lineFeeds;
            }
            m_at += skipped;
            if (other != 0) return;
        }
#endif
        for (;; ++m_at) {
            const char c = Peek();
            if (c == '\n') {
                ++m_lineFeeds;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
        }
    }
    // After a member or an element: true when another follows, false past the `close`.
    bool NextMember(char close) {
        SkipSpace();
        const char c = Peek();
        ++m_at;
        if (c == close) return false;
        if (c != ',') throw Unsure{};
        SkipSpace();
        return true;
    }
    // A key the object repeats is a problem; one that leaves no value behind is caught here.
    static void Once(bool& seen) {
        if (seen) throw Unsure{};
        seen = true;
    }

    // The field a key names, trying first the property the file's order puts next.
    static int FieldOf(std::string_view key, std::uint32_t next) {
        if (next < CReuseBlock::kPropertyCount && key == PropertyName(next))
            return static_cast<int>(next);
        const std::optional<int> field = FieldNamedByUser(key);
        if (!field) throw Unsure{};
        return *field;
    }
    void Field(int field, unsigned& derived) {
        // SYMBOL and MAPS keep no value, so the builder would not see them repeated.
        if (field < 0 && ++derived > 1) throw Unsure{};
        m_builder.AddToField(field, std::string(ScalarText()));
    }

    void Properties() {
        Expect('{');
        SkipSpace();
        if (Peek() == '}') {
            ++m_at;
            return;
        }
        unsigned derived = 0;
        std::uint32_t next = 0;
        do {
            const int field = FieldOf(String(m_key), next);
            if (field >= 0) next = static_cast<std::uint32_t>(field) + 1;
            SkipSpace();
            Expect(':');
            SkipSpace();
            Field(field, derived);
        } while (NextMember('}'));
    }

    void LayerMaps() {
        Expect('[');
        if (!m_record.layerMaps) m_record.layerMaps.emplace();
        auto& rows = *m_record.layerMaps;
        std::size_t count = 0;
        SkipSpace();
        if (Peek() == ']') {
            ++m_at;
            rows.clear();
            return;
        }
        do {
            if (count == rows.size()) rows.emplace_back();
            LayerMap(rows[count++]);
        } while (NextMember(']'));
        rows.resize(count);
    }

    // Every column of `columns` is written over, or the row is unsure.
    void LayerMap(std::array<std::string, CReuseBlock::kLayerMapColumnCount>& columns) {
        constexpr std::uint32_t kColumns = CReuseBlock::kLayerMapColumnCount;
        std::array<bool, kColumns> given{};
        Expect('{');
        SkipSpace();
        std::uint32_t next = 0;
        do {
            const std::string_view key = String(m_key);
            std::uint32_t column = next;
            if (column == kColumns || key != kLayerMapColumnNames[column]) {
                column = 0;
                while (column < kColumns &&
                       !ascii::EqualsIgnoringCase(key, kLayerMapColumnNames[column])) {
                    ++column;
                }
                if (column == kColumns) throw Unsure{};
            }
            Once(given[column]);
            next = column + 1;
            SkipSpace();
            Expect(':');
            SkipSpace();
            const std::string_view text = ScalarText();
            if (!IsWritable(text, PlaceOfLayerMapColumn(column))) throw Unsure{};
            columns[column].assign(text);
        } while (NextMember('}'));
        for (const bool column : given) {
            if (!column) throw Unsure{};
        }
    }

    // A string or a number as its text, valid until the next value is read; anything else
    // would be a problem.
    std::string_view ScalarText() {
        const char c = Peek();
        if (c == '"') return String(m_value);
        if (c == '-' || (c >= '0' && c <= '9')) return Number();
        throw Unsure{};
    }

    bool AtDigit() const {
        const char c = Peek();
        return c >= '0' && c <= '9';
    }
    std::string_view Number() {
        const char* start = m_at;
        if (*m_at == '-') ++m_at;
        if (!AtDigit()) throw Unsure{};
        // The power of ten the number reaches, roughly: digits before the point plus exponent.
        long magnitude = 0;
        if (*m_at == '0') {
            ++m_at;
        } else {
            for (; AtDigit(); ++m_at) magnitude += magnitude < kSurelyFinite;
        }
        if (Peek() == '.') {
            ++m_at;
            if (!AtDigit()) throw Unsure{};
            while (AtDigit()) ++m_at;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++m_at;
            const bool negative = Peek() == '-';
            if (Peek() == '+' || negative) ++m_at;
            if (!AtDigit()) throw Unsure{};
            long exponent = 0;
            for (; AtDigit(); ++m_at) {
                if (exponent < kSurelyFinite) exponent = exponent * 10 + (*m_at - '0');
            }
            magnitude += negative ? -exponent : exponent;
        }
        // The general reader refuses a number past the largest double; near it, it judges.
        if (magnitude >= kSurelyFinite) throw Unsure{};
        return std::string_view(start, static_cast<std::size_t>(m_at - start));
    }

    // Past the bytes a string holds as they are, up to the end of the text at most.
    void SkipPlain() {
#if defined(REUSEBLOCKS_FORMAT_SSE2)
        while (m_end - m_at >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_at));
            // As signed bytes, those below 0x20 and those from 0x80 on are all less than 0x20.
            const unsigned special = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, m_quote), _mm_cmpeq_epi8(chunk, m_backslash)),
                _mm_cmplt_epi8(chunk, m_control))));
            if (special != 0) {
                m_at += detail::LowestSetBit(special);
                return;
            }
            m_at += 16;
        }
#endif
        while (m_at != m_end && kPlainStringBytes[static_cast<unsigned char>(*m_at)]) ++m_at;
    }

    // The text of a string, in `scratch` only when it holds escapes.
    std::string_view String(std::string& scratch) {
        Expect('"');
        const char* start = m_at;
        for (;;) {
            SkipPlain();
            const auto c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                return std::string_view(start, static_cast<std::size_t>(m_at++ - start));
            } else if (c >= 0x80) {
                Utf8();
            } else {
                break;
            }
        }
        scratch.assign(start, m_at);
        for (;;) {
            const char* const plain = m_at;
            SkipPlain();
            scratch.append(plain, m_at);
            const auto c = static_cast<unsigned char>(Peek());
            if (c == '"') {
                ++m_at;
                return scratch;
            } else if (c >= 0x80) {
                const char* from = m_at;
                Utf8();
                scratch.append(from, m_at);
            } else if (c == '\\') {
                Escape(scratch);
            } else {
                throw Unsure{};  // a control character
            }
        }
    }

    unsigned char ByteAt(std::size_t offset) const {
        if (static_cast<std::size_t>(m_end - m_at) <= offset) throw NeedMore{};
        return static_cast<unsigned char>(m_at[offset]);
    }
    // One well-formed UTF-8 sequence (no overlong form, surrogate or code point past U+10FFFF).
    void Utf8() {
        const unsigned char lead = ByteAt(0);
        std::size_t continuations = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            continuations = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            continuations = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            continuations = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            throw Unsure{};
        }
        for (std::size_t i = 1; i <= continuations; ++i) {
            const unsigned char byte = ByteAt(i);
            if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) throw Unsure{};
        }
        m_at += continuations + 1;
    }

    std::uint32_t Hex4(std::size_t offset) const {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const unsigned char c = ByteAt(offset + i);
            std::uint32_t digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            } else {
                throw Unsure{};
            }
            value = value * 16 + digit;
        }
        return value;
    }
    void Escape(std::string& out) {
        const char kind = static_cast<char>(ByteAt(1));
        const std::string_view simple = "\"\\/bfnrt";
        const std::string_view meant = "\"\\/\b\f\n\r\t";
        if (const std::size_t at = simple.find(kind); at != std::string_view::npos) {
            out.push_back(meant[at]);
            m_at += 2;
            return;
        }
        if (kind != 'u') throw Unsure{};
        std::uint32_t code = Hex4(2);
        std::size_t length = 6;
        if (code >= 0xDC00 && code <= 0xDFFF) throw Unsure{};
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (ByteAt(6) != '\\' || ByteAt(7) != 'u') throw Unsure{};
            const std::uint32_t low = Hex4(8);
            if (low < 0xDC00 || low > 0xDFFF) throw Unsure{};
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            length = 12;
        }
        AppendUtf8(out, code);
        m_at += length;
    }
    static void AppendUtf8(std::string& out, std::uint32_t code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    const char* m_at;
    const char* m_end;
    unsigned long m_lineFeeds = 0;
    BlockRecord& m_record;
    std::vector<InputProblem> m_problems;
    RecordBuilder m_builder;
    std::string m_key;
    std::string m_value;
#if defined(REUSEBLOCKS_FORMAT_SSE2)
    const __m128i m_blank = _mm_set1_epi8(' ');
    const __m128i m_tab = _mm_set1_epi8('\t');
    const __m128i m_return = _mm_set1_epi8('\r');
    const __m128i m_feed = _mm_set1_epi8('\n');
    const __m128i m_quote = _mm_set1_epi8('"');
    const __m128i m_backslash = _mm_set1_epi8('\\');
    const __m128i m_control = _mm_set1_epi8(0x20);
#endif
};

}  // namespace

BlockParse ParseBlockObject(const char*& at, const char* end, BlockRecord& record,
                            unsigned long& lineFeeds) {
    Parser parser(at, end, record);
    try {
        parser.Block();
    } catch (const NeedMore&) {
        return BlockParse::kNeedMore;
    } catch (const Unsure&) {
        return BlockParse::kUnsure;
    }
    if (!parser.Clean()) return BlockParse::kUnsure;
    at = parser.At();
    lineFeeds += parser.LineFeeds();
    return BlockParse::kDone;
}

}  // namespace reuseblocks::tool
