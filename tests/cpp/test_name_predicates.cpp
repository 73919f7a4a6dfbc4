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

