// Grouping predicates: byres and bychain widen their inner selection to whole
// residues and chains.
//
// A residue is (first byte of the chain id or a blank, residue number, insert
// code); a chain is that first byte. Names, models and fragments take no part.
#include <string>

#include "selection/evaluate_internal.h"
#include "selection/molecule_cache.h"
#include "selection/structure_key.h"

namespace KaSel {

using detail::AtomSpan;

namespace {

// The members of every group holding an atom of the inner selection, where
// `groupOf(index)` gives an atom's group number below `groupCount`.
template <class GroupOf>
AtomMask GroupMembers(const SelectionContext& context, const Predicate& inner, size_t groupCount, GroupOf groupOf) {
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    const std::vector<uint32_t>& live = molecule.Columns().live;
    std::vector<uint32_t> innerAtoms;
    inner.SelectFrom(context, live, innerAtoms);
    AtomMask members(molecule.IndexLimit());
    if (innerAtoms.empty()) return members;
    std::vector<char> chosen(groupCount, 0);
    for (uint32_t index : innerAtoms) chosen[groupOf(index)] = 1;
    for (uint32_t index : live)
        if (chosen[groupOf(index)]) members.Set(index);
    return members;
}

AtomMask ResidueGroupOf(const SelectionContext& context, const Predicate& inner) {
    const ResidueColumns& residues = ResidueColumnsOf(context.GetMolecule());
    return GroupMembers(context, inner, residues.residueCount,
                        [&](uint32_t index) { return residues.residueId[index]; });
}

AtomMask ChainGroupOf(const SelectionContext& context, const Predicate& inner) {
    const ResidueColumns& residues = ResidueColumnsOf(context.GetMolecule());
    return GroupMembers(context, inner, 256, [&](uint32_t index) { return uint8_t(residues.chainKey[index]); });
}

const AtomMask& ResidueMembers(const SelectionContext& context, const ByResPredicate& node) {
    return context.Memoized(
        node, ResultKind::ResidueGroup, [&] { return "byres_" + StructureKey(*node.inner); },
        [&] { return ResidueGroupOf(context, *node.inner); });
}

const AtomMask& ChainMembers(const SelectionContext& context, const ByChainPredicate& node) {
    return context.Memoized(
        node, ResultKind::ChainGroup, [&] { return "bychain_" + StructureKey(*node.inner); },
        [&] { return ChainGroupOf(context, *node.inner); });
}

}  // namespace

bool ByResPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return ResidueMembers(context, *this).Test(atom.GetIndex());
}

void ByResPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    detail::AppendMasked(context, atoms, ResidueMembers(context, *this), true, accepted);
}

bool ByChainPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return ChainMembers(context, *this).Test(atom.GetIndex());
}

void ByChainPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    detail::AppendMasked(context, atoms, ChainMembers(context, *this), true, accepted);
}

}  // namespace KaSel
