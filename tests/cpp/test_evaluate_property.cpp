// Atom property predicates: what each one reads and how it compares, asked
// one atom at a time and over all atoms at once.
#include <climits>
#include <cmath>
#include <functional>
#include <limits>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "selection/predicate.h"

namespace {

using namespace evaltest;

struct AtomRow {
    uint32_t atomicNum;
    std::string name;
    bool hasResidue;
    std::string residueName;
    int32_t residueNumber;
    std::string chain;
    char alternateLocation;
    int32_t serial;
    uint32_t fragment;
    float bFactor;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Index i of the table is atom index i.
const std::vector<AtomRow> kRows = {
    {6, " CA ", true, "ALA", 5, "A", ' ', 1, 0, 10.0f},
    {6, "ca", true, "HOH ", -3, "AB", 'A', 2, 0, 30.5f},
    {7, "\tN", false, "", 0, "", ' ', 0, 0, 0.0f},  // reads the default record
    {1, "CB1", true, "HOH", 10, "", ' ', 7, 2, kNaN},
    {20, "", true, "CA", 0, "B", ' ', -2, 0, 20.0f},
    {0, "C", true, "LIG", INT_MAX, "b", ' ', 100, 4000000000u, -1.0f},
    {1, "CB", true, "GLY", -6, "A", ' ', 3, 1, 25.0f},
    {8, "C*", true, "H*H", 6, "A", ' ', 4, 0, 30.5f},
    {8, std::string("OG\0X", 4), true, std::string("ALA\0Z", 5), 5, "A", 'B', 5, 0, 15.0f},
};

void Build(MoleculeBuilder& builder) {
    for (const AtomRow& row : kRows) {
        if (!row.hasResidue) {
            builder.Add(row.atomicNum, row.name);
            continue;
        }
        Kamol::KaResidue residue = Residue(row.residueName, row.residueNumber, row.chain);
        residue.alternateLocation = row.alternateLocation;
        residue.serialNumber = row.serial;
        residue.fragmentNumber = row.fragment;
        residue.bFactor = row.bFactor;
        builder.Add(row.atomicNum, row.name, residue);
    }
}

struct PropertyCase {
    const char* label;
    std::function<PredicatePtr()> make;
    Indices expected;
};

void PrintTo(const PropertyCase& c, std::ostream* out) { *out << c.label; }

class PropertyTest : public ::testing::TestWithParam<PropertyCase> {};

TEST_P(PropertyTest, SelectsExactlyTheExpectedAtoms) {
    MoleculeBuilder builder;
    Build(builder);
    PredicatePtr root = GetParam().make();
    EXPECT_EQ(PerAtom(builder.molecule, *root), GetParam().expected);
    EXPECT_EQ(Batch(builder.molecule, *root), GetParam().expected);
}

template <class Node, class... Args>
std::function<PredicatePtr()> Node_(Args... args) {
    return [=] { return Make<Node>(args...); };
}

const Comparison kUnknownComparison = static_cast<Comparison>(9);
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Names, PropertyTest,
    ::testing::Values(PropertyCase{"name CA trims blanks, keeps case", Node_<NamePredicate>(std::string("CA")), {0}},
                      PropertyCase{"name C? is one byte", Node_<NamePredicate>(std::string("C?")), {0, 6, 7}},
                      PropertyCase{"name * matches empty", Node_<NamePredicate>(std::string("*")), {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                      PropertyCase{"name C*", Node_<NamePredicate>(std::string("C*")), {0, 3, 5, 6, 7}},
                      PropertyCase{"name ? needs a byte", Node_<NamePredicate>(std::string("?")), {5}},
                      PropertyCase{"name *B*", Node_<NamePredicate>(std::string("*B*")), {3, 6}},
                      PropertyCase{"tab is not trimmed", Node_<NamePredicate>(std::string("\tN")), {2}},
                      PropertyCase{"tab-led name is not N", Node_<NamePredicate>(std::string("N")), {}},
                      PropertyCase{"name read up to NUL", Node_<NamePredicate>(std::string("OG")), {8}}));

INSTANTIATE_TEST_SUITE_P(
    ResidueNames, PropertyTest,
    ::testing::Values(PropertyCase{"resn is not trimmed", Node_<ResnPredicate>(std::string("HOH")), {3}},
                      PropertyCase{"resn HO?", Node_<ResnPredicate>(std::string("HO?")), {3}},
                      PropertyCase{"default residue is UNL", Node_<ResnPredicate>(std::string("UNL")), {2}},
                      PropertyCase{"star in text", Node_<ResnPredicate>(std::string("H*H")), {3, 7}},
                      PropertyCase{"resn read up to NUL", Node_<ResnPredicate>(std::string("ALA")), {0, 8}}));

INSTANTIATE_TEST_SUITE_P(
    ChainsAndAlternates, PropertyTest,
    ::testing::Values(PropertyCase{"chain by first byte", Node_<ChainPredicate>(std::string("A")), {0, 1, 6, 7, 8}},
                      PropertyCase{"empty and default chain read blank", Node_<ChainPredicate>(std::string(" ")), {2, 3}},
                      PropertyCase{"chain is case-sensitive", Node_<ChainPredicate>(std::string("b")), {5}},
                      PropertyCase{"two-byte chain value", Node_<ChainPredicate>(std::string("AB")), {}},
                      PropertyCase{"empty chain value", Node_<ChainPredicate>(std::string("")), {}},
                      PropertyCase{"alt A", Node_<AltPredicate>(std::string("A")), {1}},
                      PropertyCase{"alt blank", Node_<AltPredicate>(std::string(" ")), {0, 2, 3, 4, 5, 6, 7}},
                      PropertyCase{"two-byte alt value", Node_<AltPredicate>(std::string("AB")), {}}));

INSTANTIATE_TEST_SUITE_P(
    Elements, PropertyTest,
    ::testing::Values(PropertyCase{"elem ca is calcium", Node_<ElemPredicate>(std::string("ca")), {4}},
                      PropertyCase{"elem D is hydrogen", Node_<ElemPredicate>(std::string("D")), {3, 6}},
                      PropertyCase{"unknown symbol matches Z 0", Node_<ElemPredicate>(std::string("Xx")), {5}}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, PropertyTest,
    ::testing::Values(
        PropertyCase{"index < 3", Node_<IndexPredicate>(3u, Less), {0, 1, 2}},
        PropertyCase{"index 2-4", Node_<IndexPredicate>(2u, 4u), {2, 3, 4}},
        PropertyCase{"index >= 7", Node_<IndexPredicate>(7u, GreaterEqual), {7, 8}},
        PropertyCase{"index <= 0", Node_<IndexPredicate>(0u, LessEqual), {0}},
        PropertyCase{"inverted range", Node_<IndexPredicate>(5u, 2u), {}},
        PropertyCase{"unknown comparison", Node_<IndexPredicate>(4u, kUnknownComparison), {}},
        PropertyCase{"resi -5-5 is signed", Node_<ResiPredicate>(-5, 5), {0, 1, 2, 4, 8}},
        PropertyCase{"resi < 0", Node_<ResiPredicate>(0, Less), {1, 6}},
        PropertyCase{"resi > 5", Node_<ResiPredicate>(5, Greater), {3, 5, 7}},
        PropertyCase{"resi max", Node_<ResiPredicate>(INT_MAX, Equal), {5}},
        PropertyCase{"id < 0", Node_<IdPredicate>(0, Less), {4}},
        PropertyCase{"id 1-3", Node_<IdPredicate>(1, 3), {0, 1, 6}},
        PropertyCase{"id unknown comparison", Node_<IdPredicate>(1, kUnknownComparison), {}},
        PropertyCase{"frag > 0", Node_<FragmentPredicate>(0u, Greater), {3, 5, 6}},
        PropertyCase{"frag is unsigned", Node_<FragmentPredicate>(3000000000u, GreaterEqual), {5}},
        PropertyCase{"b < 30", Node_<BFactorPredicate>(30.0f, Less), {0, 2, 4, 5, 6, 8}},
        PropertyCase{"b == 30.5", Node_<BFactorPredicate>(30.5f, Equal), {1, 7}},
        PropertyCase{"b 10-20", Node_<BFactorPredicate>(10.0f, 20.0f), {0, 2, 4, 8}},
        PropertyCase{"NaN b-factor never selected", Node_<BFactorPredicate>(-kInf, Greater), {0, 1, 2, 4, 5, 6, 7, 8}},
        PropertyCase{"NaN bound selects nothing", Node_<BFactorPredicate>(kNaN, 100.0f), {}}));

// A property test on an atom of another molecule reads that atom's own data.
TEST(PropertyOtherMolecule, ReadsTheAtomsOwnData) {
    MoleculeBuilder bound, other;
    bound.Add(6, "CA", Residue("ALA", 1, "A"));
    Kamol::KaAtomBase& foreign = other.Add(8, "OW", Residue("HOH", 7, "W"));
    SelectionContext context(bound.molecule);
    EXPECT_TRUE(NamePredicate("OW").Evaluate(context, foreign));
    EXPECT_TRUE(ChainPredicate("W").Evaluate(context, foreign));
    EXPECT_TRUE(ResiPredicate(7, Equal).Evaluate(context, foreign));
    EXPECT_FALSE(ElemPredicate("C").Evaluate(context, foreign));
}

}  // namespace
