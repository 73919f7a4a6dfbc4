// Helpers shared by the predicate evaluations (not part of the library's interface).
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "selection/atom_mask.h"
#include "selection/predicate.h"
#include "selection/select.h"

namespace KaSel::detail {

using AtomSpan = std::span<const uint32_t>;

// The atoms of `atoms` (ascending, without repeats, as every atom list handed
// to a predicate is) for which `test(index)` holds, appended in order.
// Without a branch per atom: every index is written to a small buffer and the
// write position advances by the test's outcome. When the list ends at
// size - 1 it is 0, 1, ..., size - 1, and the indices need not be loaded.
template <class Test>
inline void FilterAtoms(AtomSpan atoms, std::vector<uint32_t>& accepted, Test&& test) {
    constexpr size_t kBlock = 1024;
    uint32_t block[kBlock];
    const size_t n = atoms.size();
    if (n == 0) return;
    accepted.reserve(accepted.size() + n);
    auto run = [&](auto indexAt) {
        for (size_t start = 0; start < n; start += kBlock) {
            const size_t end = std::min(n, start + kBlock);
            size_t kept = 0;
            for (size_t i = start; i < end; ++i) {
                const uint32_t index = indexAt(i);
                block[kept] = index;
                kept += test(index) ? 1 : 0;
            }
            accepted.insert(accepted.end(), block, block + kept);
        }
    };
    if (atoms.back() == n - 1)
        run([](size_t i) { return uint32_t(i); });
    else
        run([&](size_t i) { return atoms[i]; });
}

// `f` of each distinct text of a name column, by text id.
template <class T, class F>
std::vector<T> PerText(const std::vector<std::string>& texts, F&& f) {
    std::vector<T> table(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) table[i] = f(texts[i]);
    return table;
}

using Kamol::CText;

// `all` without the entries of `removed`; both ascending, `removed` a subset.
void AppendDifference(AtomSpan all, AtomSpan removed, std::vector<uint32_t>& out);

// The atoms of `atoms` whose mask entry equals `wanted`, except those listed
// in `excluded` (ascending, a subset of `atoms`). When `atoms` is every live
// atom and set entries are wanted, only the mask's set bits are visited.
void AppendMasked(const SelectionContext& context, AtomSpan atoms, const AtomMask& mask, bool wanted,
                  std::vector<uint32_t>& accepted, AtomSpan excluded = {});

// Answers `node` over `atoms` in one pass over the molecule's class bits when
// it is a combination of mark-and-name class tests under and/or/not; false
// (nothing appended) when it is not, or when those tests must go atom by atom.
bool SelectClassCombination(const SelectionContext& context, const Predicate& node, AtomSpan atoms,
                            std::vector<uint32_t>& accepted);

// Answers `node` over `atoms` in one pass over the atomic numbers when it is
// an "or" whose children are all element tests ("elem N or elem O"); false
// (nothing appended) otherwise. Element tests are pure, so testing the set at
// once gives what testing the children in turn gives.
bool SelectElementSet(const SelectionContext& context, const Predicate& node, AtomSpan atoms,
                      std::vector<uint32_t>& accepted);

// Whether `atoms` lists every live atom of the molecule (it is ascending and
// holds live atoms only, so equal length means equal lists).
inline bool CoversAllAtoms(const SelectionContext& context, AtomSpan atoms) {
    return atoms.size() == context.GetMolecule().Columns().live.size();
}

}  // namespace KaSel::detail
