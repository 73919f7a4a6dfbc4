#include "molecule/structure_records.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "molecule/perceive_bonds.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

// Residue identity within a model: chain name, number, insertion code.
struct ResidueKey {
    std::string_view chain;
    int number;
    char icode;
    bool operator==(const ResidueKey& o) const { return chain == o.chain && number == o.number && icode == o.icode; }
};

struct ResidueKeyHash {
    size_t operator()(const ResidueKey& k) const {
        size_t h = std::hash<std::string_view>()(k.chain);
        h ^= std::hash<int>()(k.number) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h ^ (static_cast<unsigned char>(k.icode) * 0x100000001b3ULL);
    }
};

ResidueKey KeyOf(const ModelResidue& r) { return {r.chain, r.number, r.icode}; }

class ModelCompleter {
public:
    ModelCompleter(KaGraphMol& mol, const std::vector<ModelResidue>& residues, int modelNumber,
                   const StructureRecords& records, const std::string& fileName)
        : mol_(mol), residues_(residues), modelNumber_(modelNumber), records_(records), fileName_(fileName) {
        for (uint32_t i = 0; i < residues_.size(); ++i) firstResidue_.try_emplace(KeyOf(residues_[i]), i);
    }

    void Run() {
        MarkSecondaryStructure();
        AddLinks();
        AddConectBonds();
        DeferBondPerception(mol_, std::move(bondsGiven_));
    }

private:
    bool SameKey(size_t i, const ResidueKey& key) const { return KeyOf(residues_[i]) == key; }

    // Flags every residue from the range's first to its last in the same chain.
    void MarkSecondaryStructure() {
        std::vector<uint32_t> flags(residues_.size(), 0);
        for (const SecondaryRange& range : records_.ranges) {
            auto start = firstResidue_.find({range.chain, range.beginNumber, range.beginIcode});
            if (start == firstResidue_.end()) continue;
            const ResidueKey last{range.chain, range.endNumber, range.endIcode};
            for (size_t i = start->second; i < residues_.size() && residues_[i].chain == range.chain; ++i) {
                flags[i] |= range.flags;
                if (!SameKey(i, last)) continue;
                while (i + 1 < residues_.size() && SameKey(i + 1, last)) flags[++i] |= range.flags;
                break;
            }
        }
        for (size_t i = 0; i < residues_.size(); ++i)
            if (flags[i]) mol_.AddSecondaryStructure(residues_[i].firstAtom, residues_[i].atomCount, flags[i]);
    }

    // Atoms at a link partner's address: the residue (and any alternative
    // residue sharing its number), the atom name, and the altloc when given.
    std::vector<uint32_t> FindAtoms(const LinkPartner& partner) const {
        std::vector<uint32_t> found;
        const ResidueKey key{partner.chain, partner.number, partner.icode};
        auto first = firstResidue_.find(key);
        if (first == firstResidue_.end()) return found;
        const KaAtomColumns& columns = mol_.Columns();
        for (size_t i = first->second; i < residues_.size() && SameKey(i, key); ++i) {
            const ModelResidue& residue = residues_[i];
            if (!partner.residueName.empty() && residue.name != partner.residueName) continue;
            for (uint32_t atom = residue.firstAtom; atom < residue.firstAtom + residue.atomCount; ++atom) {
                // An unset alternate location is held as a blank.
                const char altloc = columns.alternateLocations[atom];
                if (mol_.GetAtom(atom)->Name() == partner.atomName &&
                    (partner.altloc == '\0' || (altloc == ' ' ? '\0' : altloc) == partner.altloc))
                    found.push_back(atom);
            }
        }
        return found;
    }

    bool Bond(uint32_t a, uint32_t b) {
        KaAtomBase* atomA = mol_.GetAtom(a);
        KaAtomBase* atomB = mol_.GetAtom(b);
        if (a == b || AreBonded(*atomA, *atomB)) return false;
        return mol_.NewBond(*atomA, *atomB) != nullptr;
    }

    void AddLinks() {
        size_t unresolved = 0;
        const std::vector<char>& altlocs = mol_.Columns().alternateLocations;
        for (const LinkRecord& link : records_.links) {
            std::vector<uint32_t> first = FindAtoms(link.first);
            std::vector<uint32_t> second = FindAtoms(link.second);
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
        const std::vector<int32_t>& serials = mol_.Columns().serialNumbers;
        const uint32_t atomCount = mol_.IndexLimit();
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

    KaGraphMol& mol_;
    const std::vector<ModelResidue>& residues_;
    const int modelNumber_;
    const StructureRecords& records_;
    const std::string& fileName_;
    std::unordered_map<ResidueKey, uint32_t, ResidueKeyHash> firstResidue_;
    std::vector<uint8_t> bondsGiven_;  // by atom index; set for atoms named by CONECT
};

}  // namespace

void SetResidueFields(KaResidue& record, const ModelResidue& residue, bool hetAtom) {
    record.residueName = residue.name;
    record.residueNumber = residue.number;
    record.insertCode = residue.icode;
    record.hetAtom = hetAtom;
}

void NoteJoinedResidue(const std::vector<ModelResidue>& residues, uint32_t current, uint32_t joined, uint32_t& first) {
    if (first == kNoResidue && !(KeyOf(residues[current]) == KeyOf(residues[joined]))) first = joined;
}

void TrackAtomResidues(const std::vector<ModelResidue>& residues, std::vector<uint32_t>& atomResidues) {
    if (!atomResidues.empty()) return;
    for (uint32_t r = 0; r < residues.size(); ++r) atomResidues.insert(atomResidues.end(), residues[r].atomCount, r);
}

void PutInResidueOrder(std::unique_ptr<KaGraphMol>& mol, std::vector<ModelResidue>& residues,
                       std::vector<uint32_t>& atomResidues) {
    if (atomResidues.empty()) return;
    const KaGraphMol& old = *mol;
    const uint32_t count = old.IndexLimit();
    std::vector<uint32_t> order(count);
    for (uint32_t i = 0; i < count; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return atomResidues[a] < atomResidues[b]; });
    auto ordered = std::make_unique<KaGraphMol>();
    ordered->Reserve(count);
    const std::vector<float>& coords = old.CoordTable();
    const KaAtomColumns& columns = old.Columns();
    for (uint32_t i : order) {
        const float xyz[3] = {coords[3 * i], coords[3 * i + 1], coords[3 * i + 2]};
        ordered->AppendAtom(columns.atomicNums[i], old.GetAtom(i)->Name(), xyz, old.ResidueRecordOf(i));
    }
    uint32_t first = 0;
    for (ModelResidue& residue : residues) {
        residue.firstAtom = first;
        first += residue.atomCount;
    }
    mol = std::move(ordered);
    std::vector<uint32_t>().swap(atomResidues);
}

void CompleteModel(KaGraphMol& mol, const std::vector<ModelResidue>& residues, uint32_t joinedResidue,
                   int modelNumber, const StructureRecords& records, const std::string& fileName) {
    ModelCompleter(mol, residues, modelNumber, records, fileName).Run();
    if (joinedResidue != kNoResidue) mol.NoteJoinedResidue(residues[joinedResidue].firstAtom);
}

}  // namespace Kamol::io_detail
