// Turning a structure parsed by gemmi (from mmCIF) into molecules: residue
// records, secondary-structure flags, bonds from the file's records and
// perceived bonds for the rest.
#pragma once

#include <gemmi/model.hpp>

#include <memory>
#include <string>
#include <vector>

#include "molecule/io_formats.h"
#include "molecule/structure_records.h"

namespace Kamol::io_detail {

// Appends gemmi's helices (flags by helix class) and sheet strands.
void CollectHelicesAndSheets(const gemmi::Structure& st, std::vector<SecondaryRange>& ranges);

// Appends gemmi's covalent links within the asymmetric unit (hydrogen bonds
// and links to a symmetry mate leave no bond in a model).
void CollectLinks(const gemmi::Structure& st, std::vector<LinkRecord>& links);

// Appends the molecules of the structure's models that hold atoms (with
// ReadScope::First only the first) to `molecules`. Each model of gemmi's
// structure is released as it is converted; the bonds the file does not give
// are perceived on the molecule's first use of bonds (DeferBondPerception).
// Throws FormatError for an atom without usable coordinates.
void BuildMolecules(gemmi::Structure& st, const StructureRecords& records, const std::string& fileName,
                    ReadScope scope, MolList& molecules);

}  // namespace Kamol::io_detail
