// Hand-built molecules and short-hand predicate trees for the evaluation tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "selection/predicate.h"
#include "selection/select.h"

namespace evaltest {

using namespace KaSel;
using Indices = std::vector<uint32_t>;

inline Kamol::KaResidue Residue(std::string name, int32_t number = 1, std::string chain = "A", char insertCode = ' ') {
    Kamol::KaResidue residue;
    residue.residueName = std::move(name);
    residue.residueNumber = number;
    residue.chainId = std::move(chain);
    residue.insertCode = insertCode;
    return residue;
}

// Adds atoms with a name, an optional residue record and coordinates.
class MoleculeBuilder {
public:
    Kamol::KaAtomBase& Add(uint32_t atomicNum, const std::string& name, float x = 0, float y = 0, float z = 0) {
        Kamol::KaAtomBase& atom = molecule.NewAtom(atomicNum);
        atom.SetName(name);
        const float xyz[3] = {x, y, z};
        molecule.SetCoords(atom, xyz);
        return atom;
    }
    Kamol::KaAtomBase& Add(uint32_t atomicNum, const std::string& name, const Kamol::KaResidue& residue,
                           float x = 0, float y = 0, float z = 0) {
        Kamol::KaAtomBase& atom = Add(atomicNum, name, x, y, z);
        Kamol::SetAtomResidue(atom, residue);
        return atom;
    }
    void Bond(uint32_t a, uint32_t b) { molecule.NewBond(*molecule.GetAtom(a), *molecule.GetAtom(b)); }

    Kamol::KaGraphMol molecule;
};

template <class Node, class... Args>
PredicatePtr Make(Args&&... args) {
    return std::make_shared<const Node>(std::forward<Args>(args)...);
}
inline PredicatePtr And(PredicateList children) { return Make<AndPredicate>(std::move(children)); }
inline PredicatePtr Or(PredicateList children) { return Make<OrPredicate>(std::move(children)); }
inline PredicatePtr Not(PredicatePtr inner) { return Make<NotPredicate>(std::move(inner)); }

// Atoms accepted when the tree is asked one live atom at a time, in a fresh context.
inline Indices PerAtom(Kamol::KaMolBase& molecule, const Predicate& root) {
    SelectionContext context(molecule);
    Indices selected;
    std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>> atoms(molecule.GetAtoms());
    for (; atoms->IsValid(); atoms->Next())
        if (root.Evaluate(context, atoms->Current())) selected.push_back(atoms->Current().GetIndex());
    return selected;
}

// Atoms accepted when the tree is asked for all live atoms at once, in a fresh context.
inline Indices Batch(Kamol::KaMolBase& molecule, const Predicate& root) {
    SelectionContext context(molecule);
    Indices selected;
    root.SelectFrom(context, molecule.Columns().live, selected);
    return selected;
}

}  // namespace evaltest
