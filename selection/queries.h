// Whole-molecule queries: a selection text evaluated over every live atom of
// a molecule, through a fresh KaSelect per call (nothing cached survives the
// call but the class marks kept on the molecule). Parse faults throw
// SelectionError.
#pragma once

#include <string>
#include <vector>

#include "molecule/molecule.h"

namespace KaSel {

// Indices of the atoms `text` selects, in storage order.
std::vector<unsigned int> EvaluateSelection(Kamol::KaMolBase& molecule, const std::string& text);
// Number of atoms `text` selects.
unsigned int CountSelection(Kamol::KaMolBase& molecule, const std::string& text);

}  // namespace KaSel
