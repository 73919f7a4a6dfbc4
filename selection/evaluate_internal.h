// Helpers shared by the predicate evaluations (not part of the library's interface).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "molecule/molecule.h"
#include "selection/atom_mask.h"
#include "selection/predicate.h"
#include "selection/select.h"

namespace KaSel::detail {

using AtomSpan = std::span<const uint32_t>;

// The atoms of `atoms` for which `test(index)` holds, appended in order.
template <class Test>
inline void FilterAtoms(AtomSpan atoms, std::vector<uint32_t>& accepted, Test&& test) {
    for (uint32_t index : atoms)
        if (test(index)) accepted.push_back(index);
}

// A text field as read through its NUL-terminated form.
inline std::string_view CText(const std::string& text) {
    return std::string_view(text.c_str());
}

// `all` without the entries of `removed`; both ascending, `removed` a subset.
void AppendDifference(AtomSpan all, AtomSpan removed, std::vector<uint32_t>& out);

// The atoms of `atoms` whose mask entry equals `wanted`, except those listed
// in `excluded` (ascending, a subset of `atoms`). When `atoms` is every live
// atom and set entries are wanted, only the mask's set bits are visited.
void AppendMasked(const SelectionContext& context, AtomSpan atoms, const AtomMask& mask, bool wanted,
                  std::vector<uint32_t>& accepted, AtomSpan excluded = {});

// Whether `atoms` lists every live atom of the molecule (it is ascending and
// holds live atoms only, so equal length means equal lists).
inline bool CoversAllAtoms(const SelectionContext& context, AtomSpan atoms) {
    return atoms.size() == context.GetMolecule().Columns().live.size();
}

}  // namespace KaSel::detail
