// Sub-selections that print alike but select differently each keep their own
// cached result: evaluated together, each answers as it does alone, whatever
// the order. Sub-trees that are equal by structure still share one result.
#include <algorithm>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "molecule/io.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/structure_key.h"

namespace {

using evaltest::Indices;

Indices Union(const Indices& a, const Indices& b) {
    Indices both;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return both;
}

// The selection asked atom by atom through one KaSelect.
Indices EachAtom(Kamol::KaMolBase& mol, const std::string& text) {
    KaSel::KaSelect select(mol, text);
    Indices selected;
    for (uint32_t index : mol.Columns().live)
        if (select(*mol.GetAtom(index))) selected.push_back(index);
    return selected;
}

class PrintAlike : public ::testing::TestWithParam<std::tuple<const char*, const char*, const char*>> {};

TEST_P(PrintAlike, EachAnswersAsAloneInEitherOrder) {
    const auto [file, first, second] = GetParam();
    auto mol = Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/" + file);
    const Indices a = KaSel::EvaluateSelection(*mol, first);
    const Indices b = KaSel::EvaluateSelection(*mol, second);
    ASSERT_EQ(KaSel::KaSelection::Parse(first).ToCanonical(), KaSel::KaSelection::Parse(second).ToCanonical());
    const std::string left = std::string("(") + first + ") or (" + second + ")";
    const std::string right = std::string("(") + second + ") or (" + first + ")";
    for (const std::string& text : {left, right}) {
        EXPECT_EQ(KaSel::EvaluateSelection(*mol, text), Union(a, b)) << text;
        EXPECT_EQ(EachAtom(*mol, text), Union(a, b)) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, PrintAlike,
    ::testing::Values(
        // "not", "byres" and "bychain" print without brackets.
        std::make_tuple("1hpv.pdb", "byres ((not water) around 5)", "byres (not (water around 5))"),
        std::make_tuple("1hpv.pdb", "(not ligand around 5) around 3", "((not ligand) around 5) around 3"),
        std::make_tuple("3al1.pdb", "((byres ligand) around 3) around 1", "(byres (ligand around 3)) around 1"),
        std::make_tuple("1hpv.pdb", "bychain ((not water) around 5)", "bychain (not (water around 5))"),
        // Values that print alike at 6 significant digits.
        std::make_tuple("1hpv.pdb", "(b < 24.50001) around 0.5", "(b < 24.5) around 0.5")));

// Counts the atoms it is asked about; selects atom 0 and prints as "index 0".
class Counting : public KaSel::Predicate {
public:
    explicit Counting(int& count) : count_(count) {}
    bool Evaluate(const KaSel::SelectionContext&, const Kamol::KaAtomBase& atom) const override {
        ++count_;
        return atom.GetIndex() == 0;
    }
    std::string ToString() const override { return "index 0"; }
    KaSel::PredicateType GetType() const override { return KaSel::PredicateType::INDEX; }

private:
    int& count_;
};

// Equal sub-trees built apart, with their operands in another order, share one
// result: the second one's inner selection is never asked.
TEST(StructurallyEqual, ShareOneResult) {
    using namespace evaltest;
    MoleculeBuilder b;
    b.Add(6, "C", Residue("ALA", 1), 0, 0, 0);
    b.Add(6, "C", Residue("ALA", 1), 1, 0, 0);
    b.Add(6, "C", Residue("GLY", 2), 5, 0, 0);
    int first = 0, second = 0;
    auto chain = [] { return Make<ChainPredicate>(std::string("A")); };
    PredicatePtr root = Or({Make<ByResPredicate>(And({std::make_shared<Counting>(first), chain()})),
                            Make<ByResPredicate>(And({chain(), std::make_shared<Counting>(second)})),
                            Make<AroundPredicate>(2.0f, And({std::make_shared<Counting>(first), chain()})),
                            Make<ExpandPredicate>(2.0f, And({chain(), std::make_shared<Counting>(second)}))});
    for (auto evaluate : {PerAtom, Batch}) {
        first = second = 0;
        EXPECT_EQ(evaluate(b.molecule, *root), (Indices{0, 1}));
        EXPECT_GT(first, 0);
        EXPECT_EQ(second, 0);
    }
}

// The context's keyed accessors and the predicates share one store, kept
// apart by kind: a grouping predicate answers from a value set under its key,
// finds its computed result there, and no other kind sees either.
TEST(KeyedAccess, OneStoreKeptApartByKind) {
    using namespace evaltest;
    MoleculeBuilder b;
    b.Add(6, "C", Residue("ALA", 1), 0, 0, 0);
    b.Add(6, "C", Residue("GLY", 2), 5, 0, 0);
    const PredicatePtr inner = Make<ChainPredicate>(std::string("A"));
    const std::string key = StructureKey(*inner);
    const auto byres = Make<ByResPredicate>(inner);
    const auto bychain = Make<ByChainPredicate>(inner);

    SelectionContext context(b.molecule);
    AtomMask onlySecond(2);
    onlySecond.Set(1);
    context.SetResidueGroup("byres_" + key, onlySecond);
    EXPECT_FALSE(byres->Evaluate(context, *b.molecule.GetAtom(0)));
    EXPECT_TRUE(byres->Evaluate(context, *b.molecule.GetAtom(1)));

    EXPECT_TRUE(bychain->Evaluate(context, *b.molecule.GetAtom(0)));
    ASSERT_TRUE(context.HasChainGroup("bychain_" + key));
    EXPECT_EQ(context.GetChainGroup("bychain_" + key).Count(), 2u);
    EXPECT_FALSE(context.HasResidueGroup("bychain_" + key));
    EXPECT_FALSE(context.HasSpatialMask("bychain_" + key));
    EXPECT_FALSE(context.HasChainGroup("byres_" + key));

    EXPECT_EQ(context.GetSpatialMask("absent").Size(), 0u);  // made empty
    EXPECT_TRUE(context.HasSpatialMask("absent"));
    EXPECT_FALSE(context.HasResidueGroup("absent"));
}

}  // namespace
