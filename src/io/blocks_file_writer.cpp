// SPDX-License-Identifier: MIT
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "edit/header_date.h"
#include "format/line_syntax.h"
#include "format/written_header.h"
#include "format/written_line.h"
#include "io/blocks_file_writer.h"
#include "io/output_file.h"
#include "io/repeated_ids.h"
#include "io/walk_order.h"
#include "model/layer_map.h"
#include "platform/file_system.h"
#include "platform/side_by_side.h"
#include "reuseblocks/diagnostics.h"
#include "reuseblocks/reuseblocks.h"

using reuseblocks::kMappingKeyword;
using reuseblocks::detail::OutputFile;

namespace {

using reuseblocks::format::HoldsLineBreak;

// A line break in a value would end its line early and start a record of its own.
bool HoldsALineBreak(const CReuseBlock& block) {
    for (std::uint32_t index = 0; index < CReuseBlock::kPropertyCount; ++index) {
        if (HoldsLineBreak(block.GetPropertyRef(index).GetView())) return true;
    }
    for (std::uint32_t row = 0; row < block.GetLayerMapCount(); ++row) {
        for (std::uint32_t column = 0; column < CReuseBlock::kLayerMapColumnCount; ++column) {
            if (HoldsLineBreak(block.GetLayerMapRef(row, column).GetView())) return true;
        }
    }
    return false;
}

// From this many blocks on, the two halves are looked through side by side.
constexpr std::size_t kBlocksSearchedInHalves = 4096;

bool AnyValueHoldsLineBreak(const CReuseBlockFile& blocks) {
    const std::vector<const CReuseBlock*> walk = reuseblocks::detail::BlocksInWalkOrder(blocks);
    const std::array<bool, 2> found = reuseblocks::detail::platform::InHalves(
        walk.size(), kBlocksSearchedInHalves, [&walk](int, std::size_t first, std::size_t last) {
            return std::any_of(walk.begin() + static_cast<std::ptrdiff_t>(first),
                               walk.begin() + static_cast<std::ptrdiff_t>(last),
                               [](const CReuseBlock* block) { return HoldsALineBreak(*block); });
        });
    return found[0] || found[1];
}

// One line, straight into the output's buffer where it fits.
template <std::size_t N>
void WriteLine(OutputFile& out, const std::array<std::string_view, N>& values) {
    namespace format = reuseblocks::format;
    const std::string_view end = reuseblocks::detail::platform::kLineEnd;
    if (char* const room = out.Room(format::WrittenLineLength(values, end))) {
        out.Added(static_cast<std::size_t>(format::PutWrittenLine(room, values, end) - room));
        return;
    }
    std::string line;
    format::AppendWrittenLine(line, values, end);
    out.Write(line);
}

}  // namespace

namespace reuseblocks::detail {

// The fixed header of every file written whole, dated `date`.
void WriteBlocksHeader(OutputFile& out, const char* appName, const std::string& date) {
    const std::string_view application =
        appName && *appName ? std::string_view(appName) : std::string_view("Unknown");
    out.Write(reuseblocks::kFormatLine);
    out.EndLine();
    out.Write(reuseblocks::format::kApplicationLabel);
    out.Write(" ");
    out.Write(application);
    out.EndLine();
    // asctime's own line end, then the line's: an empty line follows the date.
    out.Write(reuseblocks::format::kDateLabel);
    out.Write(" ");
    out.Write(date);
    out.EndLine();
    out.EndLine();
    for (std::string_view line : reuseblocks::format::kHeaderExplanation) {
        out.Write(line);
        out.EndLine();
    }
}

platform::OutputFailure BlocksFileWriter::Write(const CReuseBlockFile& blocks, const char* path,
                                                const char* application) {
    return Write(blocks, path, application, WriteFileOptions{});
}

platform::OutputFailure BlocksFileWriter::Write(const CReuseBlockFile& blocks, const char* path,
                                                const char* application,
                                                const WriteFileOptions& options) {
    return WriteTo(blocks, application, options,
                   [path](OutputFile& out) { return out.Open(path); });
}

platform::OutputFailure BlocksFileWriter::WriteText(const CReuseBlockFile& blocks,
                                                    const char* application,
                                                    const WriteFileOptions& options,
                                                    std::string& text) {
    return WriteTo(blocks, application, options, [&text](OutputFile& out) {
        out.OpenText(text);
        return true;
    });
}

template <typename Open>
platform::OutputFailure BlocksFileWriter::WriteTo(const CReuseBlockFile& blocks,
                                                  const char* application,
                                                  const WriteFileOptions& options, Open&& open) {
    // A file with a line break in a value or in `application`, or with an ID written twice, would
    // not read back as written: known before anything is opened.
    if ((application && HoldsLineBreak(application)) || AnyValueHoldsLineBreak(blocks) ||
        !RepeatedIDs::Find(blocks).empty()) {
        return platform::OutputFailure{WriteStep::kCheck, 0, std::string()};
    }
    OutputFile out;
    if (!open(out)) return out.Failure();
    WriteBlocksHeader(out, application, HeaderDateText(options.hasDate, options.date));
    for (POSITION position = blocks.GetStartPosition(); position;) {
        blocks.WriteBlock(out, blocks.GetNext(position));
    }
    return out.Commit() ? platform::OutputFailure{} : out.Failure();
}

}  // namespace reuseblocks::detail

int CReuseBlockFile::WriteFile(const char* fileName, const char* appName) {
    const auto failure = reuseblocks::detail::BlocksFileWriter::Write(*this, fileName, appName);
    return failure.step == reuseblocks::WriteStep::kNone ? 1 : 0;
}

void CReuseBlockFile::WriteHeader(OutputFile& out, const char* appName) const {
    reuseblocks::detail::WriteBlocksHeader(out, appName,
                                           reuseblocks::detail::HeaderDateText(false, 0));
}

void CReuseBlockFile::WriteBlock(OutputFile& out, const CReuseBlock* block) const {
    namespace format = reuseblocks::format;
    const format::DefinitionValues properties = format::DefinitionValuesOf(*block);
    WriteLine(out, properties);
    for (std::uint32_t row = 0; row < block->GetLayerMapCount(); ++row) {
        WriteLine(out, format::MappingValuesOf(*block, properties[0], row));
    }
}
