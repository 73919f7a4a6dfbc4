// The evaluation context every predicate receives: the bound molecule, the
// lazily built KD-tree and the memo of whole-molecule sub-selection results.
//
// Threads: a context fills its store while it evaluates, so it serves one
// thread at a time; evaluation also fills caches kept with the molecule, so a
// molecule is evaluated by one selection at a time.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "molecule/molecule.h"
#include "selection/atom_mask.h"
#include "selection/predicate.h"
#include "selection/result_memo.h"

namespace KaSel {

struct MoleculePointCloud;

// Per-binding evaluation state: the molecule, the lazily built KD-tree and
// the memo of whole-molecule results of grouping and distance sub-selections,
// keyed by kind and "byres_"/"bychain_"/"around_<distance>_" plus the inner
// sub-tree's StructureKey.
// Evaluation is logically const, so the memo is filled through const
// methods. One context serves one thread at a time.
class SelectionContext {
public:
    explicit SelectionContext(Kamol::KaMolBase& molecule);
    ~SelectionContext();
    SelectionContext(const SelectionContext&) = delete;
    SelectionContext& operator=(const SelectionContext&) = delete;

    Kamol::KaMolBase& GetMolecule() const;
    // The KD-tree over all atoms of the molecule, built on the first call.
    // The same tree is returned for the life of the context.
    const MoleculePointCloud& GetTree() const;

    // The whole-molecule result of the grouping or distance `node`: looked
    // up, or computed by `compute()` and kept, under (kind, makeKey()); see
    // ResultMemo::Get. This is how the predicates reach the memo.
    template <class MakeKey, class Compute>
    const AtomMask& Memoized(const Predicate& node, ResultKind kind, MakeKey&& makeKey, Compute&& compute) const {
        return Memo().Get(node, kind, std::forward<MakeKey>(makeKey), std::forward<Compute>(compute));
    }

    // Keyed access to the memo, one kind each: Has tells whether the key has
    // an entry, Get creates an empty entry when the key is absent, Set moves
    // the value in (creating or replacing the entry).
    bool HasResidueGroup(const std::string& key) const;
    AtomMask& GetResidueGroup(const std::string& key) const;
    void SetResidueGroup(const std::string& key, AtomMask members) const;
    bool HasChainGroup(const std::string& key) const;
    AtomMask& GetChainGroup(const std::string& key) const;
    void SetChainGroup(const std::string& key, AtomMask members) const;
    bool HasSpatialMask(const std::string& key) const;
    AtomMask& GetSpatialMask(const std::string& key) const;
    void SetSpatialMask(const std::string& key, AtomMask mask) const;

    // Keeps `root`'s tree alive for the life of the context, so that grouping
    // and distance nodes of that tree remember their result by node and
    // answer single atoms without forming their key again.
    void Pin(PredicatePtr root);

private:
    ResultMemo& Memo() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace KaSel
