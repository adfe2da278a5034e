// SPDX-License-Identifier: MIT
#include "line_lint.h"

#include <cctype>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <string_view>

#include "cli/near_miss.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

constexpr std::size_t kDefinitionFields = kPropertyCount;
constexpr std::size_t kMappingFields = 2 + kLayerMapColumnCount;

bool IsFieldSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A record may be wrapped in parentheses, as the loader allows.
std::string_view StripRecordEnds(std::string_view text) {
    const std::size_t start = text.find_first_not_of("( \t");
    const std::size_t end = text.find_last_not_of(") \t\n");
    if (start == std::string_view::npos || end == std::string_view::npos || end < start) return {};
    return text.substr(start, end + 1 - start);
}

// The first `most` fields as the loader splits them: white space outside quotes separates them,
// and either quote opens a quoted stretch and either closes it.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields, std::size_t most) {
    fields.clear();
    for (std::size_t i = 0; i < line.size() && fields.size() < most;) {
        if (IsFieldSpace(line[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        for (bool quoted = false; i < line.size() && (quoted || !IsFieldSpace(line[i])); ++i) {
            if (line[i] == '"' || line[i] == '\'') quoted = !quoted;
        }
        fields.push_back(line.substr(start, i - start));
    }
}

// One less than the most fields `line` can have, since fields are separated by one blank at
// least; nothing when it holds a tab or a carriage return, which separate fields too. Blanks are
// counted eight bytes at a time, as every line of a large file passes through here.
std::optional<std::size_t> CountBlanks(std::string_view line) {
    if (line.find('\t') != std::string_view::npos || line.find('\r') != std::string_view::npos) {
        return std::nullopt;
    }
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    constexpr std::uint64_t kLow7 = 0x7f7f7f7f7f7f7f7fu;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= line.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, line.data() + i, 8);
        const std::uint64_t x = word ^ kBlanks;  // a zero byte where a blank was
        const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);  // its top bit, then
        count += static_cast<std::size_t>(((zero >> 7) * 0x0101010101010101u) >> 56);  // summed
    }
    for (; i < line.size(); ++i) count += line[i] == ' ' ? 1u : 0u;
    return count;
}

std::string CountMessage(const char* kind, std::size_t found, std::size_t expected) {
    std::string message = std::string(kind) + " line has " + Counted(found, "field", "fields") +
                          ", " + std::to_string(expected) + " expected";
    if (found > expected) {
        message += ": the loader ignores the last " + std::to_string(found - expected);
    }
    return message;
}

// Two edits bring in at most two characters the keyword does not have, so most IDs are ruled out
// without working out a distance.
bool MayBeNearKeyword(std::string_view field) {
    std::size_t foreign = 0;
    for (const char c : field) {
        const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (kMappingKeyword.find(lower) == std::string_view::npos && ++foreign > 2) return false;
    }
    return true;
}

class LineWalk {
  public:
    explicit LineWalk(unsigned long rejected) : m_rejected(rejected) {}

    void Line(unsigned long number, std::string_view line) {
        const bool mapping = line.find(kMappingKeyword) != std::string_view::npos;
        const std::string_view record = StripRecordEnds(line);
        const std::size_t expected = mapping ? kMappingFields : kDefinitionFields;
        const std::optional<std::size_t> blanks =
            Loaded(number) ? CountBlanks(record) : std::nullopt;
        if (blanks && *blanks < expected) {
            // Loaded, it has as many fields as expected at least, and it cannot have more: only
            // the first one is still needed.
            SplitFields(record, m_fields, 1);
            m_count = m_fields.empty() ? 0 : expected;
        } else {
            SplitFields(record, m_fields, std::numeric_limits<std::size_t>::max());
            m_count = m_fields.size();
        }
        if (mapping) {
            Mapping(number);
        } else {
            Definition(number);
        }
    }

    LineLint Take() { return std::move(m_result); }

  private:
    // Loaded, so the library has checked what it rejects.
    bool Loaded(unsigned long number) const { return m_rejected == 0 || number < m_rejected; }
    bool AfterRejected(unsigned long number) const {
        return m_rejected != 0 && number > m_rejected;
    }

    void Add(unsigned long line, const char* severity, const char* code, std::string message,
             std::optional<std::string> block = std::nullopt) {
        if (m_result.problems.size() > kProblemLimit) return;
        m_result.problems.push_back(
            {line, severity, code, std::move(block), std::nullopt, std::move(message)});
    }

    void Definition(unsigned long number) {
        m_defined = true;
        static const std::vector<std::string_view> keyword = {kMappingKeyword};
        if (!m_fields.empty() && MayBeNearKeyword(m_fields[0]) &&
            !NearestName(m_fields[0], keyword).empty()) {
            Add(number, "warning", "MappingKeyword",
                Quoted(m_fields[0]) +
                    " is not the mapping keyword, so the line reads as a block "
                    "definition; did you mean " +
                    std::string(kMappingKeyword) + "?");
        }
        if (m_count < kDefinitionFields) {
            if (AfterRejected(number)) {
                Add(number, "error", "DefinitionTooShort",
                    CountMessage("definition", m_count, kDefinitionFields));
            }
            m_current.reset();  // its mapping lines would only repeat the fault
            return;
        }
        if (m_count > kDefinitionFields) {
            Add(number, "warning", "TooManyFields",
                CountMessage("definition", m_count, kDefinitionFields));
        }
        if (Loaded(number)) m_result.lines.push_back(RecordLines{number, {}});
        if (m_rejected == 0) return;  // the library found every ID once
        const std::string id(m_fields[0]);
        m_current = id;
        const auto [first, inserted] = m_firstLines.emplace(id, number);
        if (!inserted) {
            if (AfterRejected(number)) {
                Add(number, "error", "DuplicateBlockID",
                    "block ID " + Quoted(id) + " is already defined", id);
            }
            Add(number, "note", "DuplicateBlockID",
                "block " + Quoted(id) + " was first defined at line " +
                    std::to_string(first->second),
                id);
            return;
        }
        if (!AfterRejected(number)) return;
        UnloadedBlock& block = m_result.unloaded.emplace_back();
        block.line = number;
        for (std::size_t index = 0; index < kDefinitionFields; ++index) {
            block.values[index] = m_fields[index];
        }
    }

    void Mapping(unsigned long number) {
        if (!m_defined) {
            Add(number, "warning", "MappingBeforeDefinition",
                "mapping line before the first block definition: the loader ignores it");
            return;
        }
        if (m_count > kMappingFields) {
            Add(number, "warning", "TooManyFields",
                CountMessage("mapping", m_count, kMappingFields));
        }
        if (Loaded(number)) {
            if (!m_result.lines.empty()) m_result.lines.back().layerMaps.push_back(number);
            return;
        }
        if (!AfterRejected(number) || !m_current) return;
        if (m_fields.size() >= 2 && m_fields[1] != *m_current) {
            Add(number, "error", "ForeignMapping",
                "mapping line names block " + Quoted(m_fields[1]) +
                    ", but the block defined last is " + Quoted(*m_current));
        } else if (m_count < kMappingFields) {
            Add(number, "error", "MappingTooShort",
                CountMessage("mapping", m_count, kMappingFields));
        }
    }

    const unsigned long m_rejected;
    LineLint m_result;
    std::vector<std::string_view> m_fields;  // all of them, or only the first of a loaded line
    std::size_t m_count = 0;                 // of the line's fields
    bool m_defined = false;
    std::optional<std::string> m_current;  // the block mapping lines belong to, once known
    // Sorted, so that no crafted set of IDs can make it quadratic.
    std::map<std::string, unsigned long, std::less<>> m_firstLines;
};

}  // namespace

LineLint LintLines(const std::string& path, unsigned long rejected) {
    LineWalk walk(rejected);
    std::ifstream in(path, std::ios::binary);
    std::string raw;
    for (unsigned long number = 1; std::getline(in, raw); ++number) {
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.front() == kCommentMark) continue;
        walk.Line(number, line);
    }
    if (in.bad()) return {};
    return walk.Take();
}

}  // namespace reuseblocks::tool
