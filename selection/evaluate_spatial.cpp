// Distance predicates: around, expand and beyond share one mask per
// (distance text, inner structure key) in a context.
#include <string>

#include "selection/evaluate_internal.h"
#include "selection/distance_mask.h"
#include "selection/molecule_cache.h"
#include "selection/periodic_mask.h"
#include "selection/structure_key.h"

namespace KaSel {

using detail::AtomSpan;

namespace {

std::string SpatialKey(float distance, const Predicate& inner) {
    return "around_" + FormatNumber(distance) + "_" + StructureKey(inner);
}

// Masks from few sources on a molecule without a fitting atom grid are
// answered by one pass over the atoms; after this many such passes on
// unchanged coordinates since the last grid was built, building one (about
// as costly as a few passes) has paid for itself.
constexpr uint32_t kPassesBeforeAtomGrid = 4;

// Entry k is set when atom k lies strictly within `distance` of one of
// `innerAtoms`; the mask has NumAtoms() entries, so atoms whose index is not
// below that are never within.
//
// The work is done on a grid over all atoms, kept with the molecule for its
// coordinates and reused by every mask whose distance its cells fit. Only
// when the sources are few and no fitting grid is kept is one pass over the
// atoms against a grid of the sources made instead, so that a small inner
// selection does not pay for a whole-molecule build unless it is asked again
// and again. Every path decides each pair by the same float test, so the
// mask does not depend on the path. A molecule with a periodic box is
// answered by the images of the sources in that box.
AtomMask ComputeSpatialMask(const SelectionContext& context, float distance, const std::vector<uint32_t>& innerAtoms) {
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    AtomMask mask(molecule.NumAtoms());
    const float squaredRadius = distance * distance;
    if (innerAtoms.empty() || !(squaredRadius > 0.0f)) return mask;
    const SourcePoints sources = GatherSourcePoints(molecule, innerAtoms);
    if (sources.atoms.empty()) return mask;
    if (const std::optional<Kamol::UnitCell>& cell = molecule.GetCell()) {
        MarkWithinPeriodic(molecule, *cell, sources, distance, mask);
        return mask;
    }

    std::shared_ptr<const BucketGrid> atomGrid = KeptAtomGrid(molecule, distance);
    if (!atomGrid && sources.atoms.size() * 64 < molecule.Columns().live.size()) {
        MoleculeCache& cache = CacheOf(molecule);
        if (cache.scanCoordsVersion != molecule.CoordsVersion()) {
            cache.scanCoordsVersion = molecule.CoordsVersion();
            cache.scansAtVersion = 0;
        }
        if (++cache.scansAtVersion <= kPassesBeforeAtomGrid) {
            MarkWithinBySources(molecule, sources, distance, mask);
            return mask;
        }
        cache.scansAtVersion = 0;  // the passes start over for the next grid
    }
    if (!atomGrid) atomGrid = BuildAtomGrid(molecule, distance);
    MarkWithinByAtoms(molecule, *atomGrid, sources, distance, mask);
    return mask;
}

// The mask of a distance node, computed on first request. `innerOverAll`,
// when given, is the inner selection already evaluated over all live atoms.
const AtomMask& SpatialMaskFor(const SelectionContext& context, const Predicate& node, float distance,
                               const Predicate& inner, const std::vector<uint32_t>* innerOverAll = nullptr) {
    return context.Memoized(node, ResultKind::SpatialMask, [&] { return SpatialKey(distance, inner); }, [&] {
        if (innerOverAll) return ComputeSpatialMask(context, distance, *innerOverAll);
        std::vector<uint32_t> innerAtoms;
        inner.SelectFrom(context, context.GetMolecule().Columns().live, innerAtoms);
        return ComputeSpatialMask(context, distance, innerAtoms);
    });
}

}  // namespace

// ---- around: within the distance, the inner atoms themselves excluded ----------

bool AroundPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    if (inner->Evaluate(context, atom)) return false;
    return SpatialMaskFor(context, *this, distance, *inner).Test(atom.GetIndex());
}

void AroundPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    // The inner selection is asked first for every atom, as one at a time.
    std::vector<uint32_t> innerAtoms;
    inner->SelectFrom(context, atoms, innerAtoms);
    if (innerAtoms.size() == atoms.size()) return;
    const bool haveAll = detail::CoversAllAtoms(context, atoms);
    const AtomMask& mask = SpatialMaskFor(context, *this, distance, *inner, haveAll ? &innerAtoms : nullptr);
    detail::AppendMasked(context, atoms, mask, true, accepted, innerAtoms);
}

// ---- expand: within the distance, the inner atoms included ----------------------

bool ExpandPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return SpatialMaskFor(context, *this, distance, *inner).Test(atom.GetIndex());
}

void ExpandPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    detail::AppendMasked(context, atoms, SpatialMaskFor(context, *this, distance, *inner), true, accepted);
}

// ---- beyond: not within the distance of any inner atom -------------------------

bool BeyondPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return !SpatialMaskFor(context, *this, distance, *inner).Test(atom.GetIndex());
}

void BeyondPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    detail::AppendMasked(context, atoms, SpatialMaskFor(context, *this, distance, *inner), false, accepted);
}

}  // namespace KaSel
