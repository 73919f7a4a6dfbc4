// Atom predicates over residue keys, residue names and atom names.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "molecule/molecule.h"
#include "selection/selection.h"
#include "selection/selector.h"

using KaSel::AtomPredicate;
using KaSel::KaHasAtomNameAdvanced;
using KaSel::KaHasResidueName;
using KaSel::KaResidueSelector;
using KaSel::Selector;

namespace {

Kamol::KaAtomBase& AddAtom(Kamol::KaMolBase& mol, const std::string& atomName, const std::string& residueName,
                           int number, const std::string& chainId, char insertCode = ' ') {
    Kamol::KaAtomBase& atom = mol.NewAtom(6);
    atom.SetName(atomName);
    Kamol::KaResidue residue;
    residue.residueName = residueName;
    residue.residueNumber = number;
    residue.chainId = chainId;
    residue.insertCode = insertCode;
    Kamol::SetAtomResidue(atom, residue);
    return atom;
}

// Indices of the atoms of `mol` that `predicate` accepts, in storage order.
std::vector<uint32_t> Accepted(const Kamol::KaMolBase& mol, const AtomPredicate& predicate) {
    std::vector<uint32_t> indices;
    std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>> it(mol.GetAtoms());
    for (; it->IsValid(); it->Next()) {
        if (predicate(it->Current())) indices.push_back(it->Current().GetIndex());
    }
    return indices;
}

}  // namespace

// (pattern, case-sensitive, white-space-sensitive, name, selected) for both
// the atom-name and the residue-name predicate, and for their clones.
TEST(NamePredicates, CompareNormalisedNames) {
    const std::tuple<std::string, bool, bool, std::string, bool> cases[] = {
        {"CA", false, false, "\tCa\t", true}, {" CA", false, false, "ca", true}, {"CA", false, false, "CA1", false},
        {"CA", false, false, "C A", false},   {"CA", false, false, "CA\r", false}, {"CA", true, false, "ca", false},
        {"CA", true, false, " CA ", true},    {"CA", false, true, " CA ", false}, {"CA", false, true, "ca", true},
        {" CA ", true, true, " ca ", false},  {"\xC9", false, false, "\xE9", false}, {"   ", false, false, "", true},
        {"   ", false, false, "A", false},    {"   ", false, true, " ", false}};
    for (const auto& [pattern, caseSensitive, blankSensitive, value, expected] : cases) {
        Kamol::KaGraphMol mol;
        Kamol::KaAtomBase& named = AddAtom(mol, value, "ALA", 1, "A");
        Kamol::KaAtomBase& inResidue = AddAtom(mol, "X", value, 1, "A");
        KaHasAtomNameAdvanced atomName(pattern, caseSensitive, blankSensitive);
        KaHasResidueName residueName(pattern, caseSensitive, blankSensitive);
        std::unique_ptr<AtomPredicate> clone(static_cast<const AtomPredicate&>(atomName).Clone());
        EXPECT_EQ(atomName(named), expected) << pattern << "|" << value;
        EXPECT_EQ((*clone)(named), expected) << pattern << "|" << value;
        EXPECT_EQ(residueName(inResidue), expected) << pattern << "|" << value;
    }
}

TEST(ResidueNamePredicate, ReadsTheDefaultRecordAndStopsAtNul) {
    Kamol::KaGraphMol mol;
    mol.NewAtom(6);                                           // no residue data: "UNL"
    AddAtom(mol, "X", std::string("HIS\0TAIL", 8), 1, "A");  // seen as "HIS"
    AddAtom(mol, "X", "his", 2, "A");
    AddAtom(mol, "X", "HIST", 3, "A");
    EXPECT_EQ(Accepted(mol, KaHasResidueName("unl")), (std::vector<uint32_t>{0}));
    EXPECT_EQ(Accepted(mol, KaHasResidueName("HIS")), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(Accepted(mol, KaHasResidueName("HIS", true)), (std::vector<uint32_t>{1}));
    // The stored name is never cut: a NUL in it cannot match anything read.
    EXPECT_TRUE(Accepted(mol, KaHasResidueName(std::string("HIS\0TAIL", 8))).empty());
    // Atom names stop at their first NUL too.
    Kamol::KaAtomBase& atom = AddAtom(mol, std::string("CA\0B", 4), "ALA", 4, "A");
    EXPECT_TRUE(KaHasAtomNameAdvanced("CA")(atom));
}

// ---- KaResidueSelector ---------------------------------------------------------

class ResidueSelectorTest : public testing::Test {
protected:
    void SetUp() override {
        AddAtom(mol, "N", "ALA", 12, "A");        // 0
        AddAtom(mol, "CA", "ALA", 12, "A");       // 1
        AddAtom(mol, "N", "GLY", 12, "A", 'B');   // 2: insert code B
        AddAtom(mol, "N", "ALA", 12, "B");        // 3: chain B
        AddAtom(mol, "N", "SER", 13, "A");        // 4
        AddAtom(mol, "N", "LIG", -5, "AB");       // 5: chain seen as "A"
        AddAtom(mol, "N", "HOH", 12, "");         // 6: chain seen as blank
        mol.NewAtom(8);                           // 7: default record, key (" ", 1, " ")
        AddAtom(mol, "N", "THR", 12, "A", '\0');  // 8: NUL insert code
    }
    Kamol::KaGraphMol mol;
};

TEST_F(ResidueSelectorTest, MatchesChainNumberAndInsertCodeWhateverTheName) {
    EXPECT_EQ(Accepted(mol, KaResidueSelector("ALA:12: :A")), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(Accepted(mol, KaResidueSelector("XXX:12: :A")), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(Accepted(mol, KaResidueSelector("GLY:12:B:A")), (std::vector<uint32_t>{2}));
    EXPECT_EQ(Accepted(mol, KaResidueSelector("A:12: :B\r\nS:13: :A\r\nL:-5: :A")), (std::vector<uint32_t>{3, 4, 5}));
}

TEST_F(ResidueSelectorTest, KeysNoAtomCanHaveMatchNothing) {
    // Empty insert code, empty or two-character chain, empty list.
    EXPECT_TRUE(Accepted(mol, KaResidueSelector("ALA:12::A")).empty());
    EXPECT_TRUE(Accepted(mol, KaResidueSelector("LIG:-5: :AB")).empty());
    EXPECT_TRUE(Accepted(mol, KaResidueSelector(KaSel::SelectorSet{Selector("ALA", 12, "")})).empty());
    EXPECT_TRUE(Accepted(mol, KaResidueSelector("")).empty());
    EXPECT_TRUE(Accepted(mol, KaResidueSelector(" \r\n;,")).empty());
    // Keys that differ from atom keys in one part only.
    EXPECT_TRUE(Accepted(mol, KaResidueSelector("ALA:11: :A;ALA:12:C:A;ALA:12: :C;LIG:5: :A")).empty());
}

