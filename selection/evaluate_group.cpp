// Grouping predicates: byres and bychain widen their inner selection to whole
// residues and chains.
//
// A residue is (first byte of the chain id or a blank, residue number, insert
// code); a chain is that first byte. Names, models and fragments take no part.
#include <string>
#include <unordered_set>

#include "molecule/residue.h"
#include "selection/evaluate_internal.h"

namespace KaSel {

using detail::AtomSpan;
using detail::FilterAtoms;

namespace {

char ChainKey(const Kamol::KaResidue& residue) {
    char first = residue.chainId.c_str()[0];
    return first == '\0' ? ' ' : first;
}

struct ResidueKey {
    char chain;
    int32_t number;
    char insertCode;
    bool operator==(const ResidueKey&) const = default;
};

struct ResidueKeyHash {
    size_t operator()(const ResidueKey& key) const {
        return std::hash<char>()(key.chain) ^ (std::hash<int32_t>()(key.number) << 1) ^
               (std::hash<char>()(key.insertCode) << 2);
    }
};

ResidueKey KeyOfResidue(const Kamol::KaResidue& residue) {
    return {ChainKey(residue), residue.residueNumber, residue.insertCode};
}

// The members of every group that holds an atom of the inner selection:
// `keyOf` maps a residue record to its group key.
template <class Key, class Hash, class KeyOf>
AtomMask GroupMembers(const SelectionContext& context, const Predicate& inner, KeyOf keyOf) {
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    std::vector<uint32_t> innerAtoms;
    inner.SelectFrom(context, columns.live, innerAtoms);
    std::unordered_set<Key, Hash> groups;
    for (uint32_t index : innerAtoms) groups.insert(keyOf(*columns.residues[index]));
    AtomMask members(molecule.IndexLimit());
    if (groups.empty()) return members;
    for (uint32_t index : columns.live)
        if (groups.contains(keyOf(*columns.residues[index]))) members.Set(index);
    return members;
}

const AtomMask& ResidueMembers(const SelectionContext& context, const ByResPredicate& node) {
    if (const AtomMask* remembered = context.RememberedResult(node)) return *remembered;
    const std::string key = "byres_" + node.inner->ToString();
    if (!context.HasResidueGroup(key))
        context.SetResidueGroup(key, GroupMembers<ResidueKey, ResidueKeyHash>(context, *node.inner, KeyOfResidue));
    const AtomMask& members = context.GetResidueGroup(key);
    context.Remember(node, members);
    return members;
}

const AtomMask& ChainMembers(const SelectionContext& context, const ByChainPredicate& node) {
    if (const AtomMask* remembered = context.RememberedResult(node)) return *remembered;
    const std::string key = "bychain_" + node.inner->ToString();
    if (!context.HasChainGroup(key))
        context.SetChainGroup(key, GroupMembers<char, std::hash<char>>(context, *node.inner, ChainKey));
    const AtomMask& members = context.GetChainGroup(key);
    context.Remember(node, members);
    return members;
}

}  // namespace

bool ByResPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return ResidueMembers(context, *this).Test(atom.GetIndex());
}

void ByResPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const AtomMask& members = ResidueMembers(context, *this);
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return members.Test(index); });
}

bool ByChainPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    return ChainMembers(context, *this).Test(atom.GetIndex());
}

void ByChainPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const AtomMask& members = ChainMembers(context, *this);
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return members.Test(index); });
}

}  // namespace KaSel
