#include "molecule/segments.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "molecule/residue.h"
#include "system/message.h"

namespace Kamol {

std::string_view TrimSegment(std::string_view segment) {
    while (!segment.empty() && segment.front() == ' ') segment.remove_prefix(1);
    while (!segment.empty() && segment.back() == ' ') segment.remove_suffix(1);
    return segment;
}

size_t SeparateSegmentChains(KaMolBase& mol, const std::vector<SegmentRun>& runs, const std::string& source) {
    // Segments in order of first appearance, and how many share each key.
    std::map<std::pair<char, std::string_view>, size_t> segmentOf;
    std::vector<std::pair<char, std::string_view>> segments;
    size_t perKey[256] = {};
    for (const SegmentRun& run : runs) {
        const std::pair<char, std::string_view> key{run.chainKey, TrimSegment(run.segment)};
        if (segmentOf.emplace(key, segments.size()).second) {
            segments.push_back(key);
            // Atoms without a segment id keep their chain and share it with anyone.
            if (!key.second.empty()) ++perKey[static_cast<unsigned char>(run.chainKey)];
        }
    }
    // New chain ids, by segment; an empty one keeps its chain.
    std::vector<std::string> newChain(segments.size());
    size_t changed = 0, lacking = 0;
    bool keyTaken[256] = {};
    for (const auto& segment : segments) keyTaken[static_cast<unsigned char>(segment.first)] = true;
    auto free = [&](char c) { return std::isalnum(static_cast<unsigned char>(c)) && !keyTaken[static_cast<unsigned char>(c)]; };
    for (size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].second.empty() || perKey[static_cast<unsigned char>(segments[i].first)] < 2) continue;
        const std::string_view name = segments[i].second;
        auto own = std::find_if(name.rbegin(), name.rend(), free);
        const char* fallback = std::find_if(kSegmentChainIds, kSegmentChainIds + std::strlen(kSegmentChainIds), free);
        const char chosen = own != name.rend() ? *own : *fallback;
        if (chosen == '\0') {
            ++lacking;
            continue;
        }
        keyTaken[static_cast<unsigned char>(chosen)] = true;
        newChain[i].assign(1, chosen);
        ++changed;
    }
    if (changed == 0 && lacking == 0) return 0;
    for (const SegmentRun& run : runs) {
        const std::string& chain = newChain[segmentOf[{run.chainKey, TrimSegment(run.segment)}]];
        if (!chain.empty()) mol.SetChainId(run.firstAtom, run.atomCount, chain);
    }
    if (lacking)
        KaSystem::Warning("%s: %zu segments share a chain id with another segment and no free chain id is left; "
                          "their equally numbered residues count as one",
                          source.c_str(), lacking);
    mol.NoteStructureChange();
    return changed;
}

std::vector<std::pair<std::string, std::string>> SegmentChains(const KaMolBase& mol) {
    std::vector<std::pair<std::string, std::string>> result;
    const KaAtomColumns& columns = mol.Columns();
    const std::string* last = nullptr;  // runs of atoms share one stored segment text
    size_t at = 0;
    for (uint32_t index : columns.live) {
        const std::string& stored = mol.SegmentIdOf(index);
        if (&stored != last || result.empty()) {
            last = &stored;
            const std::string_view segment = TrimSegment(CText(stored));
            if (segment.empty()) {
                at = SIZE_MAX;
                continue;
            }
            auto found = std::find_if(result.begin(), result.end(), [&](const auto& s) { return s.first == segment; });
            if (found == result.end()) found = result.insert(result.end(), {std::string(segment), std::string()});
            at = size_t(found - result.begin());
        }
        if (at == SIZE_MAX) continue;
        const char key = ChainKey(CText(columns.chainIds.Texts()[columns.chainIdIds[index]]));
        std::string& keys = result[at].second;
        if (keys.find(key) == std::string::npos) keys += key;
    }
    return result;
}

}  // namespace Kamol
