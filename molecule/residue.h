// The residue record attached to atoms as generic data, and its accessors.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "system/base.h"

namespace Kamol {

class KaAtomBase;

// Secondary-structure flag bits tested by selections; lower bits and bit 7
// carry helix sub-kinds written by the structure readers.
constexpr uint32_t kHelixFlag = 8;
constexpr uint32_t kTurnFlag = 16;
constexpr uint32_t kSheetFlag = 32;

// Flag word for a PDB/mmCIF helix class (1 right-handed alpha, 3 pi, 5 3-10, ...).
uint32_t HelixClassFlags(int helixClass);

struct KaResidue {
    std::string residueName = "UNL";
    float occupancy = 1.0f;
    float bFactor = 20.0f;
    int32_t residueNumber = 1;
    int32_t serialNumber = 0;
    int32_t modelNumber = 0;
    uint32_t fragmentNumber = 0;
    uint32_t secondaryStructure = 0;
    char alternateLocation = ' ';
    char insertCode = ' ';
    bool hetAtom = false;
    int32_t reserved0 = -1;
    std::string segmentId = " ";
    std::string chainId = " ";
    std::string reserved2 = " ";
};

// A text field (a name, a residue record's texts) as read through its
// NUL-terminated form, so that a name is seen up to its first NUL byte.
inline std::string_view CText(const std::string& text) { return std::string_view(text.c_str()); }

// A chain id (read through CText) as one character, as chains are told apart:
// its first byte, a blank when it is empty.
inline char ChainKey(std::string_view chainId) { return chainId.empty() ? ' ' : chainId[0]; }

// Predefined tag under which every atom may carry one KaResidue.
constexpr KaSystem::KaTag ResidueTag = 35;

// The atom's residue record, or the process-wide default record when the atom
// has none (or holds another type under ResidueTag, after the mismatch warning).
// Molecules hold most records in compact form and build a record object on
// the first call for an atom; reading many atoms once, prefer CopyAtomResidue.
const KaResidue& GetAtomResidue(const KaAtomBase& atom);
// The record GetAtomResidue gives (its mismatch warning included), as a copy
// read straight from a compact record.
KaResidue CopyAtomResidue(const KaAtomBase& atom);
const KaResidue& DefaultResidue();
bool HasAtomResidue(const KaAtomBase& atom);
bool SetAtomResidue(KaAtomBase& atom, const KaResidue& residue);

}  // namespace Kamol
