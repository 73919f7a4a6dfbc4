// Distance predicates and the indexes behind them: exact float decisions at
// the boundary, shared masks, and the grid and KD-tree paths against a brute
// force computation.
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "selection/distance_mask.h"
#include "selection/molecule_cache.h"

namespace {

using namespace evaltest;

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Squared distance summed in float from zero, x then y then z.
bool WithinBruteForce(const float* a, const float* b, float radius) {
    float sum = 0.0f;
    for (int d = 0; d < 3; ++d) {
        float diff = a[d] - b[d];
        sum = sum + diff * diff;
    }
    return sum < radius * radius;
}

const float* Position(const Kamol::KaMolBase& molecule, uint32_t index) {
    return &molecule.CoordTable()[size_t(index) * 3];
}

// ---- boundary behaviour of the three predicates -----------------------------------

// Atom 0 (residue LIG) is the reference; the others sit at known distances.
void BuildLine(MoleculeBuilder& b) {
    b.Add(8, "O", Residue("LIG"), 0, 0, 0);
    b.Add(6, "C1", Residue("ALA"), 3, 0, 0);
    b.Add(6, "C2", Residue("ALA"), 5, 0, 0);           // exactly 5
    b.Add(6, "C3", Residue("ALA"), 4.9999995f, 0, 0);  // just inside 5
    b.Add(6, "C4", Residue("ALA"), 0, 0, 10);
    b.Add(6, "C5", Residue("ALA"), 3, 4, 0);           // exactly 5 again
    b.Add(6, "C6", Residue("ALA"), 0, 0, -4.99f);
}

TEST(DistancePredicates, AroundExpandBeyondAtTheBoundaries) {
    // (label, distance, inner residue, around, expand, beyond)
    const std::tuple<const char*, float, const char*, Indices, Indices, Indices> cases[] = {
        {"exactly the distance is outside", 5.0f, "LIG", {1, 3, 6}, {0, 1, 3, 6}, {2, 4, 5}},
        {"negative distance counts by magnitude", -5.0f, "LIG", {1, 3, 6}, {0, 1, 3, 6}, {2, 4, 5}},
        {"zero selects nothing, not even the inner atoms", 0.0f, "LIG", {}, {}, {0, 1, 2, 3, 4, 5, 6}},
        {"empty inner selection", 5.0f, "HOH", {}, {}, {0, 1, 2, 3, 4, 5, 6}},
        {"inner of many atoms", 2.5f, "ALA", {}, {1, 2, 3, 4, 5, 6}, {0}},
        {"NaN distance is within nothing", kNaN, "LIG", {}, {}, {0, 1, 2, 3, 4, 5, 6}},
        {"infinite distance covers every finite pair", kInf, "LIG", {1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6}, {}}};
    MoleculeBuilder b;
    BuildLine(b);
    for (const auto& [label, distance, residue, around, expand, beyond] : cases) {
        PredicatePtr inner = Make<ResnPredicate>(std::string(residue));
        for (auto evaluate : {PerAtom, Batch}) {
            EXPECT_EQ(evaluate(b.molecule, *Make<AroundPredicate>(distance, inner)), around) << label;
            EXPECT_EQ(evaluate(b.molecule, *Make<ExpandPredicate>(distance, inner)), expand) << label;
            EXPECT_EQ(evaluate(b.molecule, *Make<BeyondPredicate>(distance, inner)), beyond) << label;
        }
    }
}

TEST(DistanceMasks, AtomsWhoseIndexIsNotBelowTheAtomCountAreNeverWithin) {
    MoleculeBuilder b;
    for (int i = 0; i < 4; ++i) b.Add(6, "C");
    ASSERT_TRUE(b.molecule.DeleteAtom(*b.molecule.GetAtom(0)));
    PredicatePtr inner = Make<IndexPredicate>(1u, Equal);
    for (auto evaluate : {PerAtom, Batch}) {
        EXPECT_EQ(evaluate(b.molecule, *Make<ExpandPredicate>(1.0f, inner)), (Indices{1, 2}));
        EXPECT_EQ(evaluate(b.molecule, *Make<AroundPredicate>(1.0f, inner)), (Indices{2}));
        EXPECT_EQ(evaluate(b.molecule, *Make<BeyondPredicate>(1.0f, inner)), (Indices{3}));
    }
}

// ---- the mask paths against brute force -------------------------------------------

// Points on a half-Angstrom lattice give many pairs at exactly the radius;
// a few atoms carry non-finite or huge coordinates.
void BuildCloud(MoleculeBuilder& b, uint32_t count, bool withExtremes = true) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> step(-16, 16);
    for (uint32_t i = 0; i < count; ++i) b.Add(6, "C", step(random) * 0.5f, step(random) * 0.5f, step(random) * 0.5f);
    if (!withExtremes) return;
    b.Add(6, "N", kNaN, 0, 0);
    b.Add(6, "I", 0, kInf, 0);
    b.Add(6, "J", 0, 0, -kInf);
    b.Add(6, "F", 1e20f, 0, 0);
    b.Add(6, "G", -1e20f, 0, 0);
    b.Add(6, "M", 3e38f, -3e38f, 0);
}

class MaskPathTest : public ::testing::TestWithParam<float> {};

TEST_P(MaskPathTest, BothGridsEqualBruteForce) {
    const float radius = GetParam();
    // With the extremes the grids span a huge box and widen their cells;
    // without, they have many small cells.
    for (bool extremes : {true, false}) {
        MoleculeBuilder b;
        BuildCloud(b, 700, extremes);
        const Kamol::KaMolBase& molecule = b.molecule;
        const Indices& live = molecule.Columns().live;
        // A kept grid may have cells up to twice as wide as the radius needs.
        std::shared_ptr<const BucketGrid> atomGrid = BuildAtomGrid(molecule, radius);
        std::shared_ptr<const BucketGrid> wideGrid = BuildAtomGrid(molecule, radius * 1.9f);
        for (uint32_t stride : {1u, 7u, 97u, 1000u}) {
            Indices sourceAtoms;
            for (size_t i = 0; i < live.size(); i += stride) sourceAtoms.push_back(live[i]);
            sourceAtoms.push_back(live.back());  // with the extremes, the huge-coordinate atom
            AtomMask expected(molecule.NumAtoms());
            for (uint32_t atom : live)
                for (uint32_t source : sourceAtoms)
                    if (WithinBruteForce(Position(molecule, atom), Position(molecule, source), radius)) expected.Set(atom);

            const SourcePoints sources = GatherSourcePoints(molecule, sourceAtoms);
            AtomMask bySources(molecule.NumAtoms()), byAtoms(molecule.NumAtoms()), byWideCells(molecule.NumAtoms());
            MarkWithinBySources(molecule, sources, radius, bySources);
            MarkWithinByAtoms(molecule, *atomGrid, sources, radius, byAtoms);
            MarkWithinByAtoms(molecule, *wideGrid, sources, radius, byWideCells);
            for (uint32_t atom : live) {
                ASSERT_EQ(bySources.Test(atom), expected.Test(atom)) << "by sources, stride " << stride << ", atom " << atom;
                ASSERT_EQ(byAtoms.Test(atom), expected.Test(atom)) << "by atoms, stride " << stride << ", atom " << atom;
                ASSERT_EQ(byWideCells.Test(atom), expected.Test(atom)) << "wide cells, stride " << stride << ", atom " << atom;
            }
        }
    }
}

// A grid kept from a larger radius has cells wider than this radius needs;
// a neighbour within the radius may still lie in the next cell. Here the
// source sits mid-cell (cells 1.9 Å wide from x = 0) and its neighbour 0.99 Å
// further, just past the cell's upper face.
TEST(DistanceMasks, WideCellsStillReachTheNextCell) {
    MoleculeBuilder b;
    b.Add(6, "C0", 0.0f, 0, 0);
    b.Add(6, "P", 0.95f, 0, 0);
    b.Add(6, "Q", 1.94f, 0, 0);
    b.Add(6, "R", 1.96f, 0, 0);  // 1.01 Å away
    std::shared_ptr<const BucketGrid> wideGrid = BuildAtomGrid(b.molecule, 1.9f);
    AtomMask mask(b.molecule.NumAtoms());
    MarkWithinByAtoms(b.molecule, *wideGrid, GatherSourcePoints(b.molecule, {1}), 1.0f, mask);
    EXPECT_EQ((Indices{mask.Test(0), mask.Test(1), mask.Test(2), mask.Test(3)}), (Indices{1, 1, 1, 0}));
}

INSTANTIATE_TEST_SUITE_P(Radii, MaskPathTest,
                         ::testing::Values(0.5f, 2.5f, -3.0f, 0.7071068f, 1e-25f, 40.0f, 1e30f, kInf, kNaN, 0.0f));

}  // namespace
