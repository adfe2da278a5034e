// SPDX-License-Identifier: MIT
#include "line_lint.h"

#include <fstream>
#include <functional>
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

// The fields as the loader splits them: white space outside quotes separates them, and either
// quote opens a quoted stretch and either closes it.
void SplitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    for (std::size_t i = 0; i < line.size();) {
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

std::string CountMessage(const char* kind, std::size_t found, std::size_t expected) {
    std::string message = std::string(kind) + " line has " + Counted(found, "field", "fields") +
                          ", " + std::to_string(expected) + " expected";
    if (found > expected) {
        message += ": the loader ignores the last " + std::to_string(found - expected);
    }
    return message;
}

class LineWalk {
  public:
    explicit LineWalk(unsigned long rejected) : m_rejected(rejected) {}

    void Line(unsigned long number, std::string_view line) {
        const bool mapping = line.find(kMappingKeyword) != std::string_view::npos;
        SplitFields(StripRecordEnds(line), m_fields);
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
        if (!m_fields.empty() && !NearestName(m_fields[0], keyword).empty()) {
            Add(number, "warning", "MappingKeyword",
                Quoted(m_fields[0]) +
                    " is not the mapping keyword, so the line reads as a block "
                    "definition; did you mean " +
                    std::string(kMappingKeyword) + "?");
        }
        if (m_fields.size() < kDefinitionFields) {
            if (AfterRejected(number)) {
                Add(number, "error", "DefinitionTooShort",
                    CountMessage("definition", m_fields.size(), kDefinitionFields));
            }
            m_current.reset();  // its mapping lines would only repeat the fault
            return;
        }
        if (m_fields.size() > kDefinitionFields) {
            Add(number, "warning", "TooManyFields",
                CountMessage("definition", m_fields.size(), kDefinitionFields));
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
        if (m_fields.size() > kMappingFields) {
            Add(number, "warning", "TooManyFields",
                CountMessage("mapping", m_fields.size(), kMappingFields));
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
        } else if (m_fields.size() < kMappingFields) {
            Add(number, "error", "MappingTooShort",
                CountMessage("mapping", m_fields.size(), kMappingFields));
        }
    }

    const unsigned long m_rejected;
    LineLint m_result;
    std::vector<std::string_view> m_fields;
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
