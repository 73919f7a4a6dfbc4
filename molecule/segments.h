// Segments: the named parts of a molecular-dynamics system (PROA, PROB,
// WAT, ...) that PDB columns 73-76 and trajectory topologies carry beside
// the chain id. Residues and chains are told apart by the first character
// of the chain id alone, so two segments under one chain id would merge
// their equally numbered residues; each such segment is given a chain id of
// its own, and its whole name stays in the residue record's segmentId.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "molecule/molecule.h"

namespace Kamol {

// Atoms [firstAtom, firstAtom + atomCount) of one chain key and one segment
// id (blank or empty when none), in the molecule's atom order.
struct SegmentRun {
    uint32_t firstAtom;
    uint32_t atomCount;
    char chainKey;
    std::string segment;
};

// The characters a new chain id is taken from when the segment id offers
// none, in this order.
constexpr const char* kSegmentChainIds = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// Gives segments that share a chain key chains of their own. A segment is a
// (chain key, segment id) pair with a segment id that is not blank; a chain
// key held by two or more segments is shared (atoms without a segment id
// keep their chain). Each segment on a shared key, in order of first appearance, gets a
// one-character chain id: the last letter or digit of its segment id that is
// no chain key yet (PROA gets A, PROB B, WAT2 2), else the first character
// of kSegmentChainIds that is none. The molecule's original chain keys stay
// taken, so no segment moves onto another chain. When no character is left
// the segment keeps its chain and a warning says so. Molecules without
// segment ids, or with one segment per chain key, are left as they are.
// Returns the number of segments given a new chain.
size_t SeparateSegmentChains(KaMolBase& mol, const std::vector<SegmentRun>& runs, const std::string& source);

// The segments of the molecule's live atoms (segment ids without blanks
// around them, blank ones left out), in order of first appearance, each with
// the chain keys of its atoms in order of first appearance.
std::vector<std::pair<std::string, std::string>> SegmentChains(const KaMolBase& mol);

// The segment id as stored, without blanks around it.
std::string_view TrimSegment(std::string_view segment);

}  // namespace Kamol
