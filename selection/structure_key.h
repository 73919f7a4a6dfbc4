// The key under which evaluation caches the whole-molecule result of a
// sub-tree (distance masks, residue and chain groups).
#pragma once

#include <string>

#include "selection/predicate.h"

namespace KaSel {

// The structure of the sub-tree with its exact values: two sub-trees get one
// key exactly when they select alike by construction — the same node kinds in
// the same nesting, "and"/"or" operands in any order, equal values. Unlike
// the canonical text it keeps the nesting under "not", "byres" and "bychain"
// and numbers beyond 6 significant digits, so sub-selections that merely
// print alike never share a result. Distances alone key by their printed
// text, so distances that print alike still share one mask.
std::string StructureKey(const Predicate& node);

}  // namespace KaSel
