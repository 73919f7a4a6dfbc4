#include "selection/distance_mask.h"

#include <algorithm>

#include "molecule/molecule.h"
#include "selection/bucket_grid.h"
#include "selection/molecule_cache.h"
#include "selection/spatial_index.h"

namespace KaSel {

SourcePoints GatherSourcePoints(const Kamol::KaMolBase& molecule, const std::vector<uint32_t>& atoms) {
    SourcePoints sources;
    sources.xyz.reserve(atoms.size() * 3);
    sources.atoms.reserve(atoms.size());
    const std::vector<float>& coords = molecule.CoordTable();
    for (uint32_t index : atoms) {
        float xyz[3];
        Kamol::ReadCoords(coords, index, xyz);
        if (!IsFinitePoint(xyz)) continue;
        sources.xyz.insert(sources.xyz.end(), xyz, xyz + 3);
        sources.atoms.push_back(index);
    }
    return sources;
}

std::shared_ptr<const BucketGrid> KeptAtomGrid(const Kamol::KaMolBase& molecule, float radius) {
    const MoleculeCache& cache = CacheOf(molecule);
    const BucketGrid* grid = cache.atomGrid.get();
    if (!grid || cache.atomGridCoordsVersion != molecule.CoordsVersion()) return nullptr;
    const double wanted = CellFor(radius);
    // Too narrow cells would miss pairs; much wider ones cost time, unless
    // the budget made them that wide anyway.
    if (!(grid->Cell() >= wanted) || (grid->Cell() > 2.0 * wanted && !grid->Widened())) return nullptr;
    return cache.atomGrid;
}

std::shared_ptr<const BucketGrid> BuildAtomGrid(const Kamol::KaMolBase& molecule, float radius) {
    SourcePoints atoms = GatherSourcePoints(molecule, molecule.Columns().live);
    auto grid = std::make_shared<const BucketGrid>(atoms.xyz.data(), atoms.atoms.data(), atoms.atoms.size(),
                                                   CellFor(radius), std::max<size_t>(4096, 2 * atoms.atoms.size()));
    MoleculeCache& cache = CacheOf(molecule);
    cache.atomGrid = grid;
    cache.atomGridCoordsVersion = molecule.CoordsVersion();
    return grid;
}

void MarkWithinBySources(const Kamol::KaMolBase& molecule, const SourcePoints& sources, float radius, AtomMask& mask) {
    const float squaredRadius = radius * radius;
    if (sources.atoms.empty() || !(squaredRadius > 0.0f)) return;
    const std::vector<uint32_t>& live = molecule.Columns().live;
    BucketGrid grid(sources.xyz.data(), sources.atoms.data(), sources.atoms.size(), CellFor(radius),
                    std::max<size_t>(4096, 4 * sources.atoms.size() + live.size()));
    grid.MarkNearCells();
    // A source is at distance 0 from itself, below any positive squared
    // radius (its coordinates are finite).
    for (uint32_t index : sources.atoms) mask.Set(index);
    // A non-finite position is in no cell: the grid turns it away.
    MarkAtomsNearGrid(molecule, grid, radius, mask, [](float*) { return true; });
}

void MarkWithinByAtoms(const Kamol::KaMolBase& molecule, const BucketGrid& atomGrid, const SourcePoints& sources,
                       float radius, AtomMask& mask) {
    const float squaredRadius = radius * radius;
    if (sources.atoms.empty() || !(squaredRadius > 0.0f)) return;
    const std::vector<uint32_t>& live = molecule.Columns().live;
    if (sources.atoms.size() * 2 <= live.size()) {
        // Each source marks the atoms around it.
        auto markAround = [&](const float* p) {
            atomGrid.VisitNeighbourhood(p, radius, [&](const float* q, uint32_t atom) {
                if (!mask.Test(atom) && SquaredDistance(p, q) < squaredRadius) mask.Set(atom);
                return false;
            });
        };
        // A few sources are taken as they come: walking the whole grid to
        // find them would cost more than their queries.
        if (sources.atoms.size() * 64 < live.size()) {
            for (size_t i = 0; i < sources.atoms.size(); ++i) markAround(&sources.xyz[3 * i]);
            return;
        }
        // Many are taken in the grid's order (they are among its points), so
        // that one source's cells are still in cache for the next.
        AtomMask isSource(molecule.IndexLimit());
        for (uint32_t index : sources.atoms) isSource.Set(index);
        atomGrid.ForEachPoint([&](const float* p, uint32_t source) {
            if (isSource.Test(source)) markAround(p);
        });
        return;
    }
    // Most atoms are sources, each within the radius of itself; the others
    // look for a source around them. Atoms with a non-finite coordinate are
    // not in the grid and within nothing.
    AtomMask isSource(molecule.IndexLimit());
    for (uint32_t index : sources.atoms) {
        isSource.Set(index);
        mask.Set(index);
    }
    // In the grid's order, as above.
    atomGrid.ForEachPoint([&](const float* p, uint32_t index) {
        if (isSource.Test(index)) return;
        if (atomGrid.VisitNeighbourhood(p, radius, [&](const float* q, uint32_t atom) {
                return isSource.Test(atom) && SquaredDistance(p, q) < squaredRadius;
            }))
            mask.Set(index);
    });
}

}  // namespace KaSel
