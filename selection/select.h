// Evaluating a selection against one molecule: the evaluation context every
// predicate receives, the atom predicate KaSelect, and whole-molecule queries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "selection/atom_mask.h"
#include "selection/selection.h"
#include "system/base.h"

namespace KaSel {

struct MoleculePointCloud;

// Per-binding evaluation state: the molecule, the lazily built KD-tree and
// the whole-molecule results of grouping and distance sub-selections, keyed
// by "byres_"/"bychain_"/"around_<distance>_" plus the inner sub-tree's
// StructureKey.
// Evaluation is logically const, so the caches are filled through const
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

    // Get creates an empty entry when the key is absent; Set moves the value in.
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
    // and distance nodes of that tree can remember their cached result by
    // node and answer single atoms without forming their key again.
    void Pin(PredicatePtr root);
    // The result remembered for a node of the pinned tree, or null.
    const AtomMask* RememberedResult(const Predicate& node) const;
    // Remembers `result` (an entry of one of the maps) for a node of the
    // pinned tree; does nothing for other nodes.
    void Remember(const Predicate& node, const AtomMask& result) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// An atom predicate of the toolkit binding one selection to one molecule.
// The molecule must outlive it.
class KaSelect : public KaSystem::KaUnaryPredicate<Kamol::KaAtomBase> {
public:
    KaSelect(Kamol::KaMolBase& molecule, const KaSelection& selection);
    // Throws SelectionError when the text does not parse.
    KaSelect(Kamol::KaMolBase& molecule, const std::string& text);
    // Same molecule and tree, fresh caches.
    KaSelect(const KaSelect& other);
    KaSelect& operator=(const KaSelect&) = delete;
    ~KaSelect() override;

    bool operator()(const Kamol::KaAtomBase& atom) const override;
    KaSelect* Clone() const override;
    const KaSelection& GetSelection() const;

    // Indices of the selected atoms among the molecule's live atoms, in
    // storage order, evaluated over all of them at once.
    std::vector<uint32_t> SelectAll() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Indices of the atoms `text` selects, in storage order.
std::vector<unsigned int> EvaluateSelection(Kamol::KaMolBase& molecule, const std::string& text);
// Number of atoms `text` selects.
unsigned int CountSelection(Kamol::KaMolBase& molecule, const std::string& text);

}  // namespace KaSel
