// What the selection engine keeps with a molecule between evaluations: data
// derived from the molecule that stays valid until the molecule changes.
#pragma once

#include <cstdint>
#include <memory>

#include "molecule/molecule.h"

namespace KaSel {

struct MoleculePointCloud;

struct MoleculeCache : Kamol::KaDerivedData {
    // The KD-tree over the atoms, valid while the coordinates version is
    // `treeCoordsVersion` (that version also moves when atoms come or go).
    std::shared_ptr<const MoleculePointCloud> tree;
    uint64_t treeCoordsVersion = 0;
    // Distance masks answered by scanning all atoms since the coordinates
    // last changed; once there were enough, building the tree pays off.
    uint32_t scansAtVersion = 0;
    uint64_t scanCoordsVersion = 0;
};

// The molecule's cache, created empty on first use.
MoleculeCache& CacheOf(const Kamol::KaMolBase& molecule);

}  // namespace KaSel
