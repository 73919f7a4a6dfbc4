// Distance masks in a periodic box: an atom is within the distance of a
// source when some periodic image of the source is, which is the minimum-image
// rule for any distance, including one beyond half the box.
#pragma once

#include "molecule/unit_cell.h"
#include "selection/atom_mask.h"
#include "selection/distance_mask.h"

namespace Kamol {
class KaMolBase;
}

namespace KaSel {

// Sets the mask entry of every live atom whose squared distance from some
// image of a source point is strictly below radius * radius, in float, as
// MarkWithinBySources does without a box. Atoms and sources are first
// brought into the box (an atom already inside keeps its coordinates bit for
// bit), so coordinates anywhere, unwrapped trajectories included, are
// answered alike. Entries beyond the mask's size are skipped.
//
// The work is done one of three ways, all giving the same mask; `Auto`
// picks by the number of source images against the number of atoms, and
// the others force one (for tests).
enum class PeriodicPath { Auto, ImageGridNearCells, WrappedAtomGrid, ImageGrid };
void MarkWithinPeriodic(const Kamol::KaMolBase& molecule, const Kamol::UnitCell& cell, const SourcePoints& sources,
                        float radius, AtomMask& mask, PeriodicPath path = PeriodicPath::Auto);

}  // namespace KaSel
