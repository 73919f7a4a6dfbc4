#include "molecule/write_structure.h"

#include <algorithm>
#include <cctype>

#include "molecule/elements.h"

namespace Kamol::io_detail {

uint32_t HelixKind(const KaResidue& r) {
    return (r.secondaryStructure & kHelixFlag) ? r.secondaryStructure & ~(kTurnFlag | kSheetFlag) : 0;
}
uint32_t SheetKind(const KaResidue& r) { return r.secondaryStructure & kSheetFlag; }
uint32_t TurnKind(const KaResidue& r) { return r.secondaryStructure & kTurnFlag; }

int HelixClassOf(uint32_t flags) {
    switch (flags & ~(kTurnFlag | kSheetFlag)) {
        case 10: return 1;
        case 12: return 3;
        case 9: return 5;
        case 138: return 6;
        case 136: return 7;
        default: return 0;
    }
}

ElementText UpperElementSymbol(uint32_t atomicNum) {
    const char* symbol = GetElementSymbol(atomicNum);
    if (!*symbol) return {{'X', '\0', '\0'}};
    return {{static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0]))),
             static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[1]))), '\0'}};
}

namespace {
bool SameResidue(const KaResidue& a, const KaResidue& b) {
    return a.residueNumber == b.residueNumber && a.insertCode == b.insertCode && a.chainId == b.chainId &&
           a.residueName == b.residueName;
}
}  // namespace

StructureLayout::StructureLayout(const KaMolBase& mol, long long maxSerial) : mol_(mol), columns_(mol.Columns()) {
    serials_.assign(mol_.IndexLimit(), 0);
    std::vector<int> seen;
    seen.reserve(columns_.live.size());
    bool keep = true;
    for (uint32_t index : columns_.live) {
        int serial = columns_.serialNumbers[index];
        if (!HasAtomResidue(Atom(index)) || serial < 1 || serial > maxSerial) {
            keep = false;
            break;
        }
        seen.push_back(serial);
    }
    std::sort(seen.begin(), seen.end());
    keep = keep && std::adjacent_find(seen.begin(), seen.end()) == seen.end();
    long long next = 0;
    for (uint32_t index : columns_.live) serials_[index] = keep ? columns_.serialNumbers[index] : ++next;

    bool afterRecord = false;  // the previous atom has a record, the last of residues_
    for (uint32_t index : columns_.live) {
        if (!HasAtomResidue(Atom(index))) {
            afterRecord = false;
            continue;
        }
        KaResidue residue = ResidueOf(index);
        if (!afterRecord || !SameResidue(residues_.back(), residue)) residues_.push_back(std::move(residue));
        afterRecord = true;
    }
}

bool StructureLayout::IsHetero(uint32_t index) const {
    return !HasAtomResidue(Atom(index)) || columns_.hetAtoms[index];
}

int StructureLayout::ModelNumber() const {
    for (uint32_t index : columns_.live)
        if (HasAtomResidue(Atom(index))) return ResidueOf(index).modelNumber;
    return 0;
}

std::vector<std::pair<uint32_t, uint32_t>> StructureLayout::HeteroBonds() const {
    std::vector<std::pair<uint32_t, uint32_t>> bonds;
    for (const auto& [a, b] : mol_.BondEnds())
        if (a != KaMolBase::kNoAtom && (IsHetero(a) || IsHetero(b))) bonds.emplace_back(a, b);
    return bonds;
}

}  // namespace Kamol::io_detail
