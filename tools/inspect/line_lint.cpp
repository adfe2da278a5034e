// SPDX-License-Identifier: MIT
#include "line_lint.h"
#include "files/whole_file.h"

#include <reuseblocks/ascii.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "cli/near_miss.h"
#include "format/line_syntax.h"
#include "terminal/text_escape.h"
#include "text/words.h"

namespace reuseblocks::tool {

namespace {

using format::kDefinitionFieldCount;
using format::kMappingFieldCount;

// The loader's words, and what it does with the surplus.
std::string CountMessage(format::LineKind kind, std::size_t found) {
    std::string message = format::FieldCountMessage(kind, found);
    const std::size_t expected =
        kind == format::LineKind::kMapping ? kMappingFieldCount : kDefinitionFieldCount;
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
        const char lower = ascii::ToLower(c);
        if (kMappingKeyword.find(lower) == std::string_view::npos && ++foreign > 2) return false;
    }
    return true;
}

class LineWalk {
  public:
    LineWalk(unsigned long rejected, ProblemTally& tally, bool recordLines = true)
        : m_rejected(rejected), m_tally(tally), m_recordLines(recordLines) {}

    // A trimmed line that is a record (definition or mapping), as ClassifyLine says.
    void Line(unsigned long number, std::string_view line, format::LineKind kind) {
        // Before a rejected line the library has checked what a line's other fields name: its
        // count and ID are all that is left to say anything of.
        const std::string_view record = format::StripRecordEnds(line);
        if (m_rejected == 0) {
            m_count = format::CountFields(record, m_fields, 1);
        } else {
            format::SplitFields(record, m_fields);
            m_count = m_fields.size();
        }
        // Trimmed, a line keeps only carriage returns that end no line: the file's lines end in
        // them alone, and the loader reads several lines as this one.
        m_loneReturns = line.find('\r') != std::string_view::npos;
        if (kind == format::LineKind::kMapping) {
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

    // Text the loader skips: said of lines whose carriage returns alone end them as well.
    void Ignored(unsigned long line, const char* code, std::string message) {
        if (m_loneReturns) {
            message +=
                "; the file's lines end in a carriage return alone, which ends no line for "
                "the loader";
        }
        Add(line, "warning", code, std::move(message));
    }

    void Add(unsigned long line, const char* severity, const char* code, std::string message,
             std::optional<std::string> block = std::nullopt) {
        if (!m_tally.Keep(severity, code)) return;
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
        if (m_count < kDefinitionFieldCount) {
            if (AfterRejected(number)) {
                Add(number, "error", "DefinitionTooShort",
                    CountMessage(format::LineKind::kDefinition, m_count));
            }
            m_current.reset();  // its mapping lines would only repeat the fault
            return;
        }
        if (m_count > kDefinitionFieldCount) {
            Ignored(number, "TooManyFields", CountMessage(format::LineKind::kDefinition, m_count));
        }
        if (m_recordLines && Loaded(number)) m_result.lines.AddBlock(number);
        if (m_rejected == 0) return;  // the library found every ID once
        const std::string id(m_fields[0]);
        m_current = id;
        m_currentLine = number;
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
        for (std::size_t index = 0; index < kDefinitionFieldCount; ++index) {
            block.values[index] = m_fields[index];
        }
    }

    void Mapping(unsigned long number) {
        if (!m_defined) {
            Ignored(number, "MappingBeforeDefinition",
                    "mapping line before the first block definition: the loader ignores it");
            return;
        }
        if (m_count > kMappingFieldCount) {
            Ignored(number, "TooManyFields", CountMessage(format::LineKind::kMapping, m_count));
        }
        if (Loaded(number)) {
            if (m_recordLines) m_result.lines.AddRow(number);
            return;
        }
        if (!AfterRejected(number) || !m_current) return;
        if (m_fields.size() >= 2 && m_fields[1] != *m_current) {
            // The block defined last by its line, not its ID: every line after it may be one
            // of these, and would repeat an ID of any length.
            Add(number, "error", "ForeignMapping",
                "mapping line names block " + Quoted(m_fields[1]) +
                    ", not the block defined last, at line " + std::to_string(m_currentLine));
        } else if (m_count < kMappingFieldCount) {
            Add(number, "error", "MappingTooShort",
                CountMessage(format::LineKind::kMapping, m_count));
        }
    }

    const unsigned long m_rejected;
    ProblemTally& m_tally;
    const bool m_recordLines;  // where each block's lines stand, which only a check shows
    LineLint m_result;
    std::vector<std::string_view> m_fields;
    std::size_t m_count = 0;  // of the line's fields
    bool m_loneReturns = false;
    bool m_defined = false;
    std::optional<std::string> m_current;  // the block mapping lines belong to, once known
    unsigned long m_currentLine = 0;
    // Sorted, so that no crafted set of IDs can make it quadratic.
    std::map<std::string, unsigned long, std::less<>> m_firstLines;
};

}  // namespace

bool IsIgnoredText(const Problem& problem) {
    return problem.code == "MappingBeforeDefinition" || problem.code == "TooManyFields";
}

LineLint LintLines(const std::string& path, unsigned long rejected, ProblemTally* tally) {
    const std::optional<WholeFileText> text = ReadWholeFile(path);
    if (!text) return {};
    return LintText(*text, rejected, tally);
}

namespace {

LineLint Walk(std::string_view text, LineWalk& walk) {
    format::LineScanner scanner(text);
    for (format::ScannedLine line; scanner.Next(line);) {
        const std::string_view trimmed = format::TrimLine(line.text);
        const format::LineKind kind = format::ClassifyLine(trimmed);
        if (kind == format::LineKind::kDefinition || kind == format::LineKind::kMapping) {
            walk.Line(line.number, trimmed, kind);
        }
    }
    return walk.Take();
}

}  // namespace

LineLint LintText(std::string_view text, unsigned long rejected, ProblemTally* tally,
                  bool recordLines) {
    const ProblemSelection every;
    ProblemTally own(every);
    LineWalk walk(rejected, tally != nullptr ? *tally : own, recordLines);
    return Walk(text, walk);
}

std::optional<Problem> FirstIgnoredText(std::string_view text) {
    ProblemSelection ignored;
    ignored.only = std::set<std::string, std::less<>>{"MappingBeforeDefinition", "TooManyFields"};
    ignored.limit = 1;
    ProblemTally tally(ignored);
    LineWalk walk(0, tally, false);
    LineLint lint = Walk(text, walk);
    if (lint.problems.empty()) return std::nullopt;
    return std::move(lint.problems.front());
}

}  // namespace reuseblocks::tool
