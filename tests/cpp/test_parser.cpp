// Parser: tree shapes built by the operand stack and group frames, keyword
// spellings, failures with their messages, and number conversion limits.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

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

TEST(Parser, BuildsTheTreeOfTheOperandStackAndGroupFrames) {
    const std::pair<const char*, const char*> cases[] = {
        // One node per run of the same operator, operands in written order.
        {"water and protein and ligand", "and(water,protein,ligand)"},
        {"(water and protein) and ligand", "and(and(water,protein),ligand)"},
        {"water or protein and ligand", "or(water,and(protein,ligand))"},
        // Prefixes bind looser than a distance suffix, tighter than "and".
        {"not ligand around 5", "not(around5.000000(ligand))"}, {"byres ligand around 5", "byres(around5.000000(ligand))"},
        {"byres ligand and water", "and(byres(ligand),water)"}, {"not not water", "not(not(water))"},
        // A "not" before "byres" is applied at the end of byres' operand.
        {"not byres ligand", "byres(not(ligand))"}, {"not (byres ligand)", "not(byres(ligand))"},
        // "xor" builds nothing: the last operand is the result.
        {"water and metal XOR protein or ligand", "or(protein,ligand)"},
        {"not (not water and protein)", "not(and(not(water),protein))"},
        {"(ligand around 5) around 3", "around3.000000(around5.000000(ligand))"},
        {"ligand beyond 10", "beyond10.000000(ligand)"}, {"ligand\taround\n-6.", "around-6.000000(ligand)"},
        {" \t\nwater\n\r\v\f", "water"}, {"name \"C A\"+CB+\"\"", "or(name:C A,name:CB,name:)"},
        {"resi 20-10", "resi..[20,10]"}, {"resi <10", "resi<[10,0]"}, {"resi >=007", "resi>=[7,0]"},
        {"resi 000000000000000000002147483647", "resi=[2147483647,0]"}, {"index 3-4", "index..[3,4]"},
        {"serial 5", "id=[5,0]"}, {"frag 1-3", "frag..[1,3]"}, {"bfactor < 20.", "b<[20.000000,0.000000]"},
        {"B 10-20.5", "b..[10.000000,20.500000]"}, {"b 0.00000000000000000000000000000000000000000000", "b=[0.000000,0.000000]"},
        {"elem c", "elem:C"}, {"//A/10/CA", "and(chain:A,resi=[10,0],name:CA)"}, {"////CA", "name:CA"},
        {"///0/", "resi=[0,0]"}, {"////", "all"}, {"none", "none"}};
    for (auto [text, shape] : cases) EXPECT_EQ(Describe(ParseSelectionText(text)), shape) << text;
    // The literal is converted as float, not through double.
    EXPECT_EQ(std::dynamic_pointer_cast<const BFactorPredicate>(ParseSelectionText("b 30.1234567"))->low, 30.1234567f);
}

TEST(Parser, RejectsTextsWithTheirMessages) {
    for (std::string text : {" ", "name CA + CB", "name CA+", "name \"CA", "resi<10", "resi 10 - 20", "resi -5",
                             "resi = 10", "resi 10-", "chain AB", "elem FEX", "b .5", "b 1e5", "ligand around 5 around 3",
                             "ligand around .5", "not(water)", "byres(ligand)", "water andprotein", "water and protein)",
                             "(water", "()", "proteins", "polar-hydrogen", "water xor", "or water", "// A//", "//AB//",
                             "/A/10/CA", "all all"}) {
        try {
            ParseSelectionText(text);
            ADD_FAILURE() << "parsed: " << text;
        } catch (const SelectionError& error) {
            EXPECT_EQ(std::string(error.what()), "Failed to parse selection: " + text);
        }
    }
    // Numbers too large (or too small) for their type keep the standard error.
    const std::pair<const char*, const char*> outOfRange[] = {
        {"resi 2147483648", "stoi argument out of range"}, {"index 4294967295", "stoi argument out of range"},
        {"//A/2147483648/CA", "stoi argument out of range"},
        {"ligand around -1000000000000000000000000000000000000000.5", "stof argument out of range"},
        {"b 0.000000000000000000000000000000000000000000000001", "stof argument out of range"}};
    for (auto [text, message] : outOfRange) {
        try {
            ParseSelectionText(text);
            ADD_FAILURE() << "parsed: " << text;
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), message) << text;
        }
    }
}

// Nesting far beyond any real selection is refused rather than exhausting
// the stack; ordinary depths parse.
TEST(Parser, BoundsNesting) {
    std::string nots;
    for (int i = 0; i < 100; ++i) nots += "not ";
    EXPECT_EQ(ParseSelectionText(nots + "water")->GetType(), PredicateType::NOT);
    EXPECT_EQ(ParseSelectionText(std::string(100, '(') + "water" + std::string(100, ')'))->GetType(), PredicateType::WATER);
    EXPECT_THROW(ParseSelectionText(std::string(100000, '(') + "water" + std::string(100000, ')')), SelectionError);
    std::string manyNots;
    for (int i = 0; i < 100000; ++i) manyNots += "not ";
    EXPECT_THROW(ParseSelectionText(manyNots + "water"), SelectionError);
}

}  // namespace
