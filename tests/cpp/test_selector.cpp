// Residue selector records, their text form, ordering and the selector-set functions.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "molecule/io.h"
#include "molecule/molecule.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/selector.h"

using KaSel::Selector;
using KaSel::SelectorSet;
using KaSel::SelectionError;

namespace {

struct Fields {
    std::string name;
    int number;
    std::string insertCode;
    std::string chain;
};

void ExpectFields(const Selector& s, const Fields& f) {
    EXPECT_EQ(s.name, f.name);
    EXPECT_EQ(s.residue_number, f.number);
    EXPECT_EQ(s.insert_code, f.insertCode);
    EXPECT_EQ(s.chain, f.chain);
}

// The message of the SelectionError that `call` throws, or a marker when it
// throws nothing or something else.
template <class Call>
std::string SelectionErrorOf(Call call) {
    try {
        call();
    } catch (const SelectionError& e) {
        EXPECT_EQ(e.Position(), 0u);
        return e.what();
    } catch (const std::exception& e) {
        return std::string("<other exception> ") + e.what();
    }
    return "<no exception>";
}

std::string FormatError(const std::string& text) {
    return "Invalid selector format: " + text + " (expected NAME:NUMBER:ICODE:CHAIN)";
}

std::string NumberError(const std::string& field) { return "Invalid residue number in selector: " + field; }

std::vector<std::string> Texts(const SelectorSet& set) {
    std::vector<std::string> texts;
    for (const Selector& s : set) texts.push_back(s.ToString());
    return texts;
}

Kamol::KaAtomBase& AddResidueAtom(Kamol::KaMolBase& mol, const std::string& name, int number,
                                   const std::string& chainId, char insertCode = ' ') {
    Kamol::KaAtomBase& atom = mol.NewAtom(6);
    Kamol::KaResidue residue;
    residue.residueName = name;
    residue.residueNumber = number;
    residue.chainId = chainId;
    residue.insertCode = insertCode;
    Kamol::SetAtomResidue(atom, residue);
    return atom;
}

}  // namespace

// ---- construction and text form --------------------------------------------

TEST(Selector, ConstructorsFillDefaultsAndTakeArgumentsVerbatim) {
    ExpectFields(Selector(), {"", 0, " ", ""});
    ExpectFields(Selector(" ala ", -4, "AB"), {" ala ", -4, " ", "AB"});
    ExpectFields(Selector("ALA", 7, "A", ""), {"ALA", 7, "", "A"});
}

struct ParseCase {
    std::string text;
    Fields expected;
};

class SelectorFromString : public testing::TestWithParam<ParseCase> {};

TEST_P(SelectorFromString, ReadsFieldsInTextOrder) {
    ExpectFields(Selector::FromString(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, SelectorFromString,
    testing::Values(ParseCase{"ALA:12: :A", {"ALA", 12, " ", "A"}},
                    ParseCase{" ALA : 12 : B :A", {"ALA", 12, "B", "A"}},
                    ParseCase{"\tGLY\t:\t3\t:B:\tC ", {"GLY", 3, "B", "C"}},
                    ParseCase{"ALA:12::A", {"ALA", 12, "", "A"}},
                    ParseCase{"ALA:12: :A:", {"ALA", 12, " ", "A"}},
                    ParseCase{":12: :A", {"", 12, " ", "A"}},
                    // Fields of only blanks and tabs are kept as written.
                    ParseCase{"UNL:1: : ", {"UNL", 1, " ", " "}},
                    ParseCase{" :5:\t\t: \t", {" ", 5, "\t\t", " \t"}},
                    // Carriage returns are not trimmed from fields.
                    ParseCase{"ALA:12: :A\r", {"ALA", 12, " ", "A\r"}},
                    ParseCase{"ALA:+7: :A", {"ALA", 7, " ", "A"}},
                    ParseCase{"ALA:-3: :A", {"ALA", -3, " ", "A"}},
                    ParseCase{"ALA:12x: :A", {"ALA", 12, " ", "A"}},
                    ParseCase{"ALA:0012: :A", {"ALA", 12, " ", "A"}},
                    ParseCase{"ALA:\n\v 8: :A", {"ALA", 8, " ", "A"}},
                    ParseCase{"ALA:2147483647: :A", {"ALA", INT_MAX, " ", "A"}},
                    ParseCase{"ALA:-2147483648: :A", {"ALA", INT_MIN, " ", "A"}}));

struct RejectCase {
    std::string text;
    std::string message;
};

class SelectorFromStringRejects : public testing::TestWithParam<RejectCase> {};

TEST_P(SelectorFromStringRejects, WithTheDocumentedMessage) {
    EXPECT_EQ(SelectionErrorOf([&] { Selector::FromString(GetParam().text); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    FieldCount, SelectorFromStringRejects,
    testing::Values(RejectCase{"", FormatError("")},
                    RejectCase{"ALA", FormatError("ALA")},
                    RejectCase{"ALA:12: :", FormatError("ALA:12: :")},
                    RejectCase{"ALA:12:A:", FormatError("ALA:12:A:")},
                    RejectCase{"ALA:12: :A::", FormatError("ALA:12: :A::")},
                    RejectCase{"  ALA:12: :A:B  ", FormatError("  ALA:12: :A:B  ")},
                    RejectCase{":::", FormatError(":::")}));

INSTANTIATE_TEST_SUITE_P(
    Number, SelectorFromStringRejects,
    testing::Values(RejectCase{"ALA:x: :A", NumberError("x")},
                    RejectCase{"ALA: x : :A", NumberError("x")},
                    RejectCase{"ALA:: :A", NumberError("")},
                    RejectCase{"ALA: \t: :A", NumberError(" \t")},
                    RejectCase{"ALA:-: :A", NumberError("-")},
                    RejectCase{"ALA:+-1: :A", NumberError("+-1")},
                    RejectCase{"ALA:x12: :A", NumberError("x12")},
                    RejectCase{"ALA:99999999999: :A", NumberError("99999999999")},
                    RejectCase{"ALA:2147483648: :A", NumberError("2147483648")},
                    RejectCase{"ALA:-2147483649: :A", NumberError("-2147483649")},
                    RejectCase{"ALA:18446744073709551617: :A", NumberError("18446744073709551617")}));

TEST(Selector, ToStringWritesFieldsUntouched) {
    EXPECT_EQ(Selector("ALA", 12, "A").ToString(), "ALA:12: :A");
    EXPECT_EQ(Selector("ALA", -3, "A", "B").ToString(), "ALA:-3:B:A");
    EXPECT_EQ(Selector(" x ", 0, "", "").ToString(), " x :0::");
    EXPECT_EQ(Selector("G", INT_MIN, "AB", "  ").ToString(), "G:-2147483648:  :AB");
}

TEST(Selector, TextRoundTripKeepsEveryField) {
    for (const Selector& s : {Selector("ALA", 12, "A"), Selector("HOH", -7, "W", "Z"), Selector("", 0, "A", ""),
                              Selector("LIG", INT_MAX, "X", " "), Selector("UNL", 1, " ", " ")}) {
        Selector back = Selector::FromString(s.ToString());
        EXPECT_EQ(back, s) << s.ToString();
        EXPECT_EQ(back.ToString(), s.ToString());
    }
    // An empty chain writes a text with three fields, which does not read back.
    EXPECT_EQ(SelectionErrorOf([] { Selector::FromString(Selector("ALA", 12, "").ToString()); }),
              FormatError("ALA:12: :"));
}

// ---- ordering and equality ---------------------------------------------------

struct OrderCase {
    Selector a;
    Selector b;
    bool less;   // a < b
    bool equal;  // a == b
};

class SelectorOrdering : public testing::TestWithParam<OrderCase> {};

TEST_P(SelectorOrdering, AllSixOperatorsAgree) {
    const auto& [a, b, less, equal] = GetParam();
    bool greater = b < a;
    EXPECT_EQ(a < b, less);
    EXPECT_EQ(a > b, greater);
    EXPECT_EQ(a <= b, !greater);
    EXPECT_EQ(a >= b, !less);
    EXPECT_EQ(a == b, equal);
    EXPECT_EQ(a != b, !equal);
    EXPECT_EQ(b == a, equal);
    EXPECT_FALSE(less && greater);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, SelectorOrdering,
    testing::Values(
        // The name takes no part in the order but does in equality.
        OrderCase{Selector("ALA", 1, "A"), Selector("GLY", 1, "A"), false, false},
        OrderCase{Selector("ALA", 1, "A"), Selector("ALA", 1, "A"), false, true},
        // Chain before number, number before insert code.
        OrderCase{Selector("X", 5, "A"), Selector("X", 1, "B"), true, false},
        OrderCase{Selector("X", 1, "B"), Selector("X", 5, "A"), false, false},
        OrderCase{Selector("X", 1, "A", "Z"), Selector("X", 2, "A", "A"), true, false},
        OrderCase{Selector("X", -1, "A"), Selector("X", 0, "A"), true, false},
        OrderCase{Selector("X", INT_MIN, "A"), Selector("X", INT_MAX, "A"), true, false},
        OrderCase{Selector("X", 1, "A", " "), Selector("X", 1, "A", "A"), true, false},
        OrderCase{Selector("X", 1, "A", ""), Selector("X", 1, "A", " "), true, false},
        // A prefix sorts first; bytes compare unsigned.
        OrderCase{Selector("X", 9, "A"), Selector("X", 1, "AB"), true, false},
        OrderCase{Selector("X", 1, ""), Selector("X", 1, " "), true, false},
        OrderCase{Selector("X", 1, "Z"), Selector("X", 1, "\xE9"), true, false}));

TEST(SelectorSetLookup, KeysIgnoreTheNameButNotTheInsertCode) {
    SelectorSet set;
    set.insert(Selector("ALA", 12, "A"));
    EXPECT_FALSE(set.insert(Selector("GLY", 12, "A")).second);
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set.begin()->name, "ALA");
    EXPECT_EQ(set.count(Selector("ANY", 12, "A", " ")), 1u);
    EXPECT_EQ(set.count(Selector("ALA", 12, "A", "")), 0u);
    EXPECT_EQ(set.count(Selector::FromString("ALA:12::A")), 0u);
}

// ---- parse_selector_set ------------------------------------------------------

struct ListCase {
    std::string text;
    std::vector<std::string> expected;  // in set order
};

class ParseSelectorSet : public testing::TestWithParam<ListCase> {};

TEST_P(ParseSelectorSet, SplitsTrimsAndKeepsFirstPerKey) {
    EXPECT_EQ(Texts(KaSel::parse_selector_set(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseSelectorSet,
    testing::Values(ListCase{"", {}}, ListCase{" ,; \n", {}}, ListCase{",,,", {}}, ListCase{"\r\n\r\n", {}},
                    ListCase{"ALA:1: :A", {"ALA:1: :A"}},
                    ListCase{"ALA:1: :A;GLY:1: :A", {"ALA:1: :A"}},
                    ListCase{"GLY:20: :A,ALA:3: :B;SER:1: :A", {"SER:1: :A", "GLY:20: :A", "ALA:3: :B"}},
                    ListCase{"A:1: :A,B:2: :A;C:3: :A&D:4: :A\tE:5: :A\nF:6: :A",
                             {"A:1: :A", "B:2: :A", "C:3: :A", "D:4: :A", "E:5: :A", "F:6: :A"}},
                    ListCase{",;&\t\nA:1: :A,;&\t\n,B:2: :A&&", {"A:1: :A", "B:2: :A"}},
                    // Blanks and CR around a piece go; the blank insert code inside stays.
                    ListCase{"  ALA:10: :A  ,\r GLY:11:B:A\r", {"ALA:10: :A", "GLY:11:B:A"}},
                    ListCase{"ALA:10::A", {"ALA:10::A"}}));

TEST(ParseSelectorSet, CrLfListParsesLikeLfList) {
    const std::string lf = "ALA:10: :A\nGLY:11: :A\nHOH:301: :W\n";
    const std::string crlf = "ALA:10: :A\r\nGLY:11: :A\r\nHOH:301: :W\r\n";
    SelectorSet fromLf = KaSel::parse_selector_set(lf);
    SelectorSet fromCrLf = KaSel::parse_selector_set(crlf);
    ASSERT_EQ(fromCrLf.size(), 3u);
    EXPECT_TRUE(std::equal(fromLf.begin(), fromLf.end(), fromCrLf.begin(), fromCrLf.end()));
    for (const Selector& s : fromCrLf) EXPECT_EQ(s.chain.find('\r'), std::string::npos) << s.ToString();
}

TEST(ParseSelectorSet, LongSeparatorRunsDoNotExhaustTheStack) {
    std::string text = "ALA:1: :A" + std::string(300000, ',') + std::string(300000, '\n') + "GLY:2: :A";
    EXPECT_EQ(Texts(KaSel::parse_selector_set(text)), (std::vector<std::string>{"ALA:1: :A", "GLY:2: :A"}));
}

class ParseSelectorSetRejects : public testing::TestWithParam<RejectCase> {};

TEST_P(ParseSelectorSetRejects, WholeListFailsWithThePieceMessage) {
    EXPECT_EQ(SelectionErrorOf([&] { KaSel::parse_selector_set(GetParam().text); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseSelectorSetRejects,
    testing::Values(
        // A blank does not separate.
        RejectCase{"ALA:10: :A GLY:11: :A", FormatError("ALA:10: :A GLY:11: :A")},
        // The piece trim removes a blank chain.
        RejectCase{"ALA:12:B: ", FormatError("ALA:12:B:")},
        RejectCase{"ALA:1: :A\nUNL:1: : \n", FormatError("UNL:1: :")},
        // Good pieces before the bad one do not make a partial result.
        RejectCase{"ALA:1: :A;GLY:2: :A;SER:x: :A;THR:4: :A", NumberError("x")},
        RejectCase{"ALA:1: :A\r\nGLY:2: :A:B\r\n", FormatError("GLY:2: :A:B")},
        // The first bad piece decides the message.
        RejectCase{"ALA:y: :A,GLY", NumberError("y")}));

// ---- residues of molecules ------------------------------------------------------

TEST(SelectorFromAtom, ReadsTheResidueRecord) {
    Kamol::KaGraphMol mol;
    Kamol::KaAtomBase& plain = mol.NewAtom(6);
    Kamol::KaAtomBase& full = AddResidueAtom(mol, "ALA", -12, "B", 'C');
    Kamol::KaAtomBase& emptyChain = AddResidueAtom(mol, "GLY", 5, "");
    Kamol::KaAtomBase& longChain = AddResidueAtom(mol, "SER", 6, "XY");
    Kamol::KaAtomBase& nulInName = AddResidueAtom(mol, std::string("HI\0S", 4), 7, "A");

    // No residue data reads the default record.
    ExpectFields(Selector::FromAtom(plain), {"UNL", 1, " ", " "});
    EXPECT_EQ(KaSel::get_selector_string(plain), "UNL:1: : ");
    ExpectFields(Selector::FromString(KaSel::get_selector_string(plain)), {"UNL", 1, " ", " "});

    ExpectFields(Selector::FromAtom(full), {"ALA", -12, "C", "B"});
    EXPECT_EQ(KaSel::get_selector_string(full), "ALA:-12:C:B");
    EXPECT_EQ(KaSel::get_selector_string(emptyChain), "GLY:5: : ");
    EXPECT_EQ(KaSel::get_selector_string(longChain), "SER:6: :X");
    EXPECT_EQ(KaSel::get_selector_string(nulInName), "HI:7: :A");
}

TEST(MolToSelectorSet, OneEntryPerKeyNamedAfterTheFirstAtom) {
    Kamol::KaGraphMol mol;
    AddResidueAtom(mol, "ALA", 1, "A");
    AddResidueAtom(mol, "ALA", 1, "A");
    AddResidueAtom(mol, "GLY", 2, "A");
    AddResidueAtom(mol, "SER", 1, "A");   // key of the first residue again, later and with another name
    AddResidueAtom(mol, "GLY", 2, "A", 'B');
    AddResidueAtom(mol, "HOH", 1, "WX");  // the chain keeps its first character only
    AddResidueAtom(mol, "HOH", 1, "W");   // same key as the line above
    Kamol::KaAtomBase& gone = AddResidueAtom(mol, "DEL", 9, "A");
    mol.NewAtom(8);  // default residue
    ASSERT_TRUE(mol.DeleteAtom(gone));

    EXPECT_EQ(Texts(KaSel::mol_to_selector_set(mol)),
              (std::vector<std::string>{"UNL:1: : ", "ALA:1: :A", "GLY:2: :A", "GLY:2:B:A", "HOH:1: :W"}));
    EXPECT_TRUE(KaSel::mol_to_selector_set(Kamol::KaGraphMol()).empty());
}

TEST(StrSelectorSet, TextsOfSelectedResiduesInByteOrder) {
    Kamol::KaGraphMol mol;
    AddResidueAtom(mol, "GLY", 2, "A");
    AddResidueAtom(mol, "GLY", 2, "A");
    AddResidueAtom(mol, "ALA", 10, "A");
    AddResidueAtom(mol, "SER", 10, "A");  // same key, other name: a separate text
    AddResidueAtom(mol, "HOH", 5, "B");
    AddResidueAtom(mol, "GLY", 2, "A");   // repeats an earlier text

    EXPECT_EQ(KaSel::str_selector_set(mol, ""),
              (KaSel::StringSet{"ALA:10: :A", "GLY:2: :A", "HOH:5: :B", "SER:10: :A"}));
    EXPECT_EQ(KaSel::str_selector_set(mol, "chain B"), (KaSel::StringSet{"HOH:5: :B"}));
    EXPECT_EQ(KaSel::str_selector_set(mol, "resi 10"), (KaSel::StringSet{"ALA:10: :A", "SER:10: :A"}));
    EXPECT_TRUE(KaSel::str_selector_set(mol, "chain C").empty());
    EXPECT_THROW(KaSel::str_selector_set(mol, "chain AB"), SelectionError);
}

// ---- a binding site of a real complex ------------------------------------------

TEST(SelectorRoundTrip, BindingSiteOfAProteaseComplex) {
    std::unique_ptr<Kamol::KaGraphMol> mol = Kamol::ReadMolecule(KASELECT_DATA_DIR "/1hpv.pdb");
    const std::string site = "protein and (ligand around 5)";

    // List the site, write it as a CR LF text file would hold it, read it back.
    KaSel::StringSet texts = KaSel::str_selector_set(*mol, site);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.count("ASP:25: :A"), 1u);  // the catalytic aspartates of both chains
    EXPECT_EQ(texts.count("ASP:25: :B"), 1u);
    std::string file;
    for (const std::string& text : texts) file += text + "\r\n";
    SelectorSet parsed = KaSel::parse_selector_set(file);
    std::vector<std::string> back = Texts(parsed);
    EXPECT_EQ(KaSel::StringSet(back.begin(), back.end()), texts);

    // The predicate takes exactly the atoms whose residue key was listed.
    SelectorSet keys;
    for (unsigned int index : KaSel::EvaluateSelection(*mol, site)) {
        keys.insert(Selector::FromAtom(*mol->GetAtom(index)));
    }
    KaSel::KaResidueSelector predicate(parsed);
    std::vector<unsigned int> accepted;
    std::vector<unsigned int> expected;
    std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>> it(mol->GetAtoms());
    for (; it->IsValid(); it->Next()) {
        if (predicate(it->Current())) accepted.push_back(it->Current().GetIndex());
        if (keys.count(Selector::FromAtom(it->Current()))) expected.push_back(it->Current().GetIndex());
    }
    EXPECT_EQ(accepted, expected);
    EXPECT_EQ(accepted, KaSel::EvaluateSelection(*mol, "byres (" + site + ")"));
    EXPECT_GT(accepted.size(), KaSel::EvaluateSelection(*mol, site).size());

    // Waters of this file have a blank chain; their texts end in that blank,
    // which the list's piece trim removes, so such a list does not read back.
    KaSel::StringSet waters = KaSel::str_selector_set(*mol, "water and (ligand around 5)");
    ASSERT_FALSE(waters.empty());
    const std::string first = *waters.begin();
    EXPECT_EQ(first.back(), ' ');
    EXPECT_EQ(SelectionErrorOf([&] { KaSel::parse_selector_set(first + "\n"); }),
              FormatError(first.substr(0, first.size() - 1)));
}
