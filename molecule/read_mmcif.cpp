// mmCIF reader: gemmi parses the document and builds the structure; turns,
// which gemmi leaves out of its helices, are read from _struct_conf here.
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>

#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_map>

#include "molecule/read_structure.h"
#include "molecule/residue.h"

namespace Kamol::io_detail {

namespace {

// Columns of _atom_site without which no atom can be placed.
const char* const kRequiredAtomSiteTags[] = {
    "_atom_site.id",         "_atom_site.type_symbol", "_atom_site.label_alt_id",   "_atom_site.label_asym_id",
    "_atom_site.Cartn_x",    "_atom_site.Cartn_y",     "_atom_site.Cartn_z",        "_atom_site.occupancy",
    "_atom_site.B_iso_or_equiv",
};

}  // namespace

// Chains, residue names, residue numbers and atom names each come from their
// auth_ column, or from the label_ one when the block has no auth_ column.
void RequireAtomSiteColumns(const gemmi::cif::Block& block, const std::string& fileName) {
    for (const char* tag : kRequiredAtomSiteTags)
        if (!block.has_tag(tag)) ThrowFormatError(fileName, "data block '" + block.name + "' has no " + tag);
    if (!block.has_tag("_atom_site.auth_seq_id") && !block.has_tag("_atom_site.label_seq_id"))
        ThrowFormatError(fileName, "data block '" + block.name + "' has no residue numbers in _atom_site");
    if (!block.has_tag("_atom_site.auth_comp_id") && !block.has_tag("_atom_site.label_comp_id"))
        ThrowFormatError(fileName, "data block '" + block.name + "' has no residue names in _atom_site");
    if (!block.has_tag("_atom_site.auth_atom_id") && !block.has_tag("_atom_site.label_atom_id"))
        ThrowFormatError(fileName, "data block '" + block.name + "' has no atom names in _atom_site");
}

// Categories the molecules are built from. gemmi's structure builder reads
// many more (assemblies, database references, refinement and crystal data)
// that nothing here uses, and it parses some of them without limits: an
// operator range such as "(1-2000000000)" in _pdbx_struct_assembly_gen is
// expanded into one name per number. Everything else is dropped before the
// structure is built. Prefixes in lower case.
namespace {
const char* const kUsedCategories[] = {
    "_entry.",         "_atom_site.",   "_entity.",        "_entity_poly.",        "_struct_asym.",
    "_struct_conf.",   "_struct_conn.", "_struct_sheet.",  "_struct_sheet_range.",
};

}  // namespace

bool IsUsedCategory(const gemmi::cif::Item& item) {
    for (const char* prefix : kUsedCategories)
        if (item.has_prefix(prefix)) return true;
    return false;
}

void DropUnusedCategories(gemmi::cif::Block& block) {
    for (gemmi::cif::Item& item : block.items)
        if ((item.type == gemmi::cif::ItemType::Pair || item.type == gemmi::cif::ItemType::Loop) &&
            !IsUsedCategory(item))
            item.erase();
}

// Columns that gemmi converts to int without an overflow check, so that a
// longer run of digits overflows inside it. Tags in lower case.
namespace {
const char* const kIntegerTags[] = {
    "_atom_site.id",
    "_atom_site.label_seq_id",
    "_atom_site.auth_seq_id",
    "_atom_site.pdbx_formal_charge",
    "_atom_site.pdbx_tls_group_id",
    "_struct_conf.beg_auth_seq_id",
    "_struct_conf.end_auth_seq_id",
    "_struct_conf.pdbx_pdb_helix_class",
    "_struct_conf.pdbx_pdb_helix_length",
    "_struct_sheet_range.beg_auth_seq_id",
    "_struct_sheet_range.end_auth_seq_id",
    "_struct_conn.ptnr1_auth_seq_id",
    "_struct_conn.ptnr2_auth_seq_id",
    "_struct_conn.ptnr1_label_seq_id",
    "_struct_conn.ptnr2_label_seq_id",
};

}  // namespace

bool IsIntegerTag(const std::string& tag) {
    for (const char* integerTag : kIntegerTags)
        if (gemmi::iequal(tag, integerTag)) return true;
    return false;
}

// Whether the number gemmi takes from the value - quotes removed, leading
// blanks, a sign, then digits up to the first other character - fits in int.
bool LeadingIntegerFits(const std::string& raw) {
    const std::string value = gemmi::cif::as_string(raw);
    size_t at = value.find_first_not_of(" \t\r\n");
    if (at == std::string::npos) return true;
    if (value[at] == '+' || value[at] == '-') ++at;
    int64_t magnitude = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        magnitude = magnitude * 10 + (value[at] - '0');
        if (magnitude > INT32_MAX) return false;
    }
    return true;
}

void RequireIntegersInRange(const gemmi::cif::Block& block, const std::string& fileName) {
    // `tag` is one of the integer tags.
    auto check = [&](const std::string& tag, const std::string& value) {
        if (LeadingIntegerFits(value)) return;
        const std::string shown = value.size() > 40 ? value.substr(0, 40) + "..." : value;
        ThrowFormatError(fileName, "data block '" + block.name + "': " + tag + " value '" + shown +
                                       "' is out of range for a 32-bit integer");
    };
    for (const gemmi::cif::Item& item : block.items) {
        if (item.type == gemmi::cif::ItemType::Pair) {
            if (IsIntegerTag(item.pair[0])) check(item.pair[0], item.pair[1]);
        } else if (item.type == gemmi::cif::ItemType::Loop) {
            const gemmi::cif::Loop& loop = item.loop;
            const size_t width = loop.tags.size();
            for (size_t column = 0; column < width; ++column) {
                if (!IsIntegerTag(loop.tags[column])) continue;
                for (size_t at = column; at < loop.values.size(); at += width) check(loop.tags[column], loop.values[at]);
            }
        }
    }
}

namespace {
gemmi::SeqId MakeSeqId(const gemmi::cif::Table::Row& row, int number, int icode) {
    return gemmi::impl::make_seqid(row.str(number), row.ptr_at(icode));
}

}  // namespace

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

namespace {
// gemmi's structure builder takes residue numbers from auth_seq_id alone, so
// a block without that column gets a copy of label_seq_id under its tag: a
// new last column of the loop, each row moved back in place from the last
// one. Waters and other non-polymers have no label_seq_id ("."): those of one
// name in one chain then share one residue, which has no number.
void NumberResiduesByLabel(gemmi::cif::Block& block) {
    if (block.has_tag("_atom_site.auth_seq_id")) return;
    gemmi::cif::Column labels = block.find_values("_atom_site.label_seq_id");
    if (!labels) return;
    gemmi::cif::Item& item = *labels.item();
    if (item.type == gemmi::cif::ItemType::Pair) {
        const std::string value = item.pair[1];  // adding the pair may move the items
        block.set_pair("_atom_site.auth_seq_id", value);
        return;
    }
    gemmi::cif::Loop& loop = item.loop;
    const size_t width = loop.width(), rows = loop.length(), column = labels.col();
    loop.tags.emplace_back("_atom_site.auth_seq_id");
    loop.values.resize(rows * (width + 1));
    std::string* values = loop.values.data();
    for (size_t row = rows; row-- > 0;) {
        std::string* to = values + row * (width + 1);
        if (row > 0) std::move_backward(values + row * width, values + row * width + width, to + width);
        to[width] = to[column];
    }
}

}  // namespace

gemmi::Structure StructureOfBlock(gemmi::cif::Block& block, const std::string& fileName, StructureRecords& records) {
    RequireAtomSiteColumns(block, fileName);
    RequireIntegersInRange(block, fileName);
    DropUnusedCategories(block);
    NumberResiduesByLabel(block);
    gemmi::Structure st = gemmi::make_structure_from_block(block);
    CollectHelicesAndSheets(st, records.ranges);
    CollectTurns(block, records.ranges);
    CollectLinks(st, records.links);
    return st;
}

JoinedResidues FindJoinedResidues(gemmi::cif::Block& block) {
    JoinedResidues joined;
    // Residue number, model, chain (author's, else label), residue name (likewise), insertion code.
    enum { kSeq, kModel, kAuthAsym, kLabelAsym, kAuthComp, kLabelComp, kInsCode };
    gemmi::cif::Table table = block.find("_atom_site.", {"auth_seq_id", "?pdbx_PDB_model_num", "?auth_asym_id",
                                                         "?label_asym_id", "?auth_comp_id", "?label_comp_id",
                                                         "?pdbx_PDB_ins_code"});
    if (!table.ok() || table.length() == 0) return joined;
    const int asym = table.first_of(kAuthAsym, kLabelAsym), comp = table.first_of(kAuthComp, kLabelComp);
    std::unordered_map<std::string, uint32_t> residueCounts;  // by model name
    std::string model = table.has_column(kModel) ? table[0].str(kModel) : "1";
    uint32_t* residueCount = &residueCounts[model];
    // The chain part: its name, its residues with their places among the model's, the current one.
    bool inChain = false;
    std::string chain;
    std::unordered_map<gemmi::ResidueId, uint32_t, ResidueIdHash> residues;
    const gemmi::ResidueId* current = nullptr;
    for (auto row : table) {
        // A model's name is compared with the raw value, as the builder does.
        if (row.has(kModel) && row[kModel] != model) {
            model = row.str(kModel);
            residueCount = &residueCounts[model];
            inChain = false;
        }
        std::string name = row.str(asym);
        if (!inChain || name != chain) {
            inChain = true;
            chain = std::move(name);
            residues.clear();
            current = nullptr;
        }
        gemmi::ResidueId rid = gemmi::impl::make_resid(row.str(comp), row.str(kSeq),
                                                       row.has(kInsCode) ? &row[kInsCode] : nullptr);
        if (current && *current == rid) continue;
        auto [found, added] = residues.try_emplace(std::move(rid), *residueCount);
        if (added) {
            ++*residueCount;
        } else if (current && (SequenceNumber(current->seqid) != SequenceNumber(found->first.seqid) ||
                               BlankIfUnset(current->seqid.icode) != BlankIfUnset(found->first.seqid.icode))) {
            joined.try_emplace(model, found->second);
        }
        current = &found->first;
    }
    return joined;
}

MolList ReadMmcifText(std::string text, const std::string& fileName, ReadScope scope) {
    RequireText(text, fileName);
    MolList molecules;
    try {
        gemmi::cif::Document doc = gemmi::cif::read_memory(text.data(), text.size(), fileName.c_str());
        std::string().swap(text);  // the document holds every value now
        for (gemmi::cif::Block& block : doc.blocks) {
            if (!block.has_tag("_atom_site.Cartn_x") && !block.has_tag("_atom_site.id")) continue;
            StructureRecords records;
            gemmi::Structure st = StructureOfBlock(block, fileName, records);
            const JoinedResidues joined = FindJoinedResidues(block);
            std::vector<gemmi::cif::Item>().swap(block.items);  // the structure holds what is used
            BuildMolecules(st, records, joined, fileName, scope, molecules);
            if (scope == ReadScope::First && !molecules.empty()) return molecules;
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
