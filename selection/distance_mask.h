// Which atoms lie strictly within a distance of a set of source atoms, decided
// pair by pair with the float test of SquaredDistance.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "selection/atom_mask.h"

namespace Kamol {
class KaMolBase;
}

namespace KaSel {

// The positions of the atoms a distance is measured from; atoms with a
// non-finite coordinate are left out, as they are within no distance.
struct SourcePoints {
    std::vector<float> xyz;
    std::vector<uint32_t> atoms;
};
SourcePoints GatherSourcePoints(const Kamol::KaMolBase& molecule, const std::vector<uint32_t>& atoms);

// Points bucketed by the cells of a regular grid over their bounding box.
// Cells are at least as wide as asked, so that any two points closer than
// that lie in the same or in neighbouring cells.
class BucketGrid;

// A grid over all live atoms of the molecule, kept with the molecule for its
// current coordinates, whose cells fit `radius`; null when there is none.
std::shared_ptr<const BucketGrid> KeptAtomGrid(const Kamol::KaMolBase& molecule, float radius);
// Builds such a grid and keeps it with the molecule in place of the last one.
std::shared_ptr<const BucketGrid> BuildAtomGrid(const Kamol::KaMolBase& molecule, float radius);

// Both set the mask entry of every live atom whose squared distance from some
// source point is strictly below radius * radius; entries beyond the mask's
// size are skipped. They differ only in cost:
// by sources, a grid over the sources and one pass over all atoms, each
// asking its neighbourhood (no whole-molecule structure is built);
void MarkWithinBySources(const Kamol::KaMolBase& molecule, const SourcePoints& sources, float radius, AtomMask& mask);
// by atoms, a grid over all atoms: the neighbourhood of each source when the
// sources are the fewer, else that of each other atom until a source is met.
void MarkWithinByAtoms(const Kamol::KaMolBase& molecule, const BucketGrid& atomGrid, const SourcePoints& sources,
                       float radius, AtomMask& mask);

}  // namespace KaSel
