// mmCIF read in one pass: gemmi's grammar parses the text as it is read,
// each _atom_site row goes straight into its model's molecule (read as
// gemmi's structure builder reads it), and only the other categories are
// kept as a document, from which gemmi builds the links, helices and sheets.
// What this pass does not cover - a fault anywhere, H/D mixtures, atom sites
// outside one loop of one block, links placed by label only - is left to the
// whole-text reader, which gives the same molecules or the same error.
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>

#include <cmath>
#include <cstring>
#include <unordered_map>

#include "molecule/read_structure.h"
#include "molecule/residue.h"

namespace Kamol::io_detail {

namespace {

namespace cif = gemmi::cif;
namespace pegtl = tao::pegtl;

struct StreamedModel {
    std::string name;
    int number;
    std::unique_ptr<KaGraphMol> mol;  // null unless the model is built
    std::vector<ModelResidue> residues;
    std::vector<gemmi::ResidueId> identities;  // by residue
    // By residue, from its first row: the ATOM/HETATM flag ('A', 'H', or
    // '\0' when the entity decides), label_asym_id, label_entity_id, and the
    // chain part (a run of rows with one chain name).
    std::vector<char> hetFlags;
    std::vector<std::string> subchains, entityIds;
    std::vector<uint32_t> chainParts;
    // By atom, once an atom joined a residue other than the last one.
    std::vector<uint32_t> atomResidues;
    uint32_t joinedResidue = kNoResidue;  // the first joined after other residues
};

// The rows of the _atom_site loop, turned into atoms as they come.
class AtomSiteRows {
public:
    AtomSiteRows(ReadScope scope, size_t sizeHint) : scope_(scope), sizeHint_(sizeHint) {}

    // The loop's tags, before its first row.
    void Start(const std::vector<std::string>& tags) {
        auto find = [&](const char* name) {
            const std::string tag = gemmi::to_lower(std::string("_atom_site.") + name);
            for (size_t i = 0; i < tags.size(); ++i)
                if (gemmi::iequal(tags[i], tag)) return int(i);
            return -1;
        };
        id_ = find("id");
        group_ = find("group_PDB");
        symbol_ = find("type_symbol");
        altId_ = find("label_alt_id");
        labelAsym_ = find("label_asym_id");
        labelSeq_ = find("label_seq_id");
        labelEntity_ = find("label_entity_id");
        insCode_ = find("pdbx_PDB_ins_code");
        x_ = find("Cartn_x");
        y_ = find("Cartn_y");
        z_ = find("Cartn_z");
        occupancy_ = find("occupancy");
        bIso_ = find("B_iso_or_equiv");
        charge_ = find("pdbx_formal_charge");
        modelNum_ = find("pdbx_PDB_model_num");
        // Each field from its auth_ column, or from the label_ one when the loop has no auth_ column.
        const int authAsym = find("auth_asym_id"), authSeq = find("auth_seq_id"), authComp = find("auth_comp_id"),
                  authAtom = find("auth_atom_id");
        asym_ = authAsym >= 0 ? authAsym : labelAsym_;
        seq_ = authSeq >= 0 ? authSeq : labelSeq_;
        comp_ = authComp >= 0 ? authComp : find("label_comp_id");
        atom_ = authAtom >= 0 ? authAtom : find("label_atom_id");
        for (int required : {id_, symbol_, altId_, labelAsym_, x_, y_, z_, occupancy_, bIso_, seq_, comp_, atom_})
            if (required < 0) throw WholeTextNeeded();
        if (find("ccp4_hd_mixture") >= 0) throw WholeTextNeeded();
        for (size_t i = 0; i < tags.size(); ++i)
            if (IsIntegerTag(tags[i])) integerColumns_.push_back(i);
    }

    void Row(const std::vector<std::string>& row) {
        for (size_t column : integerColumns_)
            if (!LeadingIntegerFits(row[column])) throw WholeTextNeeded();
        if (models_.empty()) OpenModel(modelNum_ >= 0 ? cif::as_string(row[modelNum_]) : "1");
        if (modelNum_ >= 0 && row[modelNum_] != models_[model_].name) {
            OpenModel(cif::as_string(row[modelNum_]));
            inChain_ = false;
        }
        StreamedModel& model = models_[model_];
        std::string asym = cif::as_string(row[asym_]);
        if (!inChain_ || asym != chainName_) {
            inChain_ = true;
            ++chainPart_;
            chainName_ = std::move(asym);
            residue_ = -1;
            residueIndex_.clear();
            record_.chainId = chainName_.empty() ? std::string(" ") : chainName_;
        }
        gemmi::ResidueId rid = gemmi::impl::make_resid(cif::as_string(row[comp_]), cif::as_string(row[seq_]),
                                                       insCode_ >= 0 ? &row[insCode_] : nullptr);
        if (residue_ < 0 || !(model.identities[size_t(residue_)] == rid)) FindResidue(model, row, std::move(rid));

        // Read as gemmi reads them, faults included, in every model.
        record_.alternateLocation = BlankIfUnset(cif::as_char(row[altId_], '\0'));
        if (Has(row, charge_)) (void)cif::as_int(row[charge_]);
        const double x = cif::as_number(row[x_]), y = cif::as_number(row[y_]), z = cif::as_number(row[z_]);
        if (!model.mol) return;
        if (!(std::fabs(x) < kMaxCoordinate && std::fabs(y) < kMaxCoordinate && std::fabs(z) < kMaxCoordinate))
            throw WholeTextNeeded();
        record_.serialNumber = gemmi::string_to_int(row[id_], false);
        record_.occupancy = static_cast<float>(cif::as_number(row[occupancy_], 1.0));
        record_.bFactor = static_cast<float>(cif::as_number(row[bIso_], 50.0));
        const float xyz[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
        const auto element = static_cast<uint32_t>(gemmi::Element(cif::as_string(row[symbol_])).atomic_number());
        if (!model.atomResidues.empty()) model.atomResidues.push_back(uint32_t(residue_));
        model.mol->AppendAtom(element, cif::as_string(row[atom_]), xyz, record_);
        ++model.residues[size_t(residue_)].atomCount;
    }

    std::vector<StreamedModel>& Models() { return models_; }

private:
    static bool Has(const std::vector<std::string>& row, int column) {
        return column >= 0 && !cif::is_null(row[size_t(column)]);
    }

    // Models are told apart by name; a name met again continues its model.
    void OpenModel(const std::string& name) {
        for (size_t i = 0; i < models_.size(); ++i)
            if (models_[i].name == name) {
                model_ = i;
                record_.modelNumber = models_[i].number;
                return;
            }
        model_ = models_.size();
        StreamedModel& model = models_.emplace_back();
        model.name = name;
        model.number = ModelNumber(name, model_);
        record_.modelNumber = model.number;
        if (scope_ == ReadScope::First && model_ > 0) return;
        model.mol = std::make_unique<KaGraphMol>();
        // Room for as many atoms as the model before it (models tend to be
        // alike) or, for the first, for the rows the text can hold (at least
        // 50 characters each) when its size is known: memory not written is
        // not used.
        const size_t atoms = model_ > 0 ? models_[model_ - 1].mol->IndexLimit() : sizeHint_ / 50 + 1;
        if (model_ > 0 || sizeHint_ > 0) model.mol->Reserve(static_cast<uint32_t>(std::min<size_t>(atoms, UINT32_MAX)));
    }

    // Makes the residue of the row current: the chain part's residue with
    // that identity, or a new one.
    void FindResidue(StreamedModel& model, const std::vector<std::string>& row, gemmi::ResidueId rid) {
        auto [found, added] = residueIndex_.try_emplace(rid, uint32_t(model.identities.size()));
        const uint32_t index = found->second;
        if (added) {
            if (Has(row, labelSeq_)) (void)cif::as_int(row[labelSeq_]);
            char het = '\0';
            if (Has(row, group_))
                for (int i = 0; i < 2; ++i) {  // the first character could be a quote
                    const char c = gemmi::alpha_up(row[group_][i]);
                    if (c == 'A' || c == 'H' || c == '\0') het = c;
                }
            model.residues.push_back({chainName_, rid.name, SequenceNumber(rid.seqid),
                                      BlankIfUnset(rid.seqid.icode), model.mol ? model.mol->IndexLimit() : 0, 0});
            model.identities.push_back(std::move(rid));
            model.hetFlags.push_back(het);
            model.subchains.push_back(cif::as_string(row[labelAsym_]));
            model.entityIds.push_back(Has(row, labelEntity_) ? cif::as_string(row[labelEntity_]) : std::string());
            model.chainParts.push_back(chainPart_);
        } else if (model.mol) {
            TrackAtomResidues(model.residues, model.atomResidues);
            NoteJoinedResidue(model.residues, uint32_t(residue_), index, model.joinedResidue);
        }
        residue_ = int64_t(index);
        // Without ATOM or HETATM the entity decides, once all is read (SetHeteroByEntity).
        SetResidueFields(record_, model.residues[index], model.hetFlags[index] == 'H');
    }

    const ReadScope scope_;
    const size_t sizeHint_;
    int id_, group_, symbol_, altId_, labelAsym_, labelSeq_, labelEntity_, insCode_, x_, y_, z_, occupancy_, bIso_, charge_,
        modelNum_, asym_, seq_, comp_, atom_;
    std::vector<size_t> integerColumns_;
    std::vector<StreamedModel> models_;
    size_t model_ = 0;
    bool inChain_ = false;
    uint32_t chainPart_ = 0;
    std::string chainName_;
    int64_t residue_ = -1;
    std::unordered_map<gemmi::ResidueId, uint32_t, ResidueIdHash> residueIndex_;  // of the chain part
    KaResidue record_;
};

// The document without the _atom_site loop's values, which go to `atoms`.
struct StreamState {
    cif::Document doc;
    AtomSiteRows* atoms;
    // The loop being read: its values go to `atoms`, to the document, or
    // (categories the molecules are not built from) are only counted.
    enum class Loop { Unknown, AtomSite, Kept, Dropped } loop = Loop::Unknown;
    size_t droppedValues = 0;
    bool atomSiteSeen = false;
    size_t atomSiteBlock = 0;
    std::vector<std::string> row;
    size_t column = 0;
};

bool IsAtomSiteTag(const std::string& tag) { return gemmi::istarts_with(tag, "_atom_site."); }

// gemmi's actions, but for the values of the _atom_site loop.
template <typename Rule>
struct StreamAction : pegtl::nothing<Rule> {};

template <typename Rule>
struct GemmiAction {
    template <typename Input>
    static void apply(const Input& in, StreamState& state) {
        cif::Action<Rule>::apply(in, state.doc);
    }
};
template <> struct StreamAction<cif::rules::datablockname> : GemmiAction<cif::rules::datablockname> {};
template <> struct StreamAction<cif::rules::str_global> : GemmiAction<cif::rules::str_global> {};
template <> struct StreamAction<cif::rules::framename> : GemmiAction<cif::rules::framename> {};
template <> struct StreamAction<cif::rules::endframe> : GemmiAction<cif::rules::endframe> {};
template <> struct StreamAction<cif::rules::item_tag> : GemmiAction<cif::rules::item_tag> {};
template <> struct StreamAction<cif::rules::item_value> : GemmiAction<cif::rules::item_value> {};
template <> struct StreamAction<cif::rules::loop_tag> : GemmiAction<cif::rules::loop_tag> {};

template <>
struct StreamAction<cif::rules::str_loop> {
    template <typename Input>
    static void apply(const Input& in, StreamState& state) {
        cif::Action<cif::rules::str_loop>::apply(in, state.doc);
        state.loop = StreamState::Loop::Unknown;
        state.column = 0;
    }
};

template <>
struct StreamAction<cif::rules::loop_value> {
    template <typename Input>
    static void apply(const Input& in, StreamState& state) {
        if (state.loop == StreamState::Loop::Unknown) {
            const cif::Item& item = state.doc.items_->back();
            const std::vector<std::string>& tags = item.loop.tags;
            size_t atomSite = 0;
            for (const std::string& tag : tags) atomSite += IsAtomSiteTag(tag);
            if (atomSite == 0) {
                state.loop = IsUsedCategory(item) ? StreamState::Loop::Kept : StreamState::Loop::Dropped;
                state.droppedValues = 0;
            } else {
                // One loop of atom sites, in a block rather than a save frame.
                if (atomSite != tags.size() || state.atomSiteSeen || state.doc.items_ != &state.doc.blocks.back().items)
                    throw WholeTextNeeded();
                state.loop = StreamState::Loop::AtomSite;
                state.atomSiteSeen = true;
                state.atomSiteBlock = state.doc.blocks.size() - 1;
                state.atoms->Start(tags);
                state.row.resize(tags.size());
            }
        }
        if (state.loop == StreamState::Loop::Kept) return cif::Action<cif::rules::loop_value>::apply(in, state.doc);
        if (state.loop == StreamState::Loop::Dropped) {
            ++state.droppedValues;
            return;
        }
        state.row[state.column].assign(in.begin(), in.size());
        if (++state.column == state.row.size()) {
            state.atoms->Row(state.row);
            state.column = 0;
        }
    }
};

template <>
struct StreamAction<cif::rules::loop> {
    template <typename Input>
    static void apply(const Input& in, StreamState& state) {
        if (state.loop == StreamState::Loop::AtomSite && state.column != 0) throw WholeTextNeeded();
        if (state.loop == StreamState::Loop::Dropped && state.droppedValues % state.doc.items_->back().loop.tags.size())
            throw WholeTextNeeded();
        cif::Action<cif::rules::loop>::apply(in, state.doc);
    }
};

// Feeds the parser from the source; text with NUL bytes is left to the
// whole-text reader, which refuses it.
struct SourceReader {
    TextSource* source;
    size_t operator()(char* buffer, size_t length) const {
        const size_t got = source->Read(buffer, length);
        if (std::memchr(buffer, '\0', got)) throw WholeTextNeeded();
        return got;
    }
};

// The longest token (a text field, say) the parser can hold.
constexpr size_t kMaxToken = size_t(1) << 26;
constexpr size_t kReadSize = size_t(1) << 16;

// Runs of residues of one chain part with one label_asym_id: [begin, end).
template <typename Visit>
void ForEachSubchain(const StreamedModel& model, Visit&& visit) {
    for (size_t begin = 0, end; begin < model.residues.size(); begin = end) {
        end = begin + 1;
        while (end < model.residues.size() && model.chainParts[end] == model.chainParts[begin] &&
               model.subchains[end] == model.subchains[begin])
            ++end;
        visit(begin, end);
    }
}

bool IsWater(const std::string& name) {
    if (name.size() != 3) return false;
    const int id = gemmi::ialpha4_id(name.c_str());
    return id == gemmi::ialpha4_id("HOH") || id == gemmi::ialpha4_id("DOD") || id == gemmi::ialpha4_id("WAT") ||
           id == gemmi::ialpha4_id("H2O");
}

// Residues read without ATOM or HETATM are hetero unless their entity is a
// polymer: the entity of their label_asym_id (from _struct_asym, or else from
// the first model's residues), or for a subchain of no known entity, a guess
// from the subchain (water, a polymer when longer than one sequence position).
void SetHeteroByEntity(cif::Block& block, gemmi::Structure& st, std::vector<StreamedModel>& models) {
    bool needed = false;
    for (const StreamedModel& model : models)
        for (size_t r = 0; model.mol && r < model.hetFlags.size(); ++r) needed = needed || model.hetFlags[r] == '\0';
    if (!needed) return;
    if (!block.find("_struct_asym.", {"id", "entity_id"}).ok() && !models.empty()) {
        const StreamedModel& first = models[0];
        ForEachSubchain(first, [&](size_t begin, size_t) {
            if (gemmi::Entity* entity = st.get_entity(first.entityIds[begin]))
                if (!gemmi::in_vector(first.subchains[begin], entity->subchains))
                    entity->subchains.push_back(first.subchains[begin]);
        });
    }
    for (StreamedModel& model : models) {
        if (!model.mol) continue;
        ForEachSubchain(model, [&](size_t begin, size_t end) {
            gemmi::EntityType type = gemmi::EntityType::Unknown;
            if (const gemmi::Entity* entity = gemmi::find_entity_of_subchain(model.subchains[begin], st.entities))
                type = entity->entity_type;
            if (type == gemmi::EntityType::Unknown) {
                // Its length in sequence positions: neighbours with one number count once.
                size_t length = end - begin;
                for (size_t r = begin + 1; r < end; ++r) length -= model.identities[r].seqid == model.identities[r - 1].seqid;
                type = IsWater(model.residues[begin].name) ? gemmi::EntityType::Water
                       : length > 1                      ? gemmi::EntityType::Polymer
                                                         : gemmi::EntityType::NonPolymer;
            }
            const bool hetero = type == gemmi::EntityType::NonPolymer || type == gemmi::EntityType::Water ||
                                type == gemmi::EntityType::Branched;
            for (size_t r = begin; r < end; ++r)
                if (model.hetFlags[r] == '\0' && hetero)
                    model.mol->SetHetero(model.residues[r].firstAtom, model.residues[r].atomCount, true);
        });
    }
}

bool HasAtomSiteTags(const cif::Block& block) {
    return block.has_tag("_atom_site.Cartn_x") || block.has_tag("_atom_site.id");
}

MolList ReadInOnePass(TextSource& source, const std::string& fileName, ReadScope scope) {
    AtomSiteRows atoms(scope, source.SizeHint());
    StreamState state;
    state.atoms = &atoms;
    {
        // No token is longer than the text.
        const size_t hint = source.SizeHint();
        const size_t maxToken = hint > 0 ? std::min(kMaxToken, hint + 1) : kMaxToken;
        pegtl::buffer_input<SourceReader, pegtl::eol::lf_crlf, std::string, kReadSize> in(fileName, maxToken,
                                                                                         SourceReader{&source});
        state.doc.source = fileName;
        pegtl::parse<cif::rules::file, StreamAction, cif::Errors>(in, state);
    }
    cif::Document& doc = state.doc;
    cif::check_for_missing_values(doc);
    cif::check_for_duplicates(doc);
    if (!state.atomSiteSeen) throw WholeTextNeeded();
    for (size_t i = 0; i < doc.blocks.size(); ++i)
        if (i != state.atomSiteBlock && HasAtomSiteTags(doc.blocks[i])) throw WholeTextNeeded();
    cif::Block& block = doc.blocks[state.atomSiteBlock];
    for (const cif::Item& item : block.items)
        if (item.type == cif::ItemType::Pair && IsAtomSiteTag(item.pair[0])) throw WholeTextNeeded();
    StructureRecords records;
    gemmi::Structure st = StructureOfBlock(block, fileName, records);
    const std::string title = TitleOf(st);
    MolList molecules;
    for (StreamedModel& model : atoms.Models()) {
        if (!model.mol) continue;
        PutInResidueOrder(model.mol, model.residues, model.atomResidues);
        model.mol->SetTitle(title);
    }
    SetHeteroByEntity(block, st, atoms.Models());
    for (StreamedModel& model : atoms.Models()) {
        if (!model.mol) continue;
        CompleteModel(*model.mol, model.residues, model.joinedResidue, model.number, records, fileName);
        molecules.push_back(std::move(model.mol));
    }
    if (molecules.empty()) throw WholeTextNeeded();
    return molecules;
}

}  // namespace

MolList ReadMmcifSource(TextSource& source, const std::string& fileName, ReadScope scope) {
    try {
        return ReadInOnePass(source, fileName, scope);
    } catch (const WholeTextNeeded&) {
        throw;
    } catch (const FileError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception&) {
        // Faults are reported by the whole-text reader, in its order.
        throw WholeTextNeeded();
    }
}

}  // namespace Kamol::io_detail
