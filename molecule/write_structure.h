// What the PDB and mmCIF writers share: the atoms in writing order with
// their residue records, the hetero flag, the serials written, the model,
// the residues as runs of atoms, and the runs of secondary structure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"

namespace Kamol::io_detail {

// Helix, sheet and turn flags of a residue (0 when it has none of the kind).
// A helix's flags carry its class; see HelixClassOf.
uint32_t HelixKind(const KaResidue& r);
uint32_t SheetKind(const KaResidue& r);
uint32_t TurnKind(const KaResidue& r);

// Inverse of HelixClassFlags; the plain helix flag gives class 0, which
// reads back as the plain flag.
int HelixClassOf(uint32_t flags);

// The element symbol in capitals, "X" for an unknown element.
struct ElementText {
    char text[3];
};
ElementText UpperElementSymbol(uint32_t atomicNum);

class StructureLayout {
public:
    // `maxSerial` is the largest serial the format can hold.
    StructureLayout(const KaMolBase& mol, long long maxSerial);

    const KaMolBase& Mol() const { return mol_; }
    const std::vector<uint32_t>& Live() const { return columns_.live; }
    const KaAtomBase& Atom(uint32_t index) const { return *columns_.atoms[index]; }
    KaResidue ResidueOf(uint32_t index) const { return mol_.ResidueRecordOf(index); }
    // Atoms without a residue record are written as hetero atoms.
    bool IsHetero(uint32_t index) const;
    // The file's serials when every atom has a distinct one from 1 to
    // `maxSerial`; otherwise 1..n in writing order.
    long long Serial(uint32_t index) const { return serials_[index]; }
    // The model of the first atom with a residue record; 0 when none has one.
    int ModelNumber() const;

    // Runs of consecutive residues of one chain with the same flags of one
    // kind; `kindOf` gives a residue's flags of that kind (0 for none).
    // `emit(first, last, flags, residueCount)` is called for each run.
    template <class Emit>
    void ForEachRun(uint32_t (*kindOf)(const KaResidue&), Emit emit) const {
        for (size_t i = 0; i < residues_.size();) {
            uint32_t kind = kindOf(residues_[i]);
            size_t j = i + 1;
            while (j < residues_.size() && kind != 0 && kindOf(residues_[j]) == kind &&
                   residues_[j].chainId == residues_[i].chainId)
                ++j;
            if (kind != 0) emit(residues_[i], residues_[j - 1], kind, j - i);
            i = j;
        }
    }

    // Each bond that touches a hetero atom once, as (atom index, atom index)
    // in bond order; polymer bonds are left to perception on reading.
    std::vector<std::pair<uint32_t, uint32_t>> HeteroBonds() const;

private:
    const KaMolBase& mol_;
    const KaAtomColumns& columns_;
    std::vector<long long> serials_;          // by atom index
    std::vector<KaResidue> residues_;         // in atom order, one per run of atoms
};

}  // namespace Kamol::io_detail
