// Residue classes and their component marks, element classes, hydrogens by
// their neighbours and secondary structure.
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "selection/residue_class.h"
#include "stderr_capture.h"

namespace {

using namespace evaltest;

// ---- residue-name tables ----------------------------------------------------------

struct NameCase {
    const char* name;
    int component;
};

class ClassifyTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ClassifyTest, LooksNamesUpExactlyAfterStrippingWhiteSpace) {
    EXPECT_EQ(ClassifyResidueName(GetParam().name), GetParam().component) << '"' << GetParam().name << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ClassifyTest,
    ::testing::Values(NameCase{"HOH", ComponentWater}, NameCase{" HOH", ComponentWater}, NameCase{"TIP3\t\n", ComponentWater},
                      NameCase{"hoh", ComponentLigand}, NameCase{"ALA", ComponentProtein}, NameCase{"NME", ComponentProtein},
                      NameCase{"MSE", ComponentProtein}, NameCase{"DA", ComponentNucleic}, NameCase{"U", ComponentNucleic},
                      NameCase{"CA", ComponentCofactor}, NameCase{"HEM", ComponentCofactor}, NameCase{"GOL", ComponentSolvent},
                      NameCase{"EDO", ComponentSolvent}, NameCase{"UNL", ComponentLigand}, NameCase{"", ComponentLigand},
                      NameCase{"  ", ComponentLigand}, NameCase{"AL A", ComponentLigand}, NameCase{"TIP4", ComponentLigand}));

// ---- class predicates on a small complex --------------------------------------------

// Index: atom.
//  0 N "N"    ALA   1 C "CA" ALA   2 C "C" ALA   3 O "O" ALA   4 C " CA " ALA
//  5 O "OXT"  ALA   6 H "H"  ALA (on 0)   7 H "HA" ALA (on 1)   8 C "C" ACE
//  9 O HOH   10 H HOH (on 9)   11 C GOL   12 Zn ZN   13 C LIG   14 N LIG (on 13)
// 15 O LIG   16 H LIG (on 17)  17 S LIG   18 H LIG (on 19)   19 P LIG   20 H LIG
// 21 Z=0, no residue   22 C DA   23 Be LIG   24 Li LIG (on 13)   25 Ga LIG   26 Hg LIG
void BuildComplex(MoleculeBuilder& b) {
    Kamol::KaResidue ala = Residue("ALA", 1);
    ala.secondaryStructure = 10;  // helix, class 1
    Kamol::KaResidue ace = Residue("ACE", 0);
    ace.secondaryStructure = Kamol::kTurnFlag;
    Kamol::KaResidue lig = Residue("LIG", 900);
    lig.secondaryStructure = Kamol::kSheetFlag | Kamol::kHelixFlag;
    Kamol::KaResidue gol = Residue("GOL", 800);
    gol.secondaryStructure = 138;
    b.Add(7, "N", ala);
    b.Add(6, "CA", ala);
    b.Add(6, "C", ala);
    b.Add(8, "O", ala);
    b.Add(6, " CA ", ala);
    b.Add(8, "OXT", ala);
    b.Add(1, "H", ala);
    b.Add(1, "HA", ala);
    b.Add(6, "C", ace);
    b.Add(8, "O", Residue("HOH", 500));
    b.Add(1, "H1", Residue("HOH", 500));
    b.Add(6, "C1", gol);
    b.Add(30, "ZN", Residue("ZN", 600));
    for (auto [z, name] : {std::pair{6u, "C1"}, {7u, "N1"}, {8u, "O1"}, {1u, "HS"}, {16u, "S"}, {1u, "HP"}, {15u, "P"}, {1u, "HX"}})
        b.Add(z, name, lig);
    b.Add(0, "DU");
    b.Add(6, "C2'", Residue("DA", 700));
    for (auto [z, name] : {std::pair{4u, "BE"}, {3u, "LI"}, {31u, "GA"}, {80u, "HG"}}) b.Add(z, name, lig);
    b.Bond(6, 0);
    b.Bond(7, 1);
    b.Bond(10, 9);
    b.Bond(14, 13);
    b.Bond(16, 17);
    b.Bond(18, 19);
    b.Bond(24, 13);
}

struct ClassCase {
    const char* label;
    std::function<PredicatePtr()> make;
    Indices expected;
};

void PrintTo(const ClassCase& c, std::ostream* out) { *out << c.label; }

class ClassTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(ClassTest, SelectsExactlyTheExpectedAtoms) {
    MoleculeBuilder perAtom, batch;
    BuildComplex(perAtom);
    BuildComplex(batch);
    PredicatePtr root = GetParam().make();
    EXPECT_EQ(PerAtom(perAtom.molecule, *root), GetParam().expected);
    EXPECT_EQ(Batch(batch.molecule, *root), GetParam().expected);
}

template <class Node>
std::function<PredicatePtr()> Node_() {
    return [] { return Make<Node>(); };
}

INSTANTIATE_TEST_SUITE_P(
    Classes, ClassTest,
    ::testing::Values(
        ClassCase{"protein", Node_<ProteinPredicate>(), {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        ClassCase{"ligand", Node_<LigandPredicate>(), {13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 24, 25, 26}},
        ClassCase{"water", Node_<WaterPredicate>(), {9, 10}},
        ClassCase{"solvent includes water", Node_<SolventPredicate>(), {9, 10, 11}},
        ClassCase{"organic: carbon or bonded to it, not protein or nucleic", Node_<OrganicPredicate>(), {11, 13, 14, 24}},
        ClassCase{"backbone names as stored", Node_<BackbonePredicate>(), {0, 1, 2, 3, 8}},
        ClassCase{"sidechain includes protein hydrogens, not OXT", Node_<SidechainPredicate>(), {4, 6, 7}},
        ClassCase{"capping", Node_<CappingPredicate>(), {8}},
        ClassCase{"metal", Node_<MetalPredicate>(), {12, 24, 26}},
        ClassCase{"heavy excludes Z 0", Node_<HeavyPredicate>(), {0, 1, 2, 3, 4, 5, 8, 9, 11, 12, 13, 14, 15, 17, 19, 22, 23, 24, 25, 26}},
        ClassCase{"hydrogen", Node_<HydrogenPredicate>(), {6, 7, 10, 16, 18, 20}},
        ClassCase{"polar hydrogen on N, O, S", Node_<PolarHydrogenPredicate>(), {6, 10, 16}},
        ClassCase{"nonpolar hydrogen on C, P or unbonded", Node_<NonpolarHydrogenPredicate>(), {7, 18, 20}},
        ClassCase{"helix by bit 3", Node_<HelixPredicate>(), {0, 1, 2, 3, 4, 5, 6, 7, 11, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26}},
        ClassCase{"sheet", Node_<SheetPredicate>(), {13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26}},
        ClassCase{"turn", Node_<TurnPredicate>(), {8}},
        ClassCase{"loop has none of the bits", Node_<LoopPredicate>(), {9, 10, 12, 21, 22}}));

// ---- the marks -------------------------------------------------------------------------

KaSystem::KaTag TaggedTag() { return KaSystem::TagFromName("KaSel_Tagged"); }
KaSystem::KaTag ComponentTag() { return KaSystem::TagFromName("KaSel_Component"); }

TEST(ComponentMarks, AreWrittenOnFirstUseOnEveryAtomAndTheMolecule) {
    MoleculeBuilder b;
    BuildComplex(b);
    EXPECT_FALSE(b.molecule.HasData(TaggedTag()));
    SelectionContext context(b.molecule);
    EXPECT_FALSE(WaterPredicate().Evaluate(context, *b.molecule.GetAtom(0)));
    const int* tagged = b.molecule.GetData<int>(TaggedTag());
    ASSERT_NE(tagged, nullptr);
    EXPECT_EQ(*tagged, 1);
    const int expected[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 32, 32, 4, 8, 2, 2, 2, 2, 2, 2, 2, 2, 2, 16, 2, 2, 2, 2};
    for (uint32_t i = 0; i < b.molecule.NumAtoms(); ++i) {
        const int* mark = b.molecule.GetAtom(i)->GetData<int>(ComponentTag());
        ASSERT_NE(mark, nullptr) << i;
        EXPECT_EQ(*mark, expected[i]) << i;
    }
}

TEST(ComponentMarks, AreNeverRecomputed) {
    MoleculeBuilder b;
    BuildComplex(b);
    EXPECT_EQ(Batch(b.molecule, ProteinPredicate()).size(), 9u);
    // Renaming a residue and adding atoms afterwards changes no class.
    Kamol::KaResidue renamed = Residue("LIG", 1);
    Kamol::SetAtomResidue(*b.molecule.GetAtom(0), renamed);
    Kamol::KaAtomBase& late = b.Add(6, "CX", Residue("ALA", 2));
    const Indices protein{0, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(PerAtom(b.molecule, ProteinPredicate()), protein);
    EXPECT_EQ(Batch(b.molecule, ProteinPredicate()), protein);
    EXPECT_EQ(Batch(b.molecule, LigandPredicate()).size(), 13u);
    EXPECT_FALSE(late.HasData(ComponentTag()));
    // Organic needs no mark to accept a carbon, only to reject protein atoms.
    Indices organic = Batch(b.molecule, OrganicPredicate());
    EXPECT_EQ(organic.back(), late.GetIndex());
    EXPECT_EQ(PerAtom(b.molecule, OrganicPredicate()), organic);
}

// Marks are written only when a class test actually runs on some atom, in the
// batch form exactly as when the atoms are asked one at a time.
struct UnmarkedCase {
    const char* label;
    std::function<PredicatePtr()> make;
    bool marks;
};

void PrintTo(const UnmarkedCase& c, std::ostream* out) { *out << c.label; }

class MarkingTest : public ::testing::TestWithParam<UnmarkedCase> {};

TEST_P(MarkingTest, MarksExactlyWhenAClassTestRuns) {
    for (bool batch : {false, true}) {
        MoleculeBuilder b;
        BuildComplex(b);
        PredicatePtr root = GetParam().make();
        batch ? (void)Batch(b.molecule, *root) : (void)PerAtom(b.molecule, *root);
        EXPECT_EQ(b.molecule.HasData(TaggedTag()), GetParam().marks) << (batch ? "batch" : "per atom");
    }
}

PredicatePtr Elem(const char* symbol) { return Make<ElemPredicate>(std::string(symbol)); }

INSTANTIATE_TEST_SUITE_P(
    ShortCircuit, MarkingTest,
    ::testing::Values(
        UnmarkedCase{"and stops before protein", [] { return And({Elem("Xe"), Make<ProteinPredicate>()}); }, false},
        UnmarkedCase{"and reaches protein", [] { return And({Elem("Zn"), Make<ProteinPredicate>()}); }, true},
        UnmarkedCase{"or stops before water", [] { return Or({Make<TruePredicateImpl>(), Make<WaterPredicate>()}); }, false},
        UnmarkedCase{"or reaches water", [] { return Or({Elem("C"), Make<WaterPredicate>()}); }, true},
        UnmarkedCase{"organic on a nitrogen bonded to carbon", [] { return And({Elem("N"), Make<OrganicPredicate>()}); }, true},
        UnmarkedCase{"organic on atoms neither carbon nor bonded to it",
                     [] { return And({Elem("O"), Make<OrganicPredicate>()}); }, false},
        UnmarkedCase{"capping and metal need no marks",
                     [] { return Or({Make<CappingPredicate>(), Make<MetalPredicate>(), Make<LoopPredicate>()}); }, false},
        UnmarkedCase{"not over an empty and", [] { return Not(And({Make<FalsePredicateImpl>(), Make<LigandPredicate>()})); },
                     false},
        UnmarkedCase{"around with nothing outside the inner selection",
                     [] { return Make<AroundPredicate>(5.0f, Make<TruePredicateImpl>()); }, false},
        UnmarkedCase{"byres reaching sidechain", [] { return Make<ByResPredicate>(Make<SidechainPredicate>()); }, true}));

TEST(ComponentMarks, PresetTaggedMarkMeansNoMarksAreComputed) {
    MoleculeBuilder b;
    BuildComplex(b);
    b.molecule.SetData<double>(TaggedTag(), 2.5);
    EXPECT_TRUE(Batch(b.molecule, ProteinPredicate()).empty());
    EXPECT_TRUE(PerAtom(b.molecule, LigandPredicate()).empty());
    EXPECT_FALSE(b.molecule.GetAtom(0)->HasData(ComponentTag()));
}

TEST(ComponentMarks, MarkOfAnotherTypeCountsAsNoneWithAWarning) {
    MoleculeBuilder b;
    BuildComplex(b);
    b.molecule.GetAtom(1)->SetData<double>(ComponentTag(), 1.0);
    StderrCapture capture;
    Indices batch = Batch(b.molecule, ProteinPredicate());
    EXPECT_EQ(batch, (Indices{0, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_NE(capture.Text().find("data type mismatch found when using generic data"), std::string::npos);
    EXPECT_EQ(PerAtom(b.molecule, ProteinPredicate()), batch);
}

TEST(ComponentMarks, AtomOfAnotherMoleculeMarksTheBoundOneAndReadsItsOwnMark) {
    MoleculeBuilder bound, other;
    BuildComplex(bound);
    Kamol::KaAtomBase& foreign = other.Add(6, "CA", Residue("ALA"));
    SelectionContext context(bound.molecule);
    EXPECT_FALSE(ProteinPredicate().Evaluate(context, foreign));
    EXPECT_TRUE(bound.molecule.HasData(TaggedTag()));
    EXPECT_FALSE(other.molecule.HasData(TaggedTag()));
    EnsureComponentMarks(other.molecule);
    EXPECT_TRUE(ProteinPredicate().Evaluate(context, foreign));
}

// Marks written, overwritten or removed through the atoms after marking are
// what later selections see, in the batch form as atom by atom.
TEST(ComponentMarks, ChangesMadeThroughTheAtomsAreSeen) {
    MoleculeBuilder b;
    BuildComplex(b);
    EXPECT_EQ(Batch(b.molecule, LigandPredicate()).size(), 13u);
    ASSERT_TRUE(b.molecule.GetAtom(0)->SetData<int>(ComponentTag(), ComponentLigand));
    ASSERT_TRUE(b.molecule.GetAtom(9)->RemoveData(ComponentTag()));
    EXPECT_EQ(*b.molecule.GetAtom(0)->GetData<int>(ComponentTag()), ComponentLigand);
    const Indices protein{1, 2, 3, 4, 5, 6, 7, 8};
    const Indices water{10};
    for (auto select : {Batch, PerAtom}) {
        EXPECT_EQ(select(b.molecule, ProteinPredicate()), protein);
        EXPECT_EQ(select(b.molecule, WaterPredicate()), water);
        EXPECT_EQ(select(b.molecule, LigandPredicate()).front(), 0u);
    }
}

TEST(ComponentMarks, TravelWithACopyOfTheMolecule) {
    MoleculeBuilder b;
    BuildComplex(b);
    const Indices water = Batch(b.molecule, WaterPredicate());
    std::unique_ptr<Kamol::KaMolBase> copy(b.molecule.Clone());
    EXPECT_TRUE(copy->HasData(TaggedTag()));
    EXPECT_EQ(*copy->GetAtom(9)->GetData<int>(ComponentTag()), ComponentWater);
    // A renamed residue in the copy keeps its mark, as in the original.
    Kamol::SetAtomResidue(*copy->GetAtom(9), Residue("LIG", 5));
    EXPECT_EQ(Batch(*copy, WaterPredicate()), water);
    EXPECT_EQ(PerAtom(*copy, WaterPredicate()), water);
}

TEST(ComponentMarks, MoleculeWithoutResidueDataIsAllLigand) {
    MoleculeBuilder b;
    b.Add(6, "C1");
    b.Add(8, "O1");
    b.Add(17, "CL");
    b.Add(9, "F");
    b.Bond(0, 1);
    for (const PredicatePtr& empty : PredicateList{Make<ProteinPredicate>(), Make<WaterPredicate>(),
                                                    Make<SolventPredicate>(), Make<BackbonePredicate>()})
        EXPECT_TRUE(Batch(b.molecule, *empty).empty()) << empty->ToString();
    EXPECT_EQ(Batch(b.molecule, LigandPredicate()), (Indices{0, 1, 2, 3}));
    EXPECT_EQ(Batch(b.molecule, OrganicPredicate()), (Indices{0, 1}));
    EXPECT_EQ(Batch(b.molecule, LoopPredicate()), (Indices{0, 1, 2, 3}));
}

}  // namespace
