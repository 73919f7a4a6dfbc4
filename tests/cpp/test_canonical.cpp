// Canonical text: keyword spellings, operand sorting, number formatting, and
// the round trip through the parser.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "selection/predicate.h"
#include "selection/selection.h"

using namespace KaSel;

namespace {

std::string Canonical(const std::string& text) { return KaSelection::Parse(text).ToCanonical(); }

struct TextCase {
    const char* text;
    const char* canonical;
};

class CanonicalText : public testing::TestWithParam<TextCase> {};

TEST_P(CanonicalText, Prints) { EXPECT_EQ(Canonical(GetParam().text), GetParam().canonical) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Spellings, CanonicalText,
    testing::Values(TextCase{"Water", "water"}, TextCase{"  protein  ", "protein"}, TextCase{"(((water)))", "water"},
                    TextCase{"lig", "ligand"}, TextCase{"bb", "backbone"}, TextCase{"sc", "sidechain"},
                    TextCase{"METALS", "metal"}, TextCase{"caps", "capping"}, TextCase{"polarh", "polar_hydrogen"},
                    TextCase{"apolarh", "nonpolar_hydrogen"}, TextCase{"h", "hydrogen"}, TextCase{"solvent", "solvent"},
                    TextCase{"organic", "organic"}, TextCase{"heavy", "heavy"}, TextCase{"helix", "helix"},
                    TextCase{"sheet", "sheet"}, TextCase{"turn", "turn"}, TextCase{"loop", "loop"},
                    TextCase{"all", "all"}, TextCase{"NONE", "none"}, TextCase{"////", "all"},
                    TextCase{"serial 5", "id 5"}, TextCase{"bfactor 5", "b 5"}, TextCase{"fragment 5", "frag 5"},
                    TextCase{"INDEX 5", "index 5"}, TextCase{"elem cl", "elem Cl"}, TextCase{"elem FE", "elem Fe"},
                    TextCase{"chain a", "chain a"}, TextCase{"alt B", "alt B"}, TextCase{"name ca", "name ca"},
                    TextCase{"name \"C A\"", "name C A"}, TextCase{"resn A*", "resn A*"},
                    // Longer spellings are tried first.
                    TextCase{"LIGAND", "ligand"}, TextCase{"Backbone", "backbone"}, TextCase{"SIDECHAIN", "sidechain"},
                    TextCase{"metal", "metal"}, TextCase{"Capping", "capping"}, TextCase{"Hydrogen", "hydrogen"},
                    TextCase{"POLAR_HYDROGEN", "polar_hydrogen"}, TextCase{"nonpolar_hydrogen", "nonpolar_hydrogen"},
                    TextCase{"Id 5", "id 5"}, TextCase{"frag 5", "frag 5"}, TextCase{"B 5", "b 5"},
                    TextCase{"Resi 1", "resi 1"}, TextCase{"RESN ALA", "resn ALA"}, TextCase{"ALT A", "alt A"},
                    TextCase{"NOT water", "not water"}, TextCase{"BYRES water", "byres water"},
                    TextCase{"ByChain water", "bychain water"}, TextCase{"water AROUND 3", "water around 3"},
                    TextCase{"water Expand 3", "water expand 3"}, TextCase{"water beYond 3", "water beyond 3"},
                    TextCase{"water AnD protein Or ligand", "((protein and water) or ligand)"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, CanonicalText,
    testing::Values(TextCase{"resi 10-20", "resi 10-20"}, TextCase{"resi 20-10", "resi 20-10"},
                    TextCase{"resi <= 5", "resi <= 5"}, TextCase{"resi <5", "resi < 5"},
                    TextCase{"resi >7", "resi > 7"}, TextCase{"resi >= 0007", "resi >= 7"},
                    TextCase{"id 2147483647", "id 2147483647"}, TextCase{"index <3", "index < 3"},
                    TextCase{"frag 1-2", "frag 1-2"}, TextCase{"b 30.50", "b 30.5"}, TextCase{"b 10-20", "b 10-20"},
                    TextCase{"b 10-20.5", "b 10-20.5"}, TextCase{"bfactor >= 7.", "b >= 7"},
                    TextCase{"b < 30", "b < 30"}, TextCase{"b <=0.1", "b <= 0.1"},
                    TextCase{"b 30.1234567", "b 30.1235"}, TextCase{"b 1234567", "b 1.23457e+06"},
                    TextCase{"ligand around 5.0", "ligand around 5"}, TextCase{"ligand around 4.25", "ligand around 4.25"},
                    TextCase{"ligand around -2", "ligand around -2"}, TextCase{"ligand expand 0.00001", "ligand expand 1e-05"},
                    TextCase{"ligand beyond 25000000000", "ligand beyond 2.5e+10"}));

INSTANTIATE_TEST_SUITE_P(
    Structure, CanonicalText,
    testing::Values(TextCase{"water and protein", "(protein and water)"},
                    TextCase{"protein and water", "(protein and water)"},
                    TextCase{"name CA or resn ALA", "(name CA or resn ALA)"},
                    TextCase{"resn ALA or name CA", "(name CA or resn ALA)"},
                    TextCase{"resn ALA and chain A and name CA", "(chain A and name CA and resn ALA)"},
                    TextCase{"(chain A and name CA) and resn ALA", "((chain A and name CA) and resn ALA)"},
                    // "(" sorts before letters, upper case before lower case.
                    TextCase{"protein and (water or ligand)", "((ligand or water) and protein)"},
                    TextCase{"name b or name B or name a or name A", "(name A or name B or name a or name b)"},
                    // A text that is a prefix of another sorts first.
                    TextCase{"name CAB or name CA", "(name CA or name CAB)"},
                    TextCase{"name CA+CA", "(name CA or name CA)"}, TextCase{"name CA+CB", "(name CA or name CB)"},
                    TextCase{"//A/10/CA", "(chain A and name CA and resi 10)"},
                    TextCase{"not not water", "not not water"},
                    TextCase{"byres (ligand around 5) and water", "(byres ligand around 5 and water)"},
                    TextCase{"bychain ligand", "bychain ligand"},
                    TextCase{"(not water) around 5", "not water around 5"},
                    TextCase{"(ligand around 5) around 3", "ligand around 5 around 3"},
                    TextCase{"not (byres ligand)", "not byres ligand"},
                    TextCase{"not byres ligand", "byres not ligand"},
                    TextCase{"water xor protein", "protein"}));

TEST(FormatNumber, GeneralFormWithSixDigits) {
    const struct {
        float value;
        const char* text;
    } cases[] = {{5.0f, "5"},
                 {4.5f, "4.5"},
                 {0.1f, "0.1"},
                 {30.1234567f, "30.1235"},
                 {-2.0f, "-2"},
                 {1234567.0f, "1.23457e+06"},
                 {0.00001f, "1e-05"},
                 {25000000000.0f, "2.5e+10"},
                 {0.0f, "0"},
                 {-0.0f, "-0"},
                 {100000.0f, "100000"},
                 {999999.5f, "1e+06"},
                 {0.0001f, "0.0001"},
                 {0.000123456f, "0.000123456"},
                 {3.0e38f, "3e+38"},
                 {1e-40f, "9.99995e-41"},  // subnormal: the stored float is printed
                 {std::numeric_limits<float>::infinity(), "inf"}};
    for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.value;
}

// Nodes made directly, with field values the parser never produces.
TEST(CanonicalText, NodesBuiltDirectly) {
    EXPECT_EQ(AndPredicate({}).ToString(), "all");
    EXPECT_EQ(OrPredicate({}).ToString(), "none");
    EXPECT_EQ(AndPredicate({std::make_shared<WaterPredicate>()}).ToString(), "water");
    EXPECT_EQ(OrPredicate({std::make_shared<OrPredicate>(PredicateList{})}).ToString(), "none");
    EXPECT_EQ(ResiPredicate(-5, Equal).ToString(), "resi -5");
    EXPECT_EQ(ResiPredicate(-5, -1).ToString(), "resi -5--1");
    EXPECT_EQ(IdPredicate(3, static_cast<Comparison>(42)).ToString(), "id 3");
    EXPECT_EQ(IndexPredicate(4294967295u, Greater).ToString(), "index > 4294967295");
    EXPECT_EQ(FragmentPredicate(1u, 4294967295u).ToString(), "frag 1-4294967295");
    EXPECT_EQ(BFactorPredicate(-1.5f, LessEqual).ToString(), "b <= -1.5");
    EXPECT_EQ(AroundPredicate(1e-7f, std::make_shared<TruePredicate>()).ToString(), "all around 1e-07");
    EXPECT_EQ(ChainPredicate("AB").ToString(), "chain AB");
    EXPECT_EQ(ElemPredicate("").ToString(), "elem ");
}

// Parsing the canonical text again gives the same canonical text.
class CanonicalRoundTrip : public testing::TestWithParam<const char*> {};

TEST_P(CanonicalRoundTrip, IsStable) {
    const std::string once = Canonical(GetParam());
    EXPECT_EQ(Canonical(once), once) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(
    Selections, CanonicalRoundTrip,
    testing::Values("byres (ligand around 5) and water", "//A/10/CA", "resn ALA+GLY+SER and chain A and name CA",
                    "not (water or protein) and (metal or ligand)", "bychain (resi 10-20 or id >= 4) expand 2.5",
                    "b < 30.5 and elem fe and alt A", "(protein and not hydrogen) or (water around 3.2)",
                    "frag 1 and index <= 100 and polarh", "ligand beyond 8 and not sidechain",
                    "(resn HOH or solvent) and (helix or sheet or turn or loop)"));

}  // namespace
