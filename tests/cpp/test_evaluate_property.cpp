// Atom property predicates: what each one reads and how it compares, asked
// one atom at a time and over all atoms at once.
#include <climits>
#include <cmath>
#include <tuple>
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

const Comparison kUnknown = static_cast<Comparison>(9);
const float kInf = std::numeric_limits<float>::infinity();

// The edge cases of each reading and comparison; plain comparisons on real
// structures are the generated differential's (tests/python/test_differential.py).
TEST(PropertyPredicates, SelectExactlyTheExpectedAtoms) {
    const std::tuple<const char*, PredicatePtr, Indices> cases[] = {
        {"name trims blanks, keeps case", Make<NamePredicate>(std::string("CA")), {0}},
        {"name C? is one byte", Make<NamePredicate>(std::string("C?")), {0, 6, 7}},
        {"name * matches empty", Make<NamePredicate>(std::string("*")), {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"name ? needs a byte", Make<NamePredicate>(std::string("?")), {5}},
        {"tab is not trimmed", Make<NamePredicate>(std::string("\tN")), {2}},
        {"name read up to NUL", Make<NamePredicate>(std::string("OG")), {8}},
        {"resn is not trimmed", Make<ResnPredicate>(std::string("HOH")), {3}},
        {"default residue is UNL", Make<ResnPredicate>(std::string("UNL")), {2}},
        {"star in text", Make<ResnPredicate>(std::string("H*H")), {3, 7}},
        {"resn read up to NUL", Make<ResnPredicate>(std::string("ALA")), {0, 8}},
        {"chain by first byte", Make<ChainPredicate>(std::string("A")), {0, 1, 6, 7, 8}},
        {"empty and default chain read blank", Make<ChainPredicate>(std::string(" ")), {2, 3}},
        {"two-byte chain value", Make<ChainPredicate>(std::string("AB")), {}},
        {"two-byte alt value", Make<AltPredicate>(std::string("AB")), {}},
        {"elem ca is calcium", Make<ElemPredicate>(std::string("ca")), {4}},
        {"unknown symbol matches Z 0", Make<ElemPredicate>(std::string("Xx")), {5}},
        {"inverted range", Make<IndexPredicate>(5u, 2u), {}},
        {"unknown comparison", Make<IndexPredicate>(4u, kUnknown), {}},
        {"resi -5-5 is signed", Make<ResiPredicate>(-5, 5), {0, 1, 2, 4, 8}},
        {"resi max", Make<ResiPredicate>(INT_MAX, Equal), {5}},
        {"id < 0", Make<IdPredicate>(0, Less), {4}},
        {"id unknown comparison", Make<IdPredicate>(1, kUnknown), {}},
        {"frag is unsigned", Make<FragmentPredicate>(3000000000u, GreaterEqual), {5}},
        {"NaN b-factor never selected", Make<BFactorPredicate>(-kInf, Greater), {0, 1, 2, 4, 5, 6, 7, 8}},
        {"NaN bound selects nothing", Make<BFactorPredicate>(kNaN, 100.0f), {}}};
    MoleculeBuilder builder;
    Build(builder);
    for (const auto& [label, root, expected] : cases) {
        EXPECT_EQ(PerAtom(builder.molecule, *root), expected) << label;
        EXPECT_EQ(Batch(builder.molecule, *root), expected) << label;
    }
}

// An "or" of element tests is answered from a table of atomic numbers: every
// word of the table, and numbers past it, agree with asking atom by atom.
TEST(PropertyPredicates, OrOfElementsMatchesEachElement) {
    MoleculeBuilder builder;
    const uint32_t numbers[] = {0, 1, 8, 35, 53, 63, 64, 79, 92, 127, 128, 200, 255, 256, 300};
    for (uint32_t number : numbers) builder.Add(number, "X");
    auto elem = [](const char* symbol) { return Make<ElemPredicate>(std::string(symbol)); };
    const std::tuple<PredicateList, Indices> cases[] = {
        {{elem("O"), elem("Br")}, {2, 3}},
        {{elem("I"), elem("Au"), elem("U")}, {4, 7, 8}},
        {{elem("Xx"), elem("H"), elem("Eu"), elem("Gd")}, {0, 1, 5, 6}},
    };
    for (const auto& [children, expected] : cases) {
        const PredicatePtr root = Or(children);
        EXPECT_EQ(PerAtom(builder.molecule, *root), expected) << root->ToString();
        EXPECT_EQ(Batch(builder.molecule, *root), expected) << root->ToString();
    }
}

}  // namespace
