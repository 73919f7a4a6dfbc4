#include "molecule/read_structure.h"

#include <charconv>
#include <cmath>

#include "molecule/residue.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

// HETATM from the record; an mmCIF file without _atom_site.group_PDB leaves
// it to the residue's entity: everything outside polymers is hetero.
bool IsHetero(const gemmi::Residue& res) {
    if (res.het_flag != '\0') return res.het_flag == 'H';
    return res.entity_type == gemmi::EntityType::NonPolymer || res.entity_type == gemmi::EntityType::Water ||
           res.entity_type == gemmi::EntityType::Branched;
}

// Builds the molecule of one model. Each residue's atoms are released from
// gemmi's structure as soon as they are converted, so that the two never
// hold the whole model at once.
class MoleculeBuilder {
public:
    MoleculeBuilder(gemmi::Structure& st, size_t modelIndex, const std::string& fileName)
        : st_(st), model_(st.models[modelIndex]), modelNumber_(ModelNumber(model_.name, modelIndex)), fileName_(fileName) {}

    int ModelNumberOf() const { return modelNumber_; }
    const std::vector<ModelResidue>& Residues() const { return residues_; }

    std::unique_ptr<KaGraphMol> Build() {
        auto mol = std::make_unique<KaGraphMol>();
        mol->SetTitle(TitleOf(st_));
        size_t atomCount = 0;
        for (const gemmi::Chain& chain : model_.chains)
            for (const gemmi::Residue& res : chain.residues) atomCount += res.atoms.size();
        mol->Reserve(static_cast<uint32_t>(atomCount));
        KaResidue record;
        record.modelNumber = modelNumber_;
        for (gemmi::Chain& chain : model_.chains)
            for (gemmi::Residue& res : chain.residues) {
                residues_.push_back({chain.name, res.name, SequenceNumber(res.seqid), BlankIfUnset(res.seqid.icode),
                                     mol->IndexLimit(), static_cast<uint32_t>(res.atoms.size())});
                record.residueName = res.name;
                record.residueNumber = residues_.back().number;
                record.insertCode = residues_.back().icode;
                record.hetAtom = IsHetero(res);
                record.chainId = chain.name.empty() ? std::string(" ") : chain.name;
                for (const gemmi::Atom& atom : res.atoms) {
                    const gemmi::Position& p = atom.pos;
                    if (!(std::fabs(p.x) < kMaxCoordinate && std::fabs(p.y) < kMaxCoordinate &&
                          std::fabs(p.z) < kMaxCoordinate))
                        ThrowFormatError(fileName_, "atom " + std::to_string(atom.serial) + " (" + atom.name + " of " +
                                                        res.name + " " + std::to_string(record.residueNumber) +
                                                        ", chain '" + chain.name + "') has no usable coordinates");
                    const float xyz[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
                    record.serialNumber = atom.serial;
                    record.occupancy = atom.occ;
                    record.bFactor = atom.b_iso;
                    record.alternateLocation = BlankIfUnset(atom.altloc);
                    mol->AppendAtom(static_cast<uint32_t>(atom.element.atomic_number()), atom.name, xyz, record);
                }
                std::vector<gemmi::Atom>().swap(res.atoms);
            }
        return mol;
    }

private:
    const gemmi::Structure& st_;
    gemmi::Model& model_;
    const int modelNumber_;
    const std::string& fileName_;
    std::vector<ModelResidue> residues_;
};

}  // namespace

std::string TitleOf(const gemmi::Structure& st) {
    auto entry = st.info.find("_entry.id");
    return entry != st.info.end() ? entry->second : st.name;
}

int ModelNumber(const std::string& name, size_t index) {
    int number = 0;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (ec != std::errc() || end != name.data() + name.size()) return static_cast<int>(index) + 1;
    return number;
}

void CollectHelicesAndSheets(const gemmi::Structure& st, std::vector<SecondaryRange>& ranges) {
    auto add = [&](const gemmi::AtomAddress& begin, const gemmi::AtomAddress& end, uint32_t flags) {
        ranges.push_back({begin.chain_name, SequenceNumber(begin.res_id.seqid), BlankIfUnset(begin.res_id.seqid.icode),
                          SequenceNumber(end.res_id.seqid), BlankIfUnset(end.res_id.seqid.icode), flags});
    };
    for (const gemmi::Helix& helix : st.helices)
        add(helix.start, helix.end, HelixClassFlags(static_cast<int>(helix.pdb_helix_class)));
    for (const gemmi::Sheet& sheet : st.sheets)
        for (const gemmi::Sheet::Strand& strand : sheet.strands) add(strand.start, strand.end, kSheetFlag);
}

void CollectLinks(const gemmi::Structure& st, std::vector<LinkRecord>& links) {
    auto partner = [](const gemmi::AtomAddress& address) {
        return LinkPartner{address.chain_name, address.res_id.name, SequenceNumber(address.res_id.seqid),
                           BlankIfUnset(address.res_id.seqid.icode), address.atom_name, address.altloc};
    };
    for (const gemmi::Connection& link : st.connections)
        if (link.type != gemmi::Connection::Hydrog && link.asu != gemmi::Asu::Different)
            links.push_back({partner(link.partner1), partner(link.partner2)});
}

void BuildMolecules(gemmi::Structure& st, const StructureRecords& records, const JoinedResidues& joined,
                    const std::string& fileName, ReadScope scope, MolList& molecules) {
    for (size_t i = 0; i < st.models.size(); ++i) {
        if (st.models[i].chains.empty()) continue;
        auto joinedHere = joined.find(st.models[i].name);
        const uint32_t joinedResidue = joinedHere != joined.end() ? joinedHere->second : kNoResidue;
        MoleculeBuilder builder(st, i, fileName);
        molecules.push_back(builder.Build());
        std::vector<gemmi::Chain>().swap(st.models[i].chains);
        CompleteModel(*molecules.back(), builder.Residues(), joinedResidue, builder.ModelNumberOf(), records,
                      fileName);
        if (scope == ReadScope::First) break;
    }
}

}  // namespace Kamol::io_detail
