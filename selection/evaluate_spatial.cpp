// Distance predicates: around, expand and beyond share one mask per
// (distance text, inner canonical text) in a context.
#include <string>

#include "selection/evaluate_internal.h"
#include "selection/molecule_cache.h"
#include "selection/spatial_index.h"

namespace KaSel {

using detail::AtomSpan;
using detail::FilterAtoms;

namespace {

std::string SpatialKey(float distance, const Predicate& inner) {
    return "around_" + FormatNumber(distance) + "_" + inner.ToString();
}

// A radius query on the KD-tree costs about as much as this many atoms
// tested by the grid pass, which always walks every atom.
constexpr size_t kTreeQueryCost = 256;
// Grid passes for small source sets on unchanged coordinates after which
// building the KD-tree has paid for itself.
constexpr uint32_t kScansBeforeTree = 8;

// Entry k is set when atom k lies strictly within `distance` of one of
// `innerAtoms`; the mask has NumAtoms() entries, so atoms whose index is not
// below that are never within.
//
// A few sources are answered by KD-tree queries when the molecule already has
// a current tree, and by one grid pass otherwise; the tree is built only once
// enough such passes on unchanged coordinates would have paid for it. Many
// sources always take the grid pass. Both decide each pair by the same float
// test, so the mask does not depend on the path.
AtomMask ComputeSpatialMask(const SelectionContext& context, float distance, const std::vector<uint32_t>& innerAtoms) {
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    AtomMask mask(molecule.NumAtoms());
    const float squaredRadius = distance * distance;
    if (innerAtoms.empty() || !(squaredRadius > 0.0f)) return mask;
    const SourcePoints sources = GatherSourcePoints(molecule, innerAtoms);
    if (sources.atoms.empty()) return mask;

    const bool fewSources = sources.atoms.size() * kTreeQueryCost < molecule.Columns().live.size();
    if (fewSources) {
        MoleculeCache& cache = CacheOf(molecule);
        const uint64_t version = molecule.CoordsVersion();
        bool useTree = cache.tree && cache.treeCoordsVersion == version;
        if (!useTree) {
            if (cache.scanCoordsVersion != version) {
                cache.scanCoordsVersion = version;
                cache.scansAtVersion = 0;
            }
            useTree = ++cache.scansAtVersion > kScansBeforeTree;
        }
        if (useTree) {
            MarkWithinByTree(*SharedPointCloud(molecule), sources, distance, mask);
            return mask;
        }
    }
    MarkWithinByGrid(molecule, sources, distance, mask);
    return mask;
}

// The mask of a distance node, computed on first request. `innerOverAll`,
// when given, is the inner selection already evaluated over all live atoms.
const AtomMask& SpatialMaskFor(const SelectionContext& context, const Predicate& node, float distance,
                               const Predicate& inner, const std::vector<uint32_t>* innerOverAll = nullptr) {
    if (const AtomMask* remembered = context.RememberedResult(node)) return *remembered;
    const std::string key = SpatialKey(distance, inner);
    if (!context.HasSpatialMask(key)) {
        if (innerOverAll) {
            context.SetSpatialMask(key, ComputeSpatialMask(context, distance, *innerOverAll));
        } else {
            std::vector<uint32_t> innerAtoms;
            inner.SelectFrom(context, context.GetMolecule().Columns().live, innerAtoms);
            context.SetSpatialMask(key, ComputeSpatialMask(context, distance, innerAtoms));
        }
    }
    const AtomMask& mask = context.GetSpatialMask(key);
    context.Remember(node, mask);
    return mask;
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
    std::vector<uint32_t> outside;
    detail::AppendDifference(atoms, innerAtoms, outside);
    const bool haveAll = detail::CoversAllAtoms(context, atoms);
    const AtomMask& mask = SpatialMaskFor(context, *this, distance, *inner, haveAll ? &innerAtoms : nullptr);
    FilterAtoms(outside, accepted, [&](uint32_t index) { return mask.Test(index); });
}

// ---- expand: within the distance, the inner atoms included ----------------------

bool ExpandPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return SpatialMaskFor(context, *this, distance, *inner).Test(atom.GetIndex());
}

void ExpandPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const AtomMask& mask = SpatialMaskFor(context, *this, distance, *inner);
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return mask.Test(index); });
}

// ---- beyond: not within the distance of any inner atom -------------------------

bool BeyondPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return !SpatialMaskFor(context, *this, distance, *inner).Test(atom.GetIndex());
}

void BeyondPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const AtomMask& mask = SpatialMaskFor(context, *this, distance, *inner);
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return !mask.Test(index); });
}

}  // namespace KaSel
