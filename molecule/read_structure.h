// Turning a structure parsed by gemmi (from PDB or mmCIF) into molecules:
// residue records, secondary-structure flags, bonds from the file's records
// and perceived bonds for the rest. Shared by the PDB and mmCIF readers.
#pragma once

#include <gemmi/model.hpp>

#include <memory>
#include <string>
#include <vector>

#include "molecule/io_formats.h"

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

// What the file says beyond gemmi's structure.
struct StructureRecords {
    std::vector<SecondaryRange> ranges;  // helices, strands and turns
    std::vector<SerialBond> conect;
};

// Appends gemmi's helices (flags by helix class) and sheet strands.
void CollectHelicesAndSheets(const gemmi::Structure& st, std::vector<SecondaryRange>& ranges);

// Appends the molecules of the structure's models that hold atoms (with
// ReadScope::First only the first) to `molecules`. Each model of gemmi's
// structure is released as it is converted; the bonds the file does not give
// are perceived on the molecule's first use of bonds (DeferBondPerception).
// Throws FormatError for an atom without usable coordinates.
void BuildMolecules(gemmi::Structure& st, const StructureRecords& records, const std::string& fileName,
                    ReadScope scope, MolList& molecules);

}  // namespace Kamol::io_detail
