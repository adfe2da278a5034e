// SPDX-License-Identifier: MIT
#ifndef REUSEBLOCKS_TOOLS_RECORDS_RECORD_BUILDER_H
#define REUSEBLOCKS_TOOLS_RECORDS_RECORD_BUILDER_H

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "records/block_records.h"
#include "records/value_checks.h"

namespace reuseblocks::tool {

// Collects the values of one record, checking each as `set` does.
class RecordBuilder {
  public:
    RecordBuilder(BlockRecord& record, std::vector<InputProblem>& problems)
        : m_record(record), m_problems(problems) {}

    // `text` is empty when the input held something other than text, such as a JSON object.
    void Add(const std::string& name, const std::optional<std::string>& text);
    // The same for a name already found as `field` (FieldNamedByUser).
    void AddToField(int field, std::string value);

    void Fail(const std::string& message) { m_problems.push_back({m_record.line, message}); }

  private:
    void Check(std::string_view field, const std::string& value, ValuePlace place);

    BlockRecord& m_record;
    std::vector<InputProblem>& m_problems;
    std::array<bool, CReuseBlock::kPropertyCount> m_given{};
};

}  // namespace reuseblocks::tool

#endif  // REUSEBLOCKS_TOOLS_RECORDS_RECORD_BUILDER_H
