// Evaluation of the combinators and constants, and the batch form shared by
// every node that has no faster one.
//
// Batch evaluation keeps per-atom short-circuiting exactly: an "and" hands
// each child only the atoms all earlier children accepted, an "or" only the
// atoms all earlier children rejected, so every predicate runs on exactly the
// atoms it would run on when the tree is asked atom by atom.
#include <algorithm>

#include "selection/evaluate_internal.h"

namespace KaSel {

namespace detail {

void AppendDifference(AtomSpan all, AtomSpan removed, std::vector<uint32_t>& out) {
    if (removed.empty()) {
        out.insert(out.end(), all.begin(), all.end());
        return;
    }
    // Few removals: copy the runs between them. Many: one merge-like pass.
    if (removed.size() * 16 < all.size()) {
        auto from = all.begin();
        for (uint32_t index : removed) {
            auto at = std::lower_bound(from, all.end(), index);
            out.insert(out.end(), from, at);
            from = at == all.end() ? at : at + 1;
        }
        out.insert(out.end(), from, all.end());
        return;
    }
    out.reserve(out.size() + all.size() - removed.size());
    auto next = removed.begin();
    for (uint32_t index : all) {
        if (next != removed.end() && *next == index) {
            ++next;
            continue;
        }
        out.push_back(index);
    }
}

void AppendMasked(const SelectionContext& context, AtomSpan atoms, const AtomMask& mask, bool wanted,
                  std::vector<uint32_t>& accepted, AtomSpan excluded) {
    auto skip = excluded.begin();
    auto isExcluded = [&](uint32_t index) {
        while (skip != excluded.end() && *skip < index) ++skip;
        return skip != excluded.end() && *skip == index;
    };
    if (wanted && CoversAllAtoms(context, atoms)) {
        const Kamol::KaMolBase& molecule = context.GetMolecule();
        const std::vector<const Kamol::KaAtomBase*>& table = molecule.Columns().atoms;
        const bool noneDeleted = molecule.NumAtoms() == molecule.IndexLimit();
        mask.ForEachSet([&](uint32_t index) {
            if ((noneDeleted || (index < table.size() && table[index])) && !isExcluded(index)) accepted.push_back(index);
        });
        return;
    }
    for (uint32_t index : atoms)
        if (mask.Test(index) == wanted && !isExcluded(index)) accepted.push_back(index);
}

}  // namespace detail

using detail::AtomSpan;

void Predicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    const std::vector<const Kamol::KaAtomBase*>& table = context.GetMolecule().Columns().atoms;
    for (uint32_t index : atoms)
        if (Evaluate(context, *table[index])) accepted.push_back(index);
}

// ---- and ------------------------------------------------------------------------

bool AndPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    for (const PredicatePtr& child : children)
        if (!child->Evaluate(context, atom)) return false;
    return true;
}

void AndPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (detail::SelectClassCombination(context, *this, atoms, accepted)) return;
    if (children.empty()) {
        accepted.insert(accepted.end(), atoms.begin(), atoms.end());
        return;
    }
    if (children.size() == 1) {
        children.front()->SelectFrom(context, atoms, accepted);
        return;
    }
    std::vector<uint32_t> current, next;
    AtomSpan candidates = atoms;
    for (size_t i = 0; i + 1 < children.size(); ++i) {
        next.clear();
        children[i]->SelectFrom(context, candidates, next);
        std::swap(current, next);
        candidates = current;
        if (candidates.empty()) return;
    }
    children.back()->SelectFrom(context, candidates, accepted);
}

// ---- or -------------------------------------------------------------------------

bool OrPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    for (const PredicatePtr& child : children)
        if (child->Evaluate(context, atom)) return true;
    return false;
}

void OrPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (children.empty() || atoms.empty()) return;
    if (detail::SelectClassCombination(context, *this, atoms, accepted)) return;
    if (detail::SelectElementSet(context, *this, atoms, accepted)) return;
    if (children.size() == 1) {
        children.front()->SelectFrom(context, atoms, accepted);
        return;
    }
    // Accepted atoms are marked by index; each child is handed the atoms no
    // earlier child accepted.
    AtomMask chosen(context.GetMolecule().IndexLimit());
    std::vector<uint32_t> hits, remaining, rest;
    AtomSpan undecided = atoms;
    for (size_t i = 0; i < children.size(); ++i) {
        hits.clear();
        children[i]->SelectFrom(context, undecided, hits);
        if (hits.empty()) continue;
        for (uint32_t index : hits) chosen.Set(index);
        if (i + 1 == children.size()) break;
        rest.clear();
        detail::AppendDifference(undecided, hits, rest);
        std::swap(remaining, rest);
        undecided = remaining;
        if (undecided.empty()) break;
    }
    detail::AppendMasked(context, atoms, chosen, true, accepted);
}

// ---- not ------------------------------------------------------------------------

bool NotPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return !inner->Evaluate(context, atom);
}

void NotPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    if (detail::SelectClassCombination(context, *this, atoms, accepted)) return;
    std::vector<uint32_t> hits;
    inner->SelectFrom(context, atoms, hits);
    detail::AppendDifference(atoms, hits, accepted);
}

// ---- constants ------------------------------------------------------------------

bool TruePredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase&) const { return true; }
void TruePredicate::SelectFrom(const SelectionContext&, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    accepted.insert(accepted.end(), atoms.begin(), atoms.end());
}

bool FalsePredicateImpl::Evaluate(const SelectionContext&, const Kamol::KaAtomBase&) const { return false; }
void FalsePredicateImpl::SelectFrom(const SelectionContext&, AtomSpan, std::vector<uint32_t>&) const {}

}  // namespace KaSel
