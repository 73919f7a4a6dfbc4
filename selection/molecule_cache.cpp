#include "selection/molecule_cache.h"

#include "selection/residue_key.h"

#include <string>
#include <unordered_map>


namespace KaSel {

namespace {

void BuildResidueColumns(const Kamol::KaMolBase& molecule, ResidueColumns& c) {
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    const std::vector<char> keyOfChain = ChainKeys(columns);
    const size_t n = columns.chainIdIds.size();
    c.chainKey.resize(n);
    c.residueId.resize(n);
    std::unordered_map<uint64_t, uint32_t> residueIds;
    // Atoms of one residue mostly sit together: reuse the previous atom's
    // residue id while its key repeats.
    uint64_t previousKey = ~uint64_t(0);
    uint32_t previousResidueId = 0;
    for (size_t i = 0; i < n; ++i) {
        const char chain = keyOfChain[columns.chainIdIds[i]];
        c.chainKey[i] = chain;
        const uint64_t key = ResidueKey(chain, columns.insertCodes[i], columns.residueNumbers[i]);
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
    const std::vector<uint32_t>& atomicNums = molecule.Columns().atomicNums;
    flags.assign(atomicNums.size(), 0);
    for (const auto& [a, b] : molecule.BondEnds()) {
        if (a == Kamol::KaMolBase::kNoAtom) continue;
        flags[a] |= NeighbourBit(atomicNums[b]);
        flags[b] |= NeighbourBit(atomicNums[a]);
    }
}

}  // namespace

std::vector<char> ChainKeys(const Kamol::KaAtomColumns& columns) {
    const std::vector<std::string>& chainIds = columns.chainIds.Texts();
    std::vector<char> keys(chainIds.size());
    for (size_t i = 0; i < chainIds.size(); ++i) keys[i] = Kamol::ChainKey(chainIds[i]);
    return keys;
}

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
