#include "selection/molecule_cache.h"

#include <unordered_map>

#include "molecule/residue.h"

namespace KaSel {

namespace {

void BuildResidueColumns(const Kamol::KaMolBase& molecule, ResidueColumns& c) {
    const std::vector<const Kamol::KaResidue*>& records = molecule.Columns().residues;
    const size_t n = records.size();
    c.residueNumber.resize(n);
    c.serialNumber.resize(n);
    c.fragmentNumber.resize(n);
    c.secondaryStructure.resize(n);
    c.bFactor.resize(n);
    c.chainKey.resize(n);
    c.alternateLocation.resize(n);
    c.residueId.resize(n);
    std::unordered_map<uint64_t, uint32_t> residueIds;
    // Atoms of one residue mostly sit together: reuse the previous atom's
    // residue id while its key repeats.
    uint64_t previousKey = ~uint64_t(0);
    uint32_t previousResidueId = 0;
    // The records live apart from each other, one per atom: ask for them ahead.
    constexpr size_t kAhead = 8;
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) {
            const char* ahead = reinterpret_cast<const char*>(records[i + kAhead]);
            __builtin_prefetch(ahead);
            __builtin_prefetch(ahead + 64);
            __builtin_prefetch(ahead + 128);
        }
        const Kamol::KaResidue& r = *records[i];
        c.residueNumber[i] = r.residueNumber;
        c.serialNumber[i] = r.serialNumber;
        c.fragmentNumber[i] = r.fragmentNumber;
        c.secondaryStructure[i] = r.secondaryStructure;
        c.bFactor[i] = r.bFactor;
        const char chain = r.chainId.c_str()[0];
        c.chainKey[i] = chain == '\0' ? ' ' : chain;
        c.alternateLocation[i] = r.alternateLocation;
        const uint64_t key = (uint64_t(uint8_t(c.chainKey[i])) << 40) | (uint64_t(uint8_t(r.insertCode)) << 32) |
                             uint32_t(r.residueNumber);
        if (key != previousKey) {
            auto [it, inserted] = residueIds.try_emplace(key, uint32_t(residueIds.size()));
            previousResidueId = it->second;
            previousKey = key;
        }
        c.residueId[i] = previousResidueId;
    }
    c.residueCount = uint32_t(residueIds.size());
}

uint8_t NeighbourBit(uint32_t atomicNum) {
    if (atomicNum == 6) return kCarbonNeighbour;
    if (atomicNum == 7 || atomicNum == 8 || atomicNum == 16) return kPolarNeighbour;
    return 0;
}

void BuildNeighbours(const Kamol::KaMolBase& molecule, std::vector<uint8_t>& flags) {
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    flags.assign(columns.atoms.size(), 0);
    std::unique_ptr<KaSystem::KaIterBase<Kamol::KaBondBase>> bonds(molecule.GetBondIter());
    for (; bonds->IsValid(); bonds->Next()) {
        const uint32_t a = bonds->Current().GetBgn().GetIndex();
        const uint32_t b = bonds->Current().GetEnd().GetIndex();
        flags[a] |= NeighbourBit(columns.atomicNums[b]);
        flags[b] |= NeighbourBit(columns.atomicNums[a]);
    }
}

}  // namespace

MoleculeCache& CacheOf(const Kamol::KaMolBase& molecule) {
    if (auto* cache = dynamic_cast<MoleculeCache*>(molecule.GetDerivedData())) return *cache;
    auto created = std::make_unique<MoleculeCache>();
    MoleculeCache& cache = *created;
    molecule.SetDerivedData(std::move(created));
    return cache;
}

const ResidueColumns& ResidueColumnsOf(const Kamol::KaMolBase& molecule) {
    MoleculeCache& cache = CacheOf(molecule);
    if (cache.residuesVersion != molecule.StructureVersion()) {
        BuildResidueColumns(molecule, cache.residues);
        cache.residuesVersion = molecule.StructureVersion();
    }
    return cache.residues;
}

const std::vector<uint8_t>& NeighboursOf(const Kamol::KaMolBase& molecule) {
    MoleculeCache& cache = CacheOf(molecule);
    if (cache.neighboursVersion != molecule.StructureVersion()) {
        BuildNeighbours(molecule, cache.neighbours);
        cache.neighboursVersion = molecule.StructureVersion();
    }
    return cache.neighbours;
}

}  // namespace KaSel
