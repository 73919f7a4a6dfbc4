// Residue classes and their component marks, element classes, hydrogens by
// their neighbours and secondary structure.
#include <tuple>
#include <memory>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "selection/residue_class.h"

namespace {

using namespace evaltest;

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

TEST(ClassPredicates, SelectExactlyTheExpectedAtoms) {
    const std::tuple<const char*, PredicatePtr, Indices> cases[] = {
        {"protein", Make<ProteinPredicate>(), {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"ligand", Make<LigandPredicate>(), {13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 24, 25, 26}},
        {"water", Make<WaterPredicate>(), {9, 10}},
        {"solvent includes water", Make<SolventPredicate>(), {9, 10, 11}},
        {"organic: carbon or bonded to it, not protein or nucleic", Make<OrganicPredicate>(), {11, 13, 14, 24}},
        {"backbone names as stored", Make<BackbonePredicate>(), {0, 1, 2, 3, 8}},
        {"sidechain includes protein hydrogens, not OXT", Make<SidechainPredicate>(), {4, 6, 7}},
        {"capping", Make<CappingPredicate>(), {8}},
        {"metal", Make<MetalPredicate>(), {12, 24, 26}},
        {"heavy excludes Z 0", Make<HeavyPredicate>(), {0, 1, 2, 3, 4, 5, 8, 9, 11, 12, 13, 14, 15, 17, 19, 22, 23, 24, 25, 26}},
        {"polar hydrogen on N, O, S", Make<PolarHydrogenPredicate>(), {6, 10, 16}},
        {"nonpolar hydrogen on C, P or unbonded", Make<NonpolarHydrogenPredicate>(), {7, 18, 20}},
        {"helix by bit 3", Make<HelixPredicate>(), {0, 1, 2, 3, 4, 5, 6, 7, 11, 13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26}},
        {"sheet", Make<SheetPredicate>(), {13, 14, 15, 16, 17, 18, 19, 20, 23, 24, 25, 26}},
        {"turn", Make<TurnPredicate>(), {8}},
        {"loop has none of the bits", Make<LoopPredicate>(), {9, 10, 12, 21, 22}}};
    for (const auto& [label, root, expected] : cases) {
        MoleculeBuilder perAtom, batch;
        BuildComplex(perAtom);
        BuildComplex(batch);
        EXPECT_EQ(PerAtom(perAtom.molecule, *root), expected) << label;
        EXPECT_EQ(Batch(batch.molecule, *root), expected) << label;
    }
}

// ---- the marks -------------------------------------------------------------------------

KaSystem::KaTag ComponentTag() { return KaSystem::TagFromName("KaSel_Component"); }

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

// The ends of each metal range and the elements just outside them.
TEST(ClassPredicates, MetalRanges) {
    MoleculeBuilder b;
    for (uint32_t z : {2, 3, 4, 13, 14, 18, 19, 30, 31, 36, 37, 42, 48, 49, 54, 55, 80, 81}) b.Add(z, "X");
    const Indices metals{1, 3, 6, 7, 10, 11, 12, 15, 16};  // Li, Al, K, Zn, Rb, Mo, Cd, Cs, Hg
    EXPECT_EQ(PerAtom(b.molecule, MetalPredicate()), metals);
    EXPECT_EQ(Batch(b.molecule, MetalPredicate()), metals);
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
