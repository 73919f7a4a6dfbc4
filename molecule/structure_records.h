// What a PDB or mmCIF file says beyond its atoms - secondary structure,
// links and CONECT records - and how it completes the molecule of a model
// once the model's atoms are in it. Shared by the PDB and mmCIF readers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "molecule/molecule.h"

namespace Kamol::io_detail {

// A run of residues from `begin` to `end` (inclusive) in one chain that
// carries secondary-structure flags.
struct SecondaryRange {
    std::string chain;
    int beginNumber;
    char beginIcode;
    int endNumber;
    char endIcode;
    uint32_t flags;
};

// A bond given by atom serial numbers (PDB CONECT), with its line for messages.
struct SerialBond {
    int serialA;
    int serialB;
    size_t line;
};

// One partner of a covalent link (PDB LINK or SSBOND, mmCIF struct_conn).
// An empty residue name matches any residue; altloc '\0' matches any atom.
struct LinkPartner {
    std::string chain;
    std::string residueName;
    int number;
    char icode;  // blank when unset
    std::string atomName;
    char altloc;
};

struct LinkRecord {
    LinkPartner first, second;
};

// A residue field or alternate location that gemmi leaves unset ('\0') reads
// as a blank.
inline char BlankIfUnset(char c) { return c == '\0' ? ' ' : c; }

// What the file says beyond the atoms.
struct StructureRecords {
    std::vector<SecondaryRange> ranges;  // helices, strands and turns
    std::vector<SerialBond> conect;
    std::vector<LinkRecord> links;  // covalent, within the asymmetric unit
};

// A residue of a model's molecule: atoms [firstAtom, firstAtom + atomCount),
// residues in the model's order (chains as the file gives them).
struct ModelResidue {
    std::string chain;  // as read (empty for a blank chain)
    std::string name;
    int number;
    char icode;  // blank when unset
    uint32_t firstAtom;
    uint32_t atomCount;
};

// The residue fields of a model's residue in a record.
void SetResidueFields(KaResidue& record, const ModelResidue& residue, bool hetAtom);

// No residue: for `joinedResidue` below while no atoms joined a residue again.
constexpr uint32_t kNoResidue = UINT32_MAX;

// Notes residue `joined`, which atoms join again while residue `current` is
// the one being read, as the model's first joined residue (`first`) unless
// one is noted already or the two share a key (number and insertion code in
// one chain part: alternates at one sequence position, no copies).
void NoteJoinedResidue(const std::vector<ModelResidue>& residues, uint32_t current, uint32_t joined, uint32_t& first);

// Readers add a model's atoms in file order and count them per residue. While
// each residue's atoms come together, its first atom and count place them;
// once an atom joins a residue other than the last one, TrackAtomResidues
// starts `atomResidues`, each atom's residue, which the reader then extends
// atom by atom.
void TrackAtomResidues(const std::vector<ModelResidue>& residues, std::vector<uint32_t>& atomResidues);
// When `atomResidues` was started, rebuilds the molecule with each residue's
// atoms together, residues in their order, sets the residues' first atoms and
// empties `atomResidues`; otherwise the atoms are in order already.
void PutInResidueOrder(std::unique_ptr<KaGraphMol>& mol, std::vector<ModelResidue>& residues,
                       std::vector<uint32_t>& atomResidues);

// Completes the molecule of model `modelNumber`, whose atoms are in: flags
// the residues in secondary-structure ranges, adds the bonds of links and
// CONECT records (warning about those naming atoms the model lacks), defers
// the perception of the other bonds to their first use, and notes the first
// atom of `joinedResidue` (unless kNoResidue) on the molecule
// (KaMolBase::NoteJoinedResidue).
void CompleteModel(KaGraphMol& mol, const std::vector<ModelResidue>& residues, uint32_t joinedResidue,
                   int modelNumber, const StructureRecords& records, const std::string& fileName);

}  // namespace Kamol::io_detail
