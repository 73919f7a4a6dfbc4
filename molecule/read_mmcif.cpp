// mmCIF reader: gemmi parses the document and builds the structure; turns,
// which gemmi leaves out of its helices, are read from _struct_conf here.
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>

#include <new>

#include "molecule/read_structure.h"
#include "molecule/residue.h"

namespace Kamol::io_detail {

namespace {

// Columns of _atom_site without which no atom can be placed.
const char* const kRequiredAtomSiteTags[] = {
    "_atom_site.id",         "_atom_site.type_symbol", "_atom_site.label_alt_id",   "_atom_site.label_asym_id",
    "_atom_site.Cartn_x",    "_atom_site.Cartn_y",     "_atom_site.Cartn_z",        "_atom_site.occupancy",
    "_atom_site.B_iso_or_equiv", "_atom_site.auth_seq_id",
};

void RequireAtomSiteColumns(const gemmi::cif::Block& block, const std::string& fileName) {
    for (const char* tag : kRequiredAtomSiteTags)
        if (!block.has_tag(tag)) ThrowFormatError(fileName, "data block '" + block.name + "' has no " + tag);
    if (!block.has_tag("_atom_site.auth_comp_id") && !block.has_tag("_atom_site.label_comp_id"))
        ThrowFormatError(fileName, "data block '" + block.name + "' has no residue names in _atom_site");
    if (!block.has_tag("_atom_site.auth_atom_id") && !block.has_tag("_atom_site.label_atom_id"))
        ThrowFormatError(fileName, "data block '" + block.name + "' has no atom names in _atom_site");
}

gemmi::SeqId MakeSeqId(const gemmi::cif::Table::Row& row, int number, int icode) {
    return gemmi::impl::make_seqid(row.str(number), row.ptr_at(icode));
}

// _struct_conf rows whose type is a turn (TURN_P and its kinds).
void CollectTurns(gemmi::cif::Block& block, std::vector<SecondaryRange>& ranges) {
    for (const auto row : block.find("_struct_conf.", {"conf_type_id", "beg_auth_asym_id", "beg_auth_seq_id",
                                                       "?pdbx_beg_PDB_ins_code", "end_auth_asym_id",
                                                       "end_auth_seq_id", "?pdbx_end_PDB_ins_code"})) {
        if (gemmi::alpha_up(row.str(0)[0]) != 'T') continue;
        gemmi::SeqId begin = MakeSeqId(row, 2, 3), end = MakeSeqId(row, 5, 6);
        if (!begin.num.has_value() || !end.num.has_value() || row.str(1) != row.str(4)) continue;
        ranges.push_back({row.str(1), *begin.num, begin.icode, *end.num, end.icode, kTurnFlag});
    }
}

}  // namespace

MolList ReadMmcifText(std::string_view text, const std::string& fileName, ReadScope scope) {
    RequireText(text, fileName);
    MolList molecules;
    try {
        gemmi::cif::Document doc = gemmi::cif::read_memory(text.data(), text.size(), fileName.c_str());
        for (gemmi::cif::Block& block : doc.blocks) {
            if (!block.has_tag("_atom_site.Cartn_x") && !block.has_tag("_atom_site.id")) continue;
            RequireAtomSiteColumns(block, fileName);
            gemmi::Structure st = gemmi::make_structure_from_block(block);
            StructureRecords records;
            CollectHelicesAndSheets(st, records.ranges);
            CollectTurns(block, records.ranges);
            for (size_t i = 0; i < st.models.size(); ++i) {
                if (st.models[i].chains.empty()) continue;
                molecules.push_back(BuildMolecule(st, i, records, fileName));
                if (scope == ReadScope::First) return molecules;
            }
        }
    } catch (const FormatError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {  // gemmi reports faults with runtime and logic errors
        // The parser's messages start with the file name and position.
        std::string what = e.what();
        if (what.compare(0, fileName.size(), fileName) == 0) throw FormatError(what);
        ThrowFormatError(fileName, what);
    }
    if (molecules.empty())
        ThrowFormatError(fileName, "no atoms: no data block has an _atom_site table with Cartesian coordinates");
    return molecules;
}

}  // namespace Kamol::io_detail
