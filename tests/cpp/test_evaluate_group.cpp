// Grouping predicates: byres by (chain byte, residue number, insert code),
// bychain by the first byte of the chain identifier.
#include <gtest/gtest.h>

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

struct GroupCase {
    const char* label;
    bool byChain;
    PredicatePtr inner;
    Indices expected;
};

void PrintTo(const GroupCase& c, std::ostream* out) { *out << c.label; }

class GroupTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(GroupTest, WidensToWholeGroups) {
    const GroupCase& c = GetParam();
    MoleculeBuilder b;
    BuildGroups(b);
    PredicatePtr root = c.byChain ? Make<ByChainPredicate>(c.inner) : Make<ByResPredicate>(c.inner);
    EXPECT_EQ(PerAtom(b.molecule, *root), c.expected);
    EXPECT_EQ(Batch(b.molecule, *root), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, GroupTest,
    ::testing::Values(
        GroupCase{"residue name takes no part", false, AtomIndex(0), {0, 1}},
        GroupCase{"other chain stays apart", false, AtomIndex(2), {2}},
        GroupCase{"other insert code stays apart", false, AtomIndex(3), {3}},
        GroupCase{"chain compared by first byte", false, AtomIndex(4), {4, 5}},
        GroupCase{"empty chain groups with blank-led chain and default record", false, AtomIndex(6), {6, 7, 8}},
        GroupCase{"default record joins the blank-chain residue 1", false, AtomIndex(8), {6, 7, 8}},
        GroupCase{"empty inner selection", false, Make<FalsePredicateImpl>(), {}},
        GroupCase{"several residues", false, Make<ResnPredicate>(std::string("ALA")), {0, 1, 2, 3, 4, 5}},
        GroupCase{"byres of whole residues is unchanged", false, Make<ByResPredicate>(AtomIndex(4)), {4, 5}},
        GroupCase{"bychain by first byte", true, AtomIndex(4), {0, 1, 3, 4, 5}},
        GroupCase{"bychain of blank chains", true, AtomIndex(8), {6, 7, 8}},
        GroupCase{"bychain of one chain", true, AtomIndex(9), {9}},
        GroupCase{"bychain empty inner", true, Make<ResnPredicate>(std::string("XXX")), {}},
        GroupCase{"bychain of whole chains is unchanged", true, Make<ByChainPredicate>(AtomIndex(2)), {2}}));

TEST(GroupSets, AreSharedByEqualInnerSelectionsAndKeptPerContext) {
    MoleculeBuilder b;
    BuildGroups(b);
    int first = 0, second = 0;
    class Counting : public Predicate {
    public:
        explicit Counting(int& count) : count_(count) {}
        bool Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const override {
            ++count_;
            return atom.GetIndex() == 2;
        }
        std::string ToString() const override { return "index 2"; }
        PredicateType GetType() const override { return PredicateType::INDEX; }

    private:
        int& count_;
    };
    PredicatePtr root = Or({Make<ByResPredicate>(std::make_shared<Counting>(first)),
                            Make<ByResPredicate>(std::make_shared<Counting>(second)),
                            Make<ByChainPredicate>(std::make_shared<Counting>(second))});
    for (auto evaluate : {PerAtom, Batch}) {
        first = second = 0;
        EXPECT_EQ(evaluate(b.molecule, *root), (Indices{2}));
        // Each key is computed once: the first byres asks all 10 atoms; the
        // second byres shares its set; bychain computes its own.
        EXPECT_EQ(first, 10);
        EXPECT_EQ(second, 10);
    }
}

}  // namespace
