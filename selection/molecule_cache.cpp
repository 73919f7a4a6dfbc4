#include "selection/molecule_cache.h"

#include "selection/spatial_index.h"

namespace KaSel {

MoleculeCache& CacheOf(const Kamol::KaMolBase& molecule) {
    if (auto* cache = dynamic_cast<MoleculeCache*>(molecule.GetDerivedData())) return *cache;
    auto created = std::make_unique<MoleculeCache>();
    MoleculeCache& cache = *created;
    molecule.SetDerivedData(std::move(created));
    return cache;
}

}  // namespace KaSel
