// Grouping predicates: byres by (chain byte, residue number, insert code),
// bychain by the first byte of the chain identifier.
#include <gtest/gtest.h>

#include <tuple>

#include "evaluate_fixture.h"
#include "selection/predicate.h"

namespace {

using namespace evaltest;

//  0 ALA 10 A        1 GLY 10 A (same residue key, other name)
//  2 ALA 10 B        3 ALA 10 A insert 'A'
//  4 ALA 11 "AB"     5 ALA 11 "AC" (same chain byte, so the same residue)
//  6 HOH 1 ""        7 HOH 1 " X"     8 no residue record (blank chain, 1, blank)
//  9 LIG 5 C
void BuildGroups(MoleculeBuilder& b) {
    b.Add(7, "N", Residue("ALA", 10, "A"));
    b.Add(6, "CA", Residue("GLY", 10, "A"));
    b.Add(7, "N", Residue("ALA", 10, "B"));
    b.Add(7, "N", Residue("ALA", 10, "A", 'A'));
    b.Add(7, "N", Residue("ALA", 11, "AB"));
    b.Add(6, "CA", Residue("ALA", 11, "AC"));
    b.Add(8, "O", Residue("HOH", 1, ""));
    b.Add(8, "O", Residue("HOH", 1, " X"));
    b.Add(6, "C");
    b.Add(6, "C1", Residue("LIG", 5, "C"));
}

PredicatePtr AtomIndex(uint32_t index) { return Make<IndexPredicate>(index, Equal); }

TEST(GroupPredicates, WidenToWholeGroups) {
    const std::tuple<const char*, bool, PredicatePtr, Indices> cases[] = {
        {"residue name takes no part", false, AtomIndex(0), {0, 1}},
        {"other chain stays apart", false, AtomIndex(2), {2}},
        {"other insert code stays apart", false, AtomIndex(3), {3}},
        {"chain compared by first byte", false, AtomIndex(4), {4, 5}},
        {"empty chain groups with blank-led chain and default record", false, AtomIndex(6), {6, 7, 8}},
        {"empty inner selection", false, Make<FalsePredicateImpl>(), {}},
        {"byres of whole residues is unchanged", false, Make<ByResPredicate>(AtomIndex(4)), {4, 5}},
        {"bychain by first byte", true, AtomIndex(4), {0, 1, 3, 4, 5}},
        {"bychain of blank chains", true, AtomIndex(8), {6, 7, 8}},
        {"bychain empty inner", true, Make<ResnPredicate>(std::string("XXX")), {}},
        {"bychain of whole chains is unchanged", true, Make<ByChainPredicate>(AtomIndex(2)), {2}}};
    MoleculeBuilder b;
    BuildGroups(b);
    for (const auto& [label, byChain, inner, expected] : cases) {
        PredicatePtr root = byChain ? Make<ByChainPredicate>(inner) : Make<ByResPredicate>(inner);
        EXPECT_EQ(PerAtom(b.molecule, *root), expected) << label;
        EXPECT_EQ(Batch(b.molecule, *root), expected) << label;
    }
}

}  // namespace
