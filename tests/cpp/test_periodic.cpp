// Distances in a periodic box: the cell's checks, and masks against the
// minimum-image distance computed by brute force over lattice translations.
#include <array>
#include <cmath>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "molecule/unit_cell.h"
#include "selection/periodic_mask.h"

namespace {

using namespace evaltest;
using Kamol::UnitCell;

TEST(UnitCellChecks, CellsThatDescribeNoBoxAreRefusedAndChangeNothing) {
    const std::tuple<UnitCell, const char*> bad[] = {
        {{0, 10, 10}, "cell length a"},
        {{10, -1, 10}, "cell length b"},
        {{10, 10, NAN}, "cell length c"},
        {{10, 10, INFINITY}, "cell length c"},
        {{10, 10, 10, 0, 90, 90}, "cell angle alpha"},
        {{10, 10, 10, 90, 180, 90}, "cell angle beta"},
        {{10, 10, 10, 90, 90, NAN}, "cell angle gamma"},
        {{10, 10, 10, 120, 120, 120}, "describe no box"},  // the three vectors lie in one plane
        {{10, 10, 10, 30, 30, 90}, "describe no box"}};
    MoleculeBuilder b;
    b.Add(6, "C");
    const UnitCell good{10, 20, 30, 90, 90, 90};
    b.molecule.SetCell(good);
    for (const auto& [cell, problem] : bad) {
        EXPECT_NE(Kamol::CellProblem(cell).find(problem), std::string::npos) << Kamol::CellProblem(cell);
        const uint64_t version = b.molecule.CoordsVersion();
        EXPECT_THROW(b.molecule.SetCell(cell), std::invalid_argument) << problem;
        EXPECT_EQ(*b.molecule.GetCell(), good);
        EXPECT_EQ(b.molecule.CoordsVersion(), version);
    }
    EXPECT_EQ(Kamol::CellProblem({10, 10, 10, 60, 60, 60}), "");  // a rhombohedral box
    std::unique_ptr<Kamol::KaMolBase> copy(b.molecule.Clone());
    EXPECT_EQ(*copy->GetCell(), good);
    b.molecule.SetCell(std::nullopt);
    EXPECT_FALSE(b.molecule.GetCell().has_value());
}

TEST(UnitCellChecks, BoxVectorsHaveTheCellsLengthsAndAngles) {
    for (const UnitCell& cell : {UnitCell{10, 20, 30}, UnitCell{77.0, 77.0, 77.0, 60, 60, 90},
                                 UnitCell{40, 45, 50, 70, 100, 110}}) {
        const Kamol::CellVectors v = Kamol::BoxVectors(cell);
        auto dot = [&](int i, int j) { return v[i][0] * v[j][0] + v[i][1] * v[j][1] + v[i][2] * v[j][2]; };
        const double lengths[3] = {cell.a, cell.b, cell.c};
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(std::sqrt(dot(i, i)), lengths[i], 1e-9);
        auto angle = [&](int i, int j) { return std::acos(dot(i, j) / std::sqrt(dot(i, i) * dot(j, j))) * 180 / M_PI; };
        EXPECT_NEAR(angle(1, 2), cell.alpha, 1e-9);
        EXPECT_NEAR(angle(0, 2), cell.beta, 1e-9);
        EXPECT_NEAR(angle(0, 1), cell.gamma, 1e-9);
        EXPECT_EQ(v[0][1], 0.0);
        EXPECT_EQ(v[0][2], 0.0);
        EXPECT_EQ(v[1][2], 0.0);
    }
}

// Minimum-image distance in double: the fractional difference rounded to
// the nearest lattice point, then every translation of up to two box
// vectors around it along each axis (ample for these cells' skew).
double MinimumImage(const Kamol::CellVectors& v, const float* p, const float* q) {
    double diff[3] = {double(p[0]) - q[0], double(p[1]) - q[1], double(p[2]) - q[2]};
    double s[3];
    s[2] = diff[2] / v[2][2];
    s[1] = (diff[1] - s[2] * v[2][1]) / v[1][1];
    s[0] = (diff[0] - s[1] * v[1][0] - s[2] * v[2][0]) / v[0][0];
    double best = INFINITY;
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j)
            for (int k = -2; k <= 2; ++k) {
                const double n[3] = {i - std::round(s[0]), j - std::round(s[1]), k - std::round(s[2])};
                double sum = 0;
                for (int d = 0; d < 3; ++d) {
                    const double moved = diff[d] + n[0] * v[0][d] + n[1] * v[1][d] + n[2] * v[2][d];
                    sum += moved * moved;
                }
                best = std::min(best, std::sqrt(sum));
            }
    return best;
}

class PeriodicMaskTest : public ::testing::TestWithParam<std::tuple<UnitCell, float>> {};

// Atoms anywhere from one box below to two boxes above the primary one, as
// in an unwrapped trajectory; pairs within rounding of the radius may go
// either way and are not judged.
TEST_P(PeriodicMaskTest, EqualsMinimumImageBruteForce) {
    const auto& [cell, radius] = GetParam();
    const Kamol::CellVectors v = Kamol::BoxVectors(cell);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> fraction(-1.0, 2.0);
    MoleculeBuilder b;
    for (int i = 0; i < 300; ++i) {
        const double s[3] = {fraction(random), fraction(random), fraction(random)};
        float p[3];
        for (int d = 0; d < 3; ++d) p[d] = float(s[0] * v[0][d] + s[1] * v[1][d] + s[2] * v[2][d]);
        b.Add(6, "C", p[0], p[1], p[2]);
    }
    b.Add(6, "N", NAN, 0, 0);
    b.molecule.SetCell(cell);
    const Kamol::KaMolBase& molecule = b.molecule;
    const Indices& live = molecule.Columns().live;
    for (uint32_t stride : {3u, 100u}) {
        Indices sourceAtoms;
        for (size_t i = 0; i < live.size(); i += stride) sourceAtoms.push_back(live[i]);
        const SourcePoints sources = GatherSourcePoints(molecule, sourceAtoms);
        std::vector<AtomMask> masks;
        for (PeriodicPath path : {PeriodicPath::Auto, PeriodicPath::ImageGridNearCells, PeriodicPath::WrappedAtomGrid,
                                  PeriodicPath::ImageGrid}) {
            masks.emplace_back(molecule.NumAtoms());
            MarkWithinPeriodic(molecule, cell, sources, radius, masks.back(), path);
        }
        size_t within = 0;
        for (uint32_t atom : live) {
            const float* p = &molecule.CoordTable()[3 * size_t(atom)];
            double nearest = INFINITY;
            for (uint32_t source : sourceAtoms)
                nearest = std::min(nearest, MinimumImage(v, p, &molecule.CoordTable()[3 * size_t(source)]));
            for (size_t path = 0; path < masks.size(); ++path) {
                if (std::fabs(nearest - std::fabs(radius)) >= 1e-3) {
                    ASSERT_EQ(masks[path].Test(atom), nearest < std::fabs(radius))
                        << "atom " << atom << " at " << nearest << ", stride " << stride << ", path " << path;
                }
                // The paths agree on every atom, those at the boundary included.
                ASSERT_EQ(masks[path].Test(atom), masks[0].Test(atom)) << "atom " << atom << ", path " << path;
            }
            within += masks[0].Test(atom);
        }
        // Atoms beside the sources are within, and for the smaller radii
        // not all atoms are: the test tells a mask that is all set or all clear.
        EXPECT_GT(within, sourceAtoms.size());
        if (std::fabs(radius) < 10.0f) {
            EXPECT_LT(within, live.size() - 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, PeriodicMaskTest,
    ::testing::Combine(::testing::Values(UnitCell{20, 24, 28}, UnitCell{30, 30, 30, 60, 60, 90},
                                         UnitCell{25, 30, 35, 75, 105, 115}),
                       // Small; beyond half the shortest edge; negative; beyond any minimum image.
                       ::testing::Values(3.5f, 13.0f, -6.0f, 80.0f)));

TEST(PeriodicPredicates, AroundReachesAcrossTheBoxFaceOnlyWithACell) {
    MoleculeBuilder b;
    b.Add(8, "O", Residue("LIG"), 0.5f, 5, 5);
    b.Add(6, "C1", Residue("ALA"), 9.5f, 5, 5);   // 1 Å away through the face x = 0
    b.Add(6, "C2", Residue("ALA"), 5.0f, 5, 5);   // 4.5 Å either way
    b.Add(6, "C3", Residue("ALA"), 20.5f, 5, 5);  // the reference's image two boxes over
    PredicatePtr inner = Make<ResnPredicate>(std::string("LIG"));
    for (auto evaluate : {PerAtom, Batch}) {
        EXPECT_EQ(evaluate(b.molecule, *Make<AroundPredicate>(2.0f, inner)), (Indices{}));
        b.molecule.SetCell(UnitCell{10, 10, 10});
        EXPECT_EQ(evaluate(b.molecule, *Make<AroundPredicate>(2.0f, inner)), (Indices{1, 3}));
        EXPECT_EQ(evaluate(b.molecule, *Make<BeyondPredicate>(2.0f, inner)), (Indices{2}));
        EXPECT_EQ(evaluate(b.molecule, *Make<ExpandPredicate>(4.5f, inner)), (Indices{0, 1, 3}));
        b.molecule.SetCell(std::nullopt);
    }
}

}  // namespace
