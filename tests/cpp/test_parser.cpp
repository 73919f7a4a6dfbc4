// Parser: tree shapes built by the operand stack and group frames, keyword
// spellings, failures with their messages, and number conversion limits.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "selection/predicate.h"
#include "selection/selection.h"

using namespace KaSel;

namespace {

const char* ComparisonName(int32_t code) {
    switch (code) {
        case Equal: return "=";
        case Less: return "<";
        case LessEqual: return "<=";
        case Greater: return ">";
        case GreaterEqual: return ">=";
        case Range: return "..";
        default: return "?";
    }
}

template <class Node>
std::string Numeric(const char* kind, const Node& node) {
    return std::string(kind) + ComparisonName(node.comparison) + "[" + std::to_string(node.low) + "," +
           std::to_string(node.high) + "]";
}

// The tree in stored order, from node kinds, fields and GetChildren() alone
// (independent of ToString, which sorts operands).
std::string Describe(const PredicatePtr& node) {
    const Predicate* p = node.get();
    std::string children;
    for (const PredicatePtr& child : node->GetChildren()) {
        children += children.empty() ? "(" : ",";
        children += Describe(child);
    }
    if (!children.empty()) children += ")";
    if (auto n = dynamic_cast<const NamePredicate*>(p)) return "name:" + n->pattern;
    if (auto n = dynamic_cast<const ResnPredicate*>(p)) return "resn:" + n->pattern;
    if (auto n = dynamic_cast<const ChainPredicate*>(p)) return "chain:" + n->value;
    if (auto n = dynamic_cast<const AltPredicate*>(p)) return "alt:" + n->value;
    if (auto n = dynamic_cast<const ElemPredicate*>(p)) return "elem:" + n->symbol;
    if (auto n = dynamic_cast<const ResiPredicate*>(p)) return Numeric("resi", *n);
    if (auto n = dynamic_cast<const IdPredicate*>(p)) return Numeric("id", *n);
    if (auto n = dynamic_cast<const IndexPredicate*>(p)) return Numeric("index", *n);
    if (auto n = dynamic_cast<const FragmentPredicate*>(p)) return Numeric("frag", *n);
    if (auto n = dynamic_cast<const BFactorPredicate*>(p)) return Numeric("b", *n);
    if (auto n = dynamic_cast<const AroundPredicate*>(p)) return "around" + std::to_string(n->distance) + children;
    if (auto n = dynamic_cast<const ExpandPredicate*>(p)) return "expand" + std::to_string(n->distance) + children;
    if (auto n = dynamic_cast<const BeyondPredicate*>(p)) return "beyond" + std::to_string(n->distance) + children;
    if (dynamic_cast<const TruePredicateImpl*>(p)) return "all";
    switch (node->GetType()) {
        case PredicateType::AND: return "and" + children;
        case PredicateType::OR: return "or" + children;
        case PredicateType::NOT: return "not" + children;
        case PredicateType::BY_RES: return "byres" + children;
        case PredicateType::BY_CHAIN: return "bychain" + children;
        case PredicateType::NO_MATCH: return "none";
        default: return node->ToString();  // fixed-word classes
    }
}

struct ShapeCase {
    const char* text;
    const char* shape;
};

class ParserShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(ParserShape, BuildsTree) {
    EXPECT_EQ(Describe(ParseSelectionText(GetParam().text)), GetParam().shape) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Operators, ParserShape,
    testing::Values(
        // One node per run of the same operator, operands in written order.
        ShapeCase{"water and protein and ligand", "and(water,protein,ligand)"},
        ShapeCase{"(water and protein) and ligand", "and(and(water,protein),ligand)"},
        ShapeCase{"water and (protein and ligand)", "and(water,and(protein,ligand))"},
        ShapeCase{"water or protein and ligand", "or(water,and(protein,ligand))"},
        ShapeCase{"water and protein or ligand and metal", "or(and(water,protein),and(ligand,metal))"},
        ShapeCase{"(water or protein) and ligand", "and(or(water,protein),ligand)"},
        // Prefixes bind looser than a distance suffix, tighter than "and".
        ShapeCase{"not ligand around 5", "not(around5.000000(ligand))"},
        ShapeCase{"byres ligand around 5", "byres(around5.000000(ligand))"},
        ShapeCase{"byres ligand and water", "and(byres(ligand),water)"},
        ShapeCase{"not water and protein", "and(not(water),protein)"},
        ShapeCase{"not not water", "not(not(water))"},
        ShapeCase{"bychain not water", "bychain(not(water))"},
        // A "not" before "byres" is applied at the end of byres' operand.
        ShapeCase{"not byres ligand", "byres(not(ligand))"},
        ShapeCase{"not bychain ligand", "bychain(not(ligand))"},
        ShapeCase{"not (byres ligand)", "not(byres(ligand))"},
        ShapeCase{"not not byres water", "byres(not(not(water)))"},
        // "xor" builds nothing: the last operand is the result.
        ShapeCase{"water xor protein", "protein"},
        ShapeCase{"water and metal XOR protein or ligand", "or(protein,ligand)"},
        ShapeCase{"(water xor protein) and ligand", "and(protein,ligand)"},
        // Groups keep their own counters.
        ShapeCase{"(((water)))", "water"},
        ShapeCase{"( water )", "water"},
        ShapeCase{"(water and protein) and (ligand and metal)", "and(and(water,protein),and(ligand,metal))"},
        ShapeCase{"not (not water and protein)", "not(and(not(water),protein))"},
        ShapeCase{"(ligand around 5) around 3", "around3.000000(around5.000000(ligand))"},
        ShapeCase{"byres (ligand around 5) and water", "and(byres(around5.000000(ligand)),water)"},
        ShapeCase{"ligand expand 4.5", "expand4.500000(ligand)"},
        ShapeCase{"ligand beyond 10", "beyond10.000000(ligand)"},
        ShapeCase{"ligand around -2", "around-2.000000(ligand)"},
        ShapeCase{"ligand\taround\n6.", "around6.000000(ligand)"},
        ShapeCase{" \t\nwater\n\r\v\f", "water"},
        ShapeCase{"water  AnD\tprotein", "and(water,protein)"}));

INSTANTIATE_TEST_SUITE_P(
    Primaries, ParserShape,
    testing::Values(
        ShapeCase{"name CA", "name:CA"},
        ShapeCase{"NAME ca", "name:ca"},
        ShapeCase{"name CA+CB+N", "or(name:CA,name:CB,name:N)"},
        ShapeCase{"name \"C A\"", "name:C A"},
        ShapeCase{"name \"C A\"+CB+\"\"", "or(name:C A,name:CB,name:)"},
        ShapeCase{"name \"a+b(c)\"", "name:a+b(c)"},
        ShapeCase{"name C*+?H-1_x", "or(name:C*,name:?H-1_x)"},
        ShapeCase{"resn ALA+GLY and chain A", "and(or(resn:ALA,resn:GLY),chain:A)"},
        ShapeCase{"resi 10", "resi=[10,0]"},
        ShapeCase{"resi 10-20", "resi..[10,20]"},
        ShapeCase{"resi 20-10", "resi..[20,10]"},
        ShapeCase{"resi < 10", "resi<[10,0]"},
        ShapeCase{"resi <10", "resi<[10,0]"},
        ShapeCase{"resi <= 5", "resi<=[5,0]"},
        ShapeCase{"resi > 5", "resi>[5,0]"},
        ShapeCase{"resi >=007", "resi>=[7,0]"},
        ShapeCase{"resi 2147483647", "resi=[2147483647,0]"},
        ShapeCase{"index 3-4", "index..[3,4]"},
        ShapeCase{"index 2147483647", "index=[2147483647,0]"},
        ShapeCase{"serial 5", "id=[5,0]"},
        ShapeCase{"id > 5", "id>[5,0]"},
        ShapeCase{"fragment 2", "frag=[2,0]"},
        ShapeCase{"frag 1-3", "frag..[1,3]"},
        ShapeCase{"b 30", "b=[30.000000,0.000000]"},
        ShapeCase{"b 30.5", "b=[30.500000,0.000000]"},
        ShapeCase{"bfactor < 20.", "b<[20.000000,0.000000]"},
        ShapeCase{"B 10-20.5", "b..[10.000000,20.500000]"},
        ShapeCase{"chain A", "chain:A"},
        ShapeCase{"chain b", "chain:b"},
        ShapeCase{"alt B", "alt:B"},
        ShapeCase{"elem FE", "elem:Fe"},
        ShapeCase{"elem c", "elem:C"},
        ShapeCase{"//A/10/CA", "and(chain:A,resi=[10,0],name:CA)"},
        ShapeCase{"//A/10/", "and(chain:A,resi=[10,0])"},
        ShapeCase{"///CA", "name:CA"},
        ShapeCase{"////CA", "name:CA"},
        ShapeCase{"///0/", "resi=[0,0]"},
        ShapeCase{"//A//", "chain:A"},
        ShapeCase{"////", "all"},
        ShapeCase{"all", "all"},
        ShapeCase{"none", "none"}));

// Texts the grammar rejects as a whole.
class ParserRejects : public testing::TestWithParam<const char*> {};

TEST_P(ParserRejects, WithFailedToParse) {
    const std::string text = GetParam();
    try {
        ParseSelectionText(text);
        ADD_FAILURE() << "parsed: " << text;
    } catch (const SelectionError& error) {
        EXPECT_EQ(std::string(error.what()), "Failed to parse selection: " + text);
        EXPECT_EQ(error.Position(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParserRejects,
    testing::Values(" ", "", "\t\n", "name CA + CB", "name CA+", "name", "name \"CA", "resi<10", "resi 10 - 20",
                    "resi -5", "resi = 10", "resi == 10", "resi != 10", "resi 10-", "chain AB", "chain 1", "chain",
                    "elem FEX", "b .5", "b -1", "b 1e5", "ligand around 5 around 3", "ligand around", "ligand around .5",
                    "not(water)", "byres(ligand)", "bychain(ligand)", "not", "water and", "water andprotein",
                    "water and protein)", "(water", "(water and protein", "()", "proteins", "ligands", "metalss",
                    "hx", "bfactor", "polar-hydrogen", "water xor", "water or", "or water", "// A//", "//A",
                    "//AB//", "/A/10/CA", "water; protein", "all all"));

// Numbers too large for their type keep the standard out-of-range error.
struct RangeCase {
    const char* text;
    const char* message;
};

class ParserOutOfRange : public testing::TestWithParam<RangeCase> {};

TEST_P(ParserOutOfRange, ThrowsStandardError) {
    try {
        ParseSelectionText(GetParam().text);
        ADD_FAILURE() << "parsed: " << GetParam().text;
    } catch (const SelectionError& error) {
        ADD_FAILURE() << "SelectionError: " << error.what();
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ParserOutOfRange,
    testing::Values(RangeCase{"resi 2147483648", "stoi argument out of range"},
                    RangeCase{"resi 99999999999", "stoi argument out of range"},
                    RangeCase{"index 4294967295", "stoi argument out of range"},
                    RangeCase{"frag 1-99999999999999999999", "stoi argument out of range"},
                    RangeCase{"id < 3000000000", "stoi argument out of range"},
                    RangeCase{"//A/2147483648/CA", "stoi argument out of range"},
                    RangeCase{"b 1000000000000000000000000000000000000000", "stof argument out of range"},
                    RangeCase{"ligand around 1000000000000000000000000000000000000000", "stof argument out of range"},
                    RangeCase{"ligand around -1000000000000000000000000000000000000000.5", "stof argument out of range"},
                    // A non-zero value too small for a float underflows.
                    RangeCase{"ligand around 0.000000000000000000000000000000000000000000000001",
                              "stof argument out of range"},
                    RangeCase{"b 0.000000000000000000000000000000000000000000000001", "stof argument out of range"}));

TEST(Parser, ZeroWithManyDigitsIsNotOutOfRange) {
    auto node = ParseSelectionText("b 0.000000000000000000000000000000000000000000000000");
    EXPECT_EQ(Describe(node), "b=[0.000000,0.000000]");
    EXPECT_EQ(Describe(ParseSelectionText("resi 000000000000000000002147483647")), "resi=[2147483647,0]");
}

TEST(Parser, StoresLeafFields) {
    auto wildcard = std::dynamic_pointer_cast<const NamePredicate>(ParseSelectionText("name C*"));
    ASSERT_TRUE(wildcard);
    EXPECT_TRUE(wildcard->hasWildcard);
    auto question = std::dynamic_pointer_cast<const ResnPredicate>(ParseSelectionText("resn A?A"));
    ASSERT_TRUE(question);
    EXPECT_TRUE(question->hasWildcard);
    auto plain = std::dynamic_pointer_cast<const NamePredicate>(ParseSelectionText("name \"C A\""));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->pattern, "C A");
    EXPECT_FALSE(plain->hasWildcard);

    auto iron = std::dynamic_pointer_cast<const ElemPredicate>(ParseSelectionText("elem fE"));
    ASSERT_TRUE(iron);
    EXPECT_EQ(iron->symbol, "Fe");
    EXPECT_EQ(iron->atomicNumber, 26u);

    auto around = std::dynamic_pointer_cast<const AroundPredicate>(ParseSelectionText("water around 4.25"));
    ASSERT_TRUE(around);
    EXPECT_EQ(around->distance, 4.25f);
    EXPECT_EQ(around->inner->GetType(), PredicateType::WATER);

    // The literal is converted as float, not through double.
    auto b = std::dynamic_pointer_cast<const BFactorPredicate>(ParseSelectionText("b 30.1234567"));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->low, 30.1234567f);
}

// Nesting far beyond any real selection is refused rather than exhausting
// the stack; ordinary depths parse.
TEST(Parser, BoundsNesting) {
    std::string nots;
    for (int i = 0; i < 100; ++i) nots += "not ";
    EXPECT_EQ(ParseSelectionText(nots + "water")->GetType(), PredicateType::NOT);
    const std::string parens = std::string(100, '(') + "water" + std::string(100, ')');
    EXPECT_EQ(ParseSelectionText(parens)->GetType(), PredicateType::WATER);

    const std::string deep = std::string(100000, '(') + "water" + std::string(100000, ')');
    EXPECT_THROW(ParseSelectionText(deep), SelectionError);
    std::string manyNots;
    for (int i = 0; i < 100000; ++i) manyNots += "not ";
    EXPECT_THROW(ParseSelectionText(manyNots + "water"), SelectionError);
}

// Parsing keeps no shared state: concurrent parses give the same trees.
TEST(Parser, ParsesConcurrently) {
    const std::vector<std::string> texts = {"byres (ligand around 5) and water", "//A/10/CA",
                                            "resn ALA+GLY+SER and chain A and name CA", "not not byres water",
                                            "(water xor protein) or ligand"};
    std::vector<std::string> expected;
    for (const std::string& text : texts) expected.push_back(Describe(ParseSelectionText(text)));
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                const size_t i = static_cast<size_t>(round + t) % texts.size();
                if (Describe(ParseSelectionText(texts[i])) != expected[i]) ++mismatches[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int count : mismatches) EXPECT_EQ(count, 0);
}

}  // namespace
