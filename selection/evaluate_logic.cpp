// Evaluation of the combinators and constants, and the batch form shared by
// every node that has no faster one.
//
// Batch evaluation keeps per-atom short-circuiting exactly: an "and" hands
// each child only the atoms all earlier children accepted, an "or" only the
// atoms all earlier children rejected, so every predicate runs on exactly the
// atoms it would run on when the tree is asked atom by atom.
#include <algorithm>
#include <iterator>

#include "selection/evaluate_internal.h"

namespace KaSel {

namespace detail {

void AppendDifference(AtomSpan all, AtomSpan removed, std::vector<uint32_t>& out) {
    auto next = removed.begin();
    for (uint32_t index : all) {
        if (next != removed.end() && *next == index) {
            ++next;
            continue;
        }
        out.push_back(index);
    }
}

AtomMask SelectAllAsMask(const SelectionContext& context, const Predicate& predicate) {
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    std::vector<uint32_t> selected;
    predicate.SelectFrom(context, columns.live, selected);
    AtomMask mask(molecule.IndexLimit());
    for (uint32_t index : selected) mask.Set(index);
    return mask;
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
    if (children.size() == 1) {
        children.front()->SelectFrom(context, atoms, accepted);
        return;
    }
    std::vector<uint32_t> chosen, hits, merged, remaining, rest;
    AtomSpan undecided = atoms;
    for (const PredicatePtr& child : children) {
        hits.clear();
        child->SelectFrom(context, undecided, hits);
        if (hits.empty()) continue;
        merged.clear();
        std::merge(chosen.begin(), chosen.end(), hits.begin(), hits.end(), std::back_inserter(merged));
        std::swap(chosen, merged);
        rest.clear();
        detail::AppendDifference(undecided, hits, rest);
        std::swap(remaining, rest);
        undecided = remaining;
        if (undecided.empty()) break;
    }
    accepted.insert(accepted.end(), chosen.begin(), chosen.end());
}

// ---- not ------------------------------------------------------------------------

bool NotPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return !inner->Evaluate(context, atom);
}

void NotPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    std::vector<uint32_t> hits;
    inner->SelectFrom(context, atoms, hits);
    detail::AppendDifference(atoms, hits, accepted);
}

// ---- constants ------------------------------------------------------------------

bool TruePredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase&) const { return true; }
void TruePredicate::SelectFrom(const SelectionContext&, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    accepted.insert(accepted.end(), atoms.begin(), atoms.end());
}

bool TruePredicateImpl::Evaluate(const SelectionContext&, const Kamol::KaAtomBase&) const { return true; }
void TruePredicateImpl::SelectFrom(const SelectionContext&, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    accepted.insert(accepted.end(), atoms.begin(), atoms.end());
}

bool FalsePredicateImpl::Evaluate(const SelectionContext&, const Kamol::KaAtomBase&) const { return false; }
void FalsePredicateImpl::SelectFrom(const SelectionContext&, AtomSpan, std::vector<uint32_t>&) const {}

}  // namespace KaSel
