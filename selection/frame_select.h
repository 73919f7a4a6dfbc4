// Answering one selection on one molecule again and again as its coordinates
// change (the frames of a trajectory): the parts of the selection that do not
// depend on coordinates are evaluated once and kept; distance tests, and the
// grouping and logic above them, are evaluated again for every frame.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "molecule/molecule.h"
#include "selection/selection.h"

namespace KaSel {

class FrameSelect {
public:
    // The molecule must outlive the object; the tree is shared, not copied.
    FrameSelect(Kamol::KaMolBase& molecule, const KaSelection& selection);
    FrameSelect(Kamol::KaMolBase& molecule, PredicatePtr root);
    ~FrameSelect();
    FrameSelect(const FrameSelect&) = delete;
    FrameSelect& operator=(const FrameSelect&) = delete;

    // Indices of the selected live atoms for the molecule's current
    // coordinates, in storage order: the same atoms EvaluateSelection gives.
    // Kept results are dropped when the molecule's atoms, names, residues or
    // atom data changed since the last call.
    std::vector<uint32_t> Select();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Whether the subtree holds a distance test (around, expand, beyond), so that
// its result can change when only coordinates change.
bool DependsOnCoordinates(const Predicate& node);

}  // namespace KaSel
