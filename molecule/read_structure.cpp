#include "molecule/read_structure.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <unordered_map>

#include "molecule/perceive_bonds.h"
#include "molecule/residue.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

// Coordinates beyond this magnitude are not from a real structure.
constexpr double kMaxCoordinate = 1.0e15;

char BlankIfUnset(char c) { return c == '\0' ? ' ' : c; }

int SequenceNumber(const gemmi::SeqId& seqid) { return seqid.num.has_value() ? *seqid.num : 0; }

// Residue identity within a model: chain name, number, insertion code.
struct ResidueKey {
    std::string_view chain;
    int number;
    char icode;
    bool operator==(const ResidueKey&) const = default;
};

struct ResidueKeyHash {
    size_t operator()(const ResidueKey& k) const {
        size_t h = std::hash<std::string_view>()(k.chain);
        h ^= std::hash<int>()(k.number) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h ^ (static_cast<unsigned char>(k.icode) * 0x100000001b3ULL);
    }
};

ResidueKey KeyOf(const gemmi::AtomAddress& address) {
    return {address.chain_name, SequenceNumber(address.res_id.seqid), BlankIfUnset(address.res_id.seqid.icode)};
}

// HETATM from the record; an mmCIF file without _atom_site.group_PDB leaves
// it to the residue's entity: everything outside polymers is hetero.
bool IsHetero(const gemmi::Residue& res) {
    if (res.het_flag != '\0') return res.het_flag == 'H';
    return res.entity_type == gemmi::EntityType::NonPolymer || res.entity_type == gemmi::EntityType::Water ||
           res.entity_type == gemmi::EntityType::Branched;
}

int ModelNumber(const gemmi::Model& model, size_t modelIndex) {
    int number = 0;
    const std::string& name = model.name;
    auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
    if (ec != std::errc() || end != name.data() + name.size()) return static_cast<int>(modelIndex) + 1;
    return number;
}

// Builds the molecule of one model. Each residue's atoms are released from
// gemmi's structure as soon as they are converted, so that the two never
// hold the whole model at once; links and CONECT records are then resolved
// against the molecule.
class MoleculeBuilder {
public:
    MoleculeBuilder(gemmi::Structure& st, size_t modelIndex, const StructureRecords& records,
                    const std::string& fileName)
        : st_(st),
          model_(st.models[modelIndex]),
          modelNumber_(ModelNumber(model_, modelIndex)),
          records_(records),
          fileName_(fileName),
          mol_(std::make_unique<KaGraphMol>()) {}

    // The molecule with the file's bonds; PerceiveBonds with BondsGiven()
    // completes it.
    std::unique_ptr<KaGraphMol> Build() {
        auto entry = st_.info.find("_entry.id");
        mol_->SetTitle(entry != st_.info.end() ? entry->second : st_.name);
        IndexResidues();
        MarkSecondaryStructure();
        AddAtoms();
        AddLinks();
        AddConectBonds();
        return std::move(mol_);
    }
    // By atom index; set for atoms named by CONECT records.
    std::vector<uint8_t>& BondsGiven() { return bondsGiven_; }

private:
    // What links and secondary structure need of a residue once its atoms are gone.
    struct FlatResidue {
        gemmi::Chain* chain;
        gemmi::Residue* residue;
        std::string name;
        int number;
        char icode;
        uint32_t firstAtom;
        uint32_t atomCount;
        uint32_t flags;
        ResidueKey Key() const { return {chain->name, number, icode}; }
    };

    void IndexResidues() {
        size_t atomCount = 0;
        for (gemmi::Chain& chain : model_.chains)
            for (gemmi::Residue& res : chain.residues) {
                FlatResidue flat{&chain, &res, res.name, SequenceNumber(res.seqid), BlankIfUnset(res.seqid.icode),
                                 static_cast<uint32_t>(atomCount), static_cast<uint32_t>(res.atoms.size()), 0};
                firstResidue_.try_emplace(flat.Key(), static_cast<uint32_t>(residues_.size()));
                residues_.push_back(std::move(flat));
                atomCount += res.atoms.size();
            }
        mol_->Reserve(static_cast<uint32_t>(atomCount));
    }

    bool SameKey(size_t i, const ResidueKey& key) const { return residues_[i].Key() == key; }

    // Flags every residue from the range's first to its last in the same chain.
    void MarkSecondaryStructure() {
        for (const SecondaryRange& range : records_.ranges) {
            auto start = firstResidue_.find({range.chain, range.beginNumber, range.beginIcode});
            if (start == firstResidue_.end()) continue;
            const ResidueKey last{range.chain, range.endNumber, range.endIcode};
            for (size_t i = start->second; i < residues_.size() && residues_[i].chain->name == range.chain; ++i) {
                residues_[i].flags |= range.flags;
                if (!SameKey(i, last)) continue;
                while (i + 1 < residues_.size() && SameKey(i + 1, last)) residues_[++i].flags |= range.flags;
                break;
            }
        }
    }

    void AddAtoms() {
        KaResidue record;
        record.modelNumber = modelNumber_;
        for (FlatResidue& flat : residues_) {
            gemmi::Residue& res = *flat.residue;
            record.residueName = res.name;
            record.residueNumber = flat.number;
            record.insertCode = flat.icode;
            record.hetAtom = IsHetero(res);
            record.chainId = flat.chain->name.empty() ? std::string(" ") : flat.chain->name;
            record.secondaryStructure = flat.flags;
            for (const gemmi::Atom& atom : res.atoms) {
                const gemmi::Position& p = atom.pos;
                if (!(std::fabs(p.x) < kMaxCoordinate && std::fabs(p.y) < kMaxCoordinate &&
                      std::fabs(p.z) < kMaxCoordinate))
                    ThrowFormatError(fileName_, "atom " + std::to_string(atom.serial) + " (" + atom.name + " of " +
                                                    res.name + " " + std::to_string(record.residueNumber) +
                                                    ", chain '" + flat.chain->name + "') has no usable coordinates");
                const float xyz[3] = {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
                record.serialNumber = atom.serial;
                record.occupancy = atom.occ;
                record.bFactor = atom.b_iso;
                record.alternateLocation = BlankIfUnset(atom.altloc);
                mol_->AppendAtom(static_cast<uint32_t>(atom.element.atomic_number()), atom.name, xyz, record);
            }
            std::vector<gemmi::Atom>().swap(res.atoms);
            flat.residue = nullptr;
        }
    }

    // Atoms at a link partner's address: the residue (and any alternative
    // residue sharing its number), the atom name, and the altloc when given.
    std::vector<uint32_t> FindAtoms(const gemmi::AtomAddress& address) const {
        std::vector<uint32_t> found;
        const ResidueKey key = KeyOf(address);
        auto first = firstResidue_.find(key);
        if (first == firstResidue_.end()) return found;
        const KaAtomColumns& columns = mol_->Columns();
        for (size_t i = first->second; i < residues_.size() && SameKey(i, key); ++i) {
            const FlatResidue& flat = residues_[i];
            if (!address.res_id.name.empty() && flat.name != address.res_id.name) continue;
            for (uint32_t atom = flat.firstAtom; atom < flat.firstAtom + flat.atomCount; ++atom) {
                // gemmi leaves a blank alternate location unset, which the column holds as a blank.
                const char altloc = columns.alternateLocations[atom];
                if (mol_->GetAtom(atom)->Name() == address.atom_name &&
                    (address.altloc == '\0' || (altloc == ' ' ? '\0' : altloc) == address.altloc))
                    found.push_back(atom);
            }
        }
        return found;
    }

    bool Bond(uint32_t a, uint32_t b) {
        KaAtomBase* atomA = mol_->GetAtom(a);
        KaAtomBase* atomB = mol_->GetAtom(b);
        if (a == b || AreBonded(*atomA, *atomB)) return false;
        return mol_->NewBond(*atomA, *atomB) != nullptr;
    }

    // LINK and SSBOND records (PDB) or struct_conn rows (mmCIF). Hydrogen
    // bonds are not covalent, and links to a symmetry mate have no partner
    // in this model.
    void AddLinks() {
        size_t unresolved = 0;
        const std::vector<char>& altlocs = mol_->Columns().alternateLocations;
        for (const gemmi::Connection& link : st_.connections) {
            if (link.type == gemmi::Connection::Hydrog || link.asu == gemmi::Asu::Different) continue;
            std::vector<uint32_t> first = FindAtoms(link.partner1);
            std::vector<uint32_t> second = FindAtoms(link.partner2);
            if (first.empty() || second.empty()) {
                ++unresolved;
                continue;
            }
            for (uint32_t a : first)
                for (uint32_t b : second) {
                    char altA = altlocs[a], altB = altlocs[b];
                    if (altA == ' ' || altB == ' ' || altA == altB) Bond(a, b);
                }
        }
        if (unresolved)
            KaSystem::Warning("%s: %zu links name atoms that model %d does not have; those bonds were skipped",
                              fileName_.c_str(), unresolved, modelNumber_);
    }

    void AddConectBonds() {
        if (records_.conect.empty()) return;
        const std::vector<int32_t>& serials = mol_->Columns().serialNumbers;
        const uint32_t atomCount = mol_->IndexLimit();
        std::vector<std::pair<int, uint32_t>> bySerial;
        bySerial.reserve(atomCount);
        for (uint32_t i = 0; i < atomCount; ++i) bySerial.emplace_back(serials[i], i);
        std::stable_sort(bySerial.begin(), bySerial.end(),
                         [](const auto& x, const auto& y) { return x.first < y.first; });
        for (size_t i = 1; i < bySerial.size(); ++i)
            if (bySerial[i].first == bySerial[i - 1].first) {
                KaSystem::Warning("%s: atom serial %d occurs more than once in model %d; CONECT records use the "
                                  "first atom with each serial",
                                  fileName_.c_str(), bySerial[i].first, modelNumber_);
                break;
            }
        auto find = [&](int serial) -> int64_t {
            auto it = std::lower_bound(bySerial.begin(), bySerial.end(), serial,
                                       [](const auto& entry, int s) { return entry.first < s; });
            return it != bySerial.end() && it->first == serial ? int64_t(it->second) : -1;
        };
        bondsGiven_.assign(atomCount, 0);
        size_t missing = 0, firstMissingLine = 0;
        for (const SerialBond& bond : records_.conect) {
            int64_t a = find(bond.serialA), b = find(bond.serialB);
            // An atom the file lists bonds for is trusted even when a partner is missing.
            if (a >= 0) bondsGiven_[a] = 1;
            if (b >= 0) bondsGiven_[b] = 1;
            if (a < 0 || b < 0) {
                if (missing++ == 0) firstMissingLine = bond.line;
                continue;
            }
            Bond(uint32_t(a), uint32_t(b));
        }
        if (missing)
            KaSystem::Warning("%s: %zu CONECT bonds name atom serials that model %d does not have (first at line "
                              "%zu); they were skipped",
                              fileName_.c_str(), missing, modelNumber_, firstMissingLine);
    }

    const gemmi::Structure& st_;
    gemmi::Model& model_;
    const int modelNumber_;
    const StructureRecords& records_;
    const std::string& fileName_;
    std::unique_ptr<KaGraphMol> mol_;
    std::vector<FlatResidue> residues_;
    std::unordered_map<ResidueKey, uint32_t, ResidueKeyHash> firstResidue_;
    std::vector<uint8_t> bondsGiven_;        // by atom index; set for atoms named by CONECT
};

}  // namespace

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

void BuildMolecules(gemmi::Structure& st, const StructureRecords& records, const std::string& fileName,
                    ReadScope scope, MolList& molecules) {
    for (size_t i = 0; i < st.models.size(); ++i) {
        if (st.models[i].chains.empty()) continue;
        std::vector<uint8_t> bondsGiven;
        {
            MoleculeBuilder builder(st, i, records, fileName);
            molecules.push_back(builder.Build());
            bondsGiven.swap(builder.BondsGiven());
        }
        std::vector<gemmi::Chain>().swap(st.models[i].chains);
        DeferBondPerception(*molecules.back(), std::move(bondsGiven));
        if (scope == ReadScope::First) break;
    }
}

}  // namespace Kamol::io_detail
