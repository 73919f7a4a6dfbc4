// Turning a structure parsed by gemmi (from mmCIF) into molecules: residue
// records, secondary-structure flags, bonds from the file's records and
// perceived bonds for the rest; and the pieces of gemmi's reading that the
// structure readers share.
#pragma once

#include <gemmi/cifdoc.hpp>
#include <gemmi/model.hpp>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "molecule/io_formats.h"
#include "molecule/structure_records.h"

namespace Kamol::io_detail {

// mmCIF checks and steps shared by the whole-text and the one-pass reader.

// Coordinates beyond this magnitude are not from a real structure.
constexpr double kMaxCoordinate = 1.0e15;
// The number of a model from its name; its place (from 0) plus one when the
// name is no integer.
int ModelNumber(const std::string& name, size_t index);
// A residue number as the records hold it: 0 when gemmi has none.
inline int SequenceNumber(const gemmi::SeqId& seqid) { return seqid.num.has_value() ? *seqid.num : 0; }
// Residues as gemmi tells them apart within a chain part (number, insertion
// code, segment, name), hashed consistently with its comparison, which
// ignores the insertion code's letter case.
struct ResidueIdHash {
    size_t operator()(const gemmi::ResidueId& id) const {
        const size_t h = std::hash<std::string>()(id.name) ^ (std::hash<std::string>()(id.segment) << 1);
        return h ^ (size_t(uint32_t(*id.seqid.num)) * 0x9e3779b97f4a7c15ULL) ^ size_t(uint8_t(id.seqid.icode | 0x20));
    }
};
// The molecules' title: the entry id, else the structure's name.
std::string TitleOf(const gemmi::Structure& st);

// Throws FormatError when the block lacks a column without which no atom can
// be placed.
void RequireAtomSiteColumns(const gemmi::cif::Block& block, const std::string& fileName);
// Throws FormatError for a value of an integer column that gemmi would read
// past the range of int.
void RequireIntegersInRange(const gemmi::cif::Block& block, const std::string& fileName);
// Whether the tag (any case) is one of the columns RequireIntegersInRange checks.
bool IsIntegerTag(const std::string& tag);
// Whether the number gemmi takes from the start of the raw value fits in int.
bool LeadingIntegerFits(const std::string& raw);
// Whether the item (pair or loop) is of a category the molecules are built from.
bool IsUsedCategory(const gemmi::cif::Item& item);
// Drops the pairs and loops of the other categories.
void DropUnusedCategories(gemmi::cif::Block& block);
// Appends the turns of _struct_conf, which gemmi leaves out of its helices.
void CollectTurns(gemmi::cif::Block& block, std::vector<SecondaryRange>& ranges);
// The structure gemmi builds from a block with atom sites, after the checks
// above and with unused categories dropped; its helices, sheets, turns and
// links are appended to `records`.
gemmi::Structure StructureOfBlock(gemmi::cif::Block& block, const std::string& fileName, StructureRecords& records);

// For each model (by name) in which gemmi's structure builder joins atom
// sites to a residue met earlier in their chain part, after residues of
// other keys (a second copy of a chain under the same chain id and
// numbering), the first such residue, by its place among the model's
// residues. Read from the block's atom sites as the builder reads them.
using JoinedResidues = std::unordered_map<std::string, uint32_t>;
JoinedResidues FindJoinedResidues(gemmi::cif::Block& block);

// Appends gemmi's helices (flags by helix class) and sheet strands.
void CollectHelicesAndSheets(const gemmi::Structure& st, std::vector<SecondaryRange>& ranges);

// Appends gemmi's covalent links within the asymmetric unit (hydrogen bonds
// and links to a symmetry mate leave no bond in a model).
void CollectLinks(const gemmi::Structure& st, std::vector<LinkRecord>& links);

// Appends the molecules of the structure's models that hold atoms (with
// ReadScope::First only the first) to `molecules`, each with its joined
// residue noted. Each model of gemmi's structure is released as it is
// converted; the bonds the file does not give are perceived on the
// molecule's first use of bonds (DeferBondPerception). Throws FormatError for
// an atom without usable coordinates.
void BuildMolecules(gemmi::Structure& st, const StructureRecords& records, const JoinedResidues& joined,
                    const std::string& fileName, ReadScope scope, MolList& molecules);

}  // namespace Kamol::io_detail
