// SPDX-License-Identifier: MIT
// Three-way merges of edited texts, as git's merge driver runs them. From one generated file
// (generated_blocks.h), each side makes its own edits and writes them into the text. Then:
// every side loads, so the merge never reports trouble; merging in no change gives the current
// text byte for byte; merging changes into the untouched base gives the other side's blocks; a
// clean merge loads, and each block holds the values of the side that changed it, or the base's
// when neither did; a merge with conflicts marks them.

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "generated_blocks.h"
#include "harness_support.h"
#include "reuseblocks/edit.h"

namespace {

struct Side {
    std::string text;
    std::set<std::string> edited;
    std::map<std::string, harness::BlockImage> blocks;
};

std::map<std::string, harness::BlockImage> ByID(CReuseBlockFile& blocks) {
    std::map<std::string, harness::BlockImage> byID;
    for (harness::BlockImage& image : harness::ImageOf(blocks, false)) {
        const std::string key = image.key;
        byID.emplace(key, std::move(image));
    }
    return byID;
}

Side Edit(harness::Input& in, const std::string& base, const std::vector<std::string>& ids,
          const std::string& prefix) {
    Side side;
    CReuseBlockFile blocks;
    harness::LoadText(blocks, base, "side.blocks");
    std::vector<std::string> remaining = ids;
    side.edited = harness::ApplyGeneratedEdits(in, blocks, remaining, prefix);
    const reuseblocks::UpdateReport report =
        reuseblocks::UpdateText(base, blocks, reuseblocks::UpdateOptions{}, side.text);
    HARNESS_CHECK(report.Succeeded());
    if (report.result == reuseblocks::UpdateResult::kUnchanged) side.text = base;
    side.blocks = ByID(blocks);
    return side;
}

reuseblocks::ThreeWayReport Merge(const std::string& current, const std::string& base,
                                  const std::string& other, std::string& merged) {
    return reuseblocks::MergeTexts(current, base, other, reuseblocks::ThreeWayOptions{}, merged);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    harness::Input in(data, size);
    std::vector<std::string> ids;
    const std::string base = harness::GeneratedFile(in, ids);
    // Both sides may add blocks of the same names, alike or not.
    const bool sameNames = (in.Byte() & 1u) != 0;
    const Side current = Edit(in, base, ids, "/NEW");
    const Side other = Edit(in, base, ids, sameNames ? "/NEW" : "/OTHER");
    CReuseBlockFile baseBlocks;
    harness::LoadText(baseBlocks, base, "base.blocks");
    const std::map<std::string, harness::BlockImage> original = ByID(baseBlocks);

    std::string unchanged;
    HARNESS_CHECK(Merge(current.text, base, base, unchanged).result ==
                  reuseblocks::ThreeWayResult::kClean);
    HARNESS_CHECK(unchanged == current.text);

    std::string taken;
    HARNESS_CHECK(Merge(base, base, other.text, taken).result ==
                  reuseblocks::ThreeWayResult::kClean);
    CReuseBlockFile takenBlocks;
    harness::LoadText(takenBlocks, taken, "taken.blocks");
    HARNESS_CHECK(ByID(takenBlocks) == other.blocks);

    std::string merged;
    const reuseblocks::ThreeWayReport report = Merge(current.text, base, other.text, merged);
    HARNESS_CHECK(report.result != reuseblocks::ThreeWayResult::kTrouble);
    if (report.result == reuseblocks::ThreeWayResult::kConflicts) {
        HARNESS_CHECK(!report.conflicts.empty());
        HARNESS_CHECK(merged.find("<<<<<<<") != std::string::npos);
        return 0;
    }
    HARNESS_CHECK(report.conflicts.empty());
    CReuseBlockFile mergedBlocks;
    harness::LoadText(mergedBlocks, merged, "merged.blocks");
    const std::map<std::string, harness::BlockImage> result = ByID(mergedBlocks);
    std::set<std::string> names;
    for (const auto* side : {&original, &current.blocks, &other.blocks}) {
        for (const auto& entry : *side) names.insert(entry.first);
    }
    for (const std::string& id : names) {
        const bool byCurrent = current.edited.count(id) != 0;
        const bool byOther = other.edited.count(id) != 0;
        if (byCurrent && byOther) continue;  // both changed it alike, or the merge would conflict
        const std::map<std::string, harness::BlockImage>& expected = byCurrent ? current.blocks
                                                                     : byOther ? other.blocks
                                                                               : original;
        const auto want = expected.find(id);
        const auto got = result.find(id);
        HARNESS_CHECK((want == expected.end()) == (got == result.end()));
        if (want != expected.end()) HARNESS_CHECK(got->second == want->second);
    }
    return 0;
}
