// The selection object and the node model: kinds of every node class,
// children, the element node, sharing of trees between selections, queries.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "selection/predicate.h"
#include "selection/selection.h"

using namespace KaSel;

namespace {

// Every node class reports its kind; the numeric values are exported and
// must not move.
TEST(PredicateKinds, EveryClassReportsItsValue) {
    auto water = std::make_shared<WaterPredicate>();
    const std::pair<PredicatePtr, int> cases[] = {
        {std::make_shared<AndPredicate>(PredicateList{}), 0},
        {std::make_shared<OrPredicate>(PredicateList{}), 1},
        {std::make_shared<NotPredicate>(water), 2},
        {std::make_shared<NamePredicate>("CA"), 4},
        {std::make_shared<ResnPredicate>("ALA"), 5},
        {std::make_shared<ResiPredicate>(1, Equal), 6},
        {std::make_shared<ChainPredicate>("A"), 7},
        {std::make_shared<ElemPredicate>("C"), 8},
        {std::make_shared<IndexPredicate>(1u, Equal), 9},
        {std::make_shared<IdPredicate>(1, Equal), 10},
        {std::make_shared<AltPredicate>("A"), 11},
        {std::make_shared<BFactorPredicate>(1.0f, Equal), 12},
        {std::make_shared<FragmentPredicate>(1u, Equal), 13},
        {std::make_shared<ProteinPredicate>(), 15},
        {std::make_shared<LigandPredicate>(), 16},
        {water, 17},
        {std::make_shared<SolventPredicate>(), 18},
        {std::make_shared<OrganicPredicate>(), 19},
        {std::make_shared<BackbonePredicate>(), 20},
        {std::make_shared<SidechainPredicate>(), 20},
        {std::make_shared<MetalPredicate>(), 21},
        {std::make_shared<CappingPredicate>(), 22},
        {std::make_shared<HeavyPredicate>(), 23},
        {std::make_shared<HydrogenPredicate>(), 24},
        {std::make_shared<PolarHydrogenPredicate>(), 25},
        {std::make_shared<NonpolarHydrogenPredicate>(), 26},
        {std::make_shared<ByResPredicate>(water), 27},
        {std::make_shared<ByChainPredicate>(water), 28},
        {std::make_shared<AroundPredicate>(1.0f, water), 29},
        {std::make_shared<ExpandPredicate>(1.0f, water), 30},
        {std::make_shared<BeyondPredicate>(1.0f, water), 31},
        {std::make_shared<HelixPredicate>(), 32},
        {std::make_shared<SheetPredicate>(), 33},
        {std::make_shared<TurnPredicate>(), 34},
        {std::make_shared<LoopPredicate>(), 35},
        {std::make_shared<TruePredicate>(), 36},
        {std::make_shared<TruePredicateImpl>(), 36},
        {std::make_shared<FalsePredicateImpl>(), 37},
    };
    for (const auto& [node, value] : cases) EXPECT_EQ(static_cast<int>(node->GetType()), value) << node->ToString();
}

TEST(PredicateNodes, ChildrenAreCopiesInStoredOrder) {
    auto a = std::make_shared<WaterPredicate>();
    auto b = std::make_shared<ProteinPredicate>();
    const AndPredicate node(PredicateList{a, b, a});
    PredicateList children = node.GetChildren();
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(children[0], a);
    EXPECT_EQ(children[1], b);
    EXPECT_EQ(children[2], a);
    children.clear();
    EXPECT_EQ(node.GetChildren().size(), 3u);

    const AroundPredicate around(2.0f, b);
    ASSERT_EQ(around.GetChildren().size(), 1u);
    EXPECT_EQ(around.GetChildren()[0], b);
    EXPECT_TRUE(NamePredicate("CA").GetChildren().empty());
}

TEST(PredicateNodes, ElementFromSymbolText) {
    const struct {
        const char* text;
        const char* symbol;
        uint32_t atomicNumber;
    } cases[] = {{"fe", "Fe", 26}, {"FE", "Fe", 26}, {"CL", "Cl", 17}, {"cl", "Cl", 17}, {"c", "C", 6},
                 {"D", "D", 1},    {"Xx", "Xx", 0},  {"", "", 0},       {"uun", "Uun", 110}};
    for (const auto& c : cases) {
        const ElemPredicate node(c.text);
        EXPECT_EQ(node.symbol, c.symbol) << c.text;
        EXPECT_EQ(node.atomicNumber, c.atomicNumber) << c.text;
    }
}

TEST(PredicateNodes, NumericConstructors) {
    const ResiPredicate range(20, 10);
    EXPECT_EQ(range.low, 20);
    EXPECT_EQ(range.high, 10);
    EXPECT_EQ(range.comparison, Range);
    const ResiPredicate less(7, Less);
    EXPECT_EQ(less.low, 7);
    EXPECT_EQ(less.high, 0);
    EXPECT_EQ(less.comparison, Less);
    const BFactorPredicate b(2.5f, GreaterEqual);
    EXPECT_EQ(b.low, 2.5f);
    EXPECT_EQ(b.high, 0.0f);
    EXPECT_EQ(b.comparison, GreaterEqual);
}

TEST(KaSelection, DefaultSelectsEverything) {
    const KaSelection selection;
    EXPECT_EQ(selection.ToCanonical(), "all");
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_TRUE(selection.ContainsPredicate(PredicateType::ALL_MATCH));
    EXPECT_FALSE(selection.ContainsPredicate(PredicateType::AND));
    EXPECT_NE(dynamic_cast<const TruePredicate*>(&selection.GetRoot()), nullptr);
}

TEST(KaSelection, EmptyTextIsTheDefaultSelection) {
    const KaSelection selection = KaSelection::Parse("");
    EXPECT_EQ(selection.ToCanonical(), "all");
    EXPECT_TRUE(selection.IsEmpty());
    EXPECT_NE(dynamic_cast<const TruePredicate*>(&selection.GetRoot()), nullptr);
}

TEST(KaSelection, ParseFailuresPropagate) {
    try {
        KaSelection::Parse(" ");
        ADD_FAILURE() << "a blank parsed";
    } catch (const SelectionError& error) {
        EXPECT_STREQ(error.what(), "Failed to parse selection:  ");
        EXPECT_EQ(error.Position(), 0u);
    }
    // Out-of-range numbers are not turned into selection errors.
    try {
        KaSelection::Parse("resi 99999999999");
        ADD_FAILURE() << "overflow parsed";
    } catch (const SelectionError&) {
        ADD_FAILURE() << "overflow reported as SelectionError";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "stoi argument out of range");
    }
}

TEST(KaSelection, IsEmptyLooksOnlyAtTheRoot) {
    EXPECT_TRUE(KaSelection::Parse("all").IsEmpty());
    EXPECT_TRUE(KaSelection::Parse("////").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("all and all").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("(all or none)").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("none").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("not none").IsEmpty());
}

struct ContainsCase {
    const char* text;
    PredicateType type;
    bool expected;
};

class ContainsPredicate : public testing::TestWithParam<ContainsCase> {};

TEST_P(ContainsPredicate, WalksTheWholeTree) {
    const ContainsCase& c = GetParam();
    EXPECT_EQ(KaSelection::Parse(c.text).ContainsPredicate(c.type), c.expected) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Trees, ContainsPredicate,
    testing::Values(ContainsCase{"none", PredicateType::NO_MATCH, true},
                    ContainsCase{"sidechain", PredicateType::BACKBONE, true},
                    ContainsCase{"byres (ligand and not water)", PredicateType::WATER, true},
                    ContainsCase{"byres (ligand and not water)", PredicateType::NOT, true},
                    ContainsCase{"byres (ligand and not water)", PredicateType::AND, true},
                    ContainsCase{"byres (ligand and not water)", PredicateType::BY_RES, true},
                    ContainsCase{"byres (ligand and not water)", PredicateType::OR, false},
                    ContainsCase{"name CA+CB", PredicateType::OR, true},
                    ContainsCase{"name CA+CB", PredicateType::NAME, true},
                    ContainsCase{"name CA+CB", PredicateType::AND, false},
                    // Deep in the last operand of the last operand.
                    ContainsCase{"water or (protein and (chain A or not (ligand around 5)))", PredicateType::LIGAND,
                                 true},
                    ContainsCase{"water or (protein and (chain A or not (ligand around 5)))", PredicateType::METAL,
                                 false},
                    ContainsCase{"water xor protein", PredicateType::XOR, false},
                    ContainsCase{"water xor protein", PredicateType::WATER, false},
                    ContainsCase{"helix or sheet", PredicateType::SECONDARY_STRUCTURE, false},
                    ContainsCase{"water", static_cast<PredicateType>(99), false},
                    ContainsCase{"water", static_cast<PredicateType>(-1), false}));

TEST(KaSelection, CopiesShareTheTree) {
    auto original = std::make_unique<KaSelection>(KaSelection::Parse("byres (ligand around 5) and water"));
    const PredicatePtr root = original->GetRootPtr();
    const long before = root.use_count();
    const KaSelection copy(*original);
    EXPECT_EQ(copy.GetRootPtr().get(), root.get());
    EXPECT_EQ(root.use_count(), before + 1);
    original.reset();
    EXPECT_EQ(root.use_count(), before);
    EXPECT_EQ(copy.ToCanonical(), "(byres ligand around 5 and water)");
}

TEST(KaSelection, AssignmentFromTemporaryReleasesTheOldTree) {
    KaSelection selection = KaSelection::Parse("water");
    std::weak_ptr<const Predicate> old = selection.GetRootPtr();
    selection = KaSelection::Parse("protein");
    EXPECT_TRUE(old.expired());
    EXPECT_EQ(selection.ToCanonical(), "protein");
    EXPECT_EQ(selection.GetRoot().GetType(), PredicateType::PROTEIN);
}

TEST(SelectionError, MessageAndPosition) {
    const SelectionError plain("bad");
    EXPECT_STREQ(plain.what(), "bad");
    EXPECT_EQ(plain.Position(), 0u);
    const SelectionError positioned("bad", 7);
    EXPECT_EQ(positioned.Position(), 7u);
    const std::runtime_error& base = positioned;
    EXPECT_STREQ(base.what(), "bad");
}

}  // namespace
