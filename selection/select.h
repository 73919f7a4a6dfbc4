// Binding a selection to one molecule: the atom predicate KaSelect (the
// whole-molecule queries built on it come with this header).
//
// Threads: a parsed selection (its predicate tree) is immutable and may be
// shared by any number of threads; a KaSelect, and every evaluation of a
// molecule, fills caches, so a molecule is evaluated by one selection (one
// thread) at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "selection/queries.h"
#include "selection/selection.h"
#include "selection/selection_context.h"
#include "system/base.h"

namespace KaSel {

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

}  // namespace KaSel
