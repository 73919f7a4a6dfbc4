// Residue classes: the component mark every atom of a molecule receives from
// its residue name, stored once per molecule in the toolkit's generic data.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "system/base.h"

namespace Kamol {
class KaAtomBase;
class KaMolBase;
}  // namespace Kamol

namespace KaSel {

// Component bits; an atom's mark holds exactly one of them.
enum ComponentBits : int {
    ComponentProtein = 1,
    ComponentLigand = 2,
    ComponentSolvent = 4,
    ComponentCofactor = 8,
    ComponentNucleic = 16,
    ComponentWater = 32,
};

// Generic-data names of the marks: an int per atom, and an int 1 on the
// molecule once its atoms are marked.
inline constexpr const char* kComponentMarkName = "KaSel_Component";
inline constexpr const char* kTaggedMarkName = "KaSel_Tagged";

// The component of a residue name (white space stripped at both ends, then an
// exact, case-sensitive lookup in the water, protein, nucleic-acid, cofactor
// and solvent tables in that order); ligand when in none.
int ClassifyResidueName(std::string_view name);

// The tag of the per-atom mark.
KaSystem::KaTag ComponentTag();

// Marks every atom of the molecule with its component, unless the molecule
// already carries the "KaSel_Tagged" mark (marks are never recomputed).
void EnsureComponentMarks(Kamol::KaMolBase& molecule);

// Whether the atom carries a component mark sharing a bit with `mask`.
bool HasComponent(const Kamol::KaAtomBase& atom, int mask);

}  // namespace KaSel
