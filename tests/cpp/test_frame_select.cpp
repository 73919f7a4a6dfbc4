// Selections over frames: the bulk coordinate setter moves only the
// coordinates version, and FrameSelect answers each frame as a fresh
// EvaluateSelection would while evaluating the coordinate-free parts once.
#include <random>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "molecule/io.h"
#include "selection/distance_mask.h"
#include "selection/frame_select.h"
#include "selection/molecule_cache.h"

namespace {

using namespace evaltest;

// The live atoms' coordinates moved by up to `amplitude` on each axis.
std::vector<float> Jittered(const Kamol::KaMolBase& mol, std::mt19937& random, float amplitude) {
    std::uniform_real_distribution<float> shift(-amplitude, amplitude);
    std::vector<float> xyz;
    for (uint32_t index : mol.Columns().live)
        for (int k = 0; k < 3; ++k) xyz.push_back(mol.CoordTable()[size_t(index) * 3 + k] + shift(random));
    return xyz;
}

TEST(LiveCoords, SetsLiveAtomsInStorageOrderAndMovesOnlyTheCoordinatesVersion) {
    MoleculeBuilder b;
    for (int i = 0; i < 4; ++i) b.Add(6, "C", Residue("ALA", i), float(i), 0, 0);
    ASSERT_TRUE(b.molecule.DeleteAtom(*b.molecule.GetAtom(1)));
    const uint64_t structure = b.molecule.StructureVersion(), data = b.molecule.AtomDataVersion();
    const uint64_t coords = b.molecule.CoordsVersion();
    const std::vector<float> before = b.molecule.CoordTable();
    EXPECT_FALSE(b.molecule.SetLiveCoords(std::vector<float>(12, 5.0f)));  // 4 rows for 3 live atoms
    EXPECT_EQ(b.molecule.CoordTable(), before);
    EXPECT_EQ(b.molecule.CoordsVersion(), coords);
    ASSERT_TRUE(b.molecule.SetLiveCoords(std::vector<float>{10, 11, 12, 20, 21, 22, 30, 31, 32}));
    // Atom 1 was deleted and keeps its last coordinates.
    EXPECT_EQ(b.molecule.CoordTable(), (std::vector<float>{10, 11, 12, 1, 0, 0, 20, 21, 22, 30, 31, 32}));
    EXPECT_GT(b.molecule.CoordsVersion(), coords);
    EXPECT_EQ(b.molecule.StructureVersion(), structure);
    EXPECT_EQ(b.molecule.AtomDataVersion(), data);
}

// Counts the atoms it is asked about; selects residue ALA.
class CountingAla : public Predicate {
public:
    explicit CountingAla(int& count) : count_(count) {}
    bool Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const override {
        ++count_;
        return Kamol::GetAtomResidue(atom).residueName == "ALA";
    }
    std::string ToString() const override { return "resn ALA"; }
    PredicateType GetType() const override { return PredicateType::RESN; }

private:
    int& count_;
};

// After new coordinates the distance test answers for them, while the
// coordinate-free operands (a counted one and the protein class) are not
// asked again, nor the residue numbering and class marks rebuilt.
TEST(FrameSelect, RecomputesDistancesOnlyAfterNewCoordinates) {
    MoleculeBuilder b;
    b.Add(6, "C1", Residue("LIG", 900), 0, 0, 0);
    for (int i = 1; i <= 20; ++i) b.Add(6, "CA", Residue(i % 2 ? "ALA" : "GLY", i), float(i), 0, 0);
    int asked = 0;
    PredicatePtr root = Make<ByResPredicate>(And({std::make_shared<CountingAla>(asked), Make<ProteinPredicate>(),
                                                  Make<AroundPredicate>(2.5f, Make<LigandPredicate>())}));
    FrameSelect frames(b.molecule, root);
    EXPECT_EQ(frames.Select(), (Indices{1}));
    EXPECT_EQ(asked, 21);
    const uint64_t structure = b.molecule.StructureVersion(), data = b.molecule.AtomDataVersion();
    const uint64_t residuesVersion = CacheOf(b.molecule).residuesVersion;
    ASSERT_NE(KeptAtomGrid(b.molecule, 2.5f), nullptr);

    for (float ligandX : {9.0f, 15.5f, 40.0f}) {
        std::vector<float> xyz(b.molecule.CoordTable());
        xyz[0] = ligandX;
        ASSERT_TRUE(b.molecule.SetLiveCoords(xyz));
        EXPECT_EQ(KeptAtomGrid(b.molecule, 2.5f), nullptr);  // the grid was for the old coordinates
        Indices expected;
        for (uint32_t i = 1; i <= 20; i += 2)
            if (std::abs(float(i) - ligandX) < 2.5f) expected.push_back(i);
        EXPECT_EQ(frames.Select(), expected) << ligandX;
        EXPECT_EQ(Batch(b.molecule, *root), expected) << ligandX;
    }
    EXPECT_EQ(asked, 21 + 3 * 21);  // only the fresh Batch evaluations asked again
    EXPECT_EQ(b.molecule.StructureVersion(), structure);
    EXPECT_EQ(b.molecule.AtomDataVersion(), data);
    EXPECT_EQ(CacheOf(b.molecule).residuesVersion, residuesVersion);

    // A structure change drops the kept results: renaming LIG to ALA is seen.
    Kamol::SetAtomResidue(*b.molecule.GetAtom(0), Residue("ALA", 900));
    asked = 0;
    (void)frames.Select();
    EXPECT_EQ(asked, 21);
}

// Every frame answers as EvaluateSelection does on the same coordinates.
TEST(FrameSelect, AgreesWithEvaluateSelectionOnEveryFrame) {
    std::unique_ptr<Kamol::KaMolBase> mol(Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/1hpv.pdb"));
    const char* texts[] = {"water and protein around 3.5", "byres (ligand around 5)",
                           "not (ligand beyond 6) or resi 10-20", "bychain (water expand 3) and not backbone",
                           "(ligand around 4) around 2 and name CA", "protein and resn ALA", "all"};
    std::vector<std::unique_ptr<FrameSelect>> selects;
    for (const char* text : texts) selects.push_back(std::make_unique<FrameSelect>(*mol, KaSelection::Parse(text)));
    std::mt19937 random(11);
    for (int frame = 0; frame < 4; ++frame) {
        if (frame) {
            ASSERT_TRUE(mol->SetLiveCoords(Jittered(*mol, random, 1.5f)));
        }
        for (size_t k = 0; k < selects.size(); ++k)
            EXPECT_EQ(selects[k]->Select(), EvaluateSelection(*mol, texts[k])) << texts[k] << ", frame " << frame;
    }
}

}  // namespace
