// Distance-based bond perception from covalent radii.
#pragma once

#include <cstdint>
#include <vector>

#include "molecule/molecule.h"

namespace Kamol {

// Slack added to the sum of two covalent radii (Angstrom).
constexpr float kBondTolerance = 0.45f;
// Atoms closer than this are taken as overlapping copies, never as bonded.
constexpr float kMinBondDistance = 0.4f;

// Adds single bonds between live atoms closer than the sum of their covalent
// radii plus kBondTolerance. Pairs are never made:
//  - between atoms whose alternate locations differ and are both non-blank;
//  - when one atom is a metal (coordination comes from the file's records);
//  - when both atoms are marked in `bondsGiven` (indexed by atom index; the
//    file gave their bonds, so they are trusted as they stand);
//  - when the atoms are already bonded.
// A hydrogen gets at most one bond: to its nearest partner, and none when it
// already has one. Works on a cell grid sorted by cell, O(n log n).
// Returns the number of bonds added.
uint32_t PerceiveBonds(KaMolBase& mol, const std::vector<uint8_t>& bondsGiven = {});

// PerceiveBonds made on the molecule's first use of bonds (KaMolBase::DeferBonds),
// with the inputs it would have now: what the readers do. The warning about
// crowded cells is given now.
void DeferBondPerception(KaMolBase& mol, std::vector<uint8_t> bondsGiven);

// Whether a bond joins the two atoms.
bool AreBonded(const KaAtomBase& a, const KaAtomBase& b);

}  // namespace Kamol
