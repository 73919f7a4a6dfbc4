// The grid record: setters with their validation, bounds, size check and
// resizing of the value array.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "grid/grid.h"
#include "stderr_capture.h"

using KaSystem::KaGridBase;
using KaSystem::KaScalarGrid;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

void FillWithIndices(KaScalarGrid& grid) {
    for (uint64_t n = 0; n < grid.GetSize(); ++n) grid.GetValues()[n] = static_cast<float>(n + 1);
}

bool AllZero(const KaScalarGrid& grid) {
    for (uint64_t n = 0; n < grid.GetSize(); ++n)
        if (grid.GetValues()[n] != 0.0f) return false;
    return true;
}

TEST(GridRecord, DimensionsGiveSizeZeroValuesAndBounds) {
    KaScalarGrid grid;
    EXPECT_EQ(grid.GetSize(), 0u);
    ASSERT_TRUE(grid.SetDimensions(2, 3, 4));
    EXPECT_EQ(grid.GetSize(), 24u);
    EXPECT_TRUE(AllZero(grid));
    ASSERT_TRUE(grid.SetSpacing(0.5f));
    ASSERT_TRUE(grid.SetMid(0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(grid.GetXMin(), -0.5f);
    EXPECT_FLOAT_EQ(grid.GetXMax(), 0.5f);
    EXPECT_FLOAT_EQ(grid.GetYMin(), -0.75f);
    EXPECT_FLOAT_EQ(grid.GetYMax(), 0.75f);
    EXPECT_FLOAT_EQ(grid.GetZMin(), -1.0f);
    EXPECT_FLOAT_EQ(grid.GetZMax(), 1.0f);
    EXPECT_FLOAT_EQ(grid.GetInverseSpacing(), 2.0f);

    // Each setter keeps its axis's bounds current.
    ASSERT_TRUE(grid.SetYMid(10.0f));
    EXPECT_FLOAT_EQ(grid.GetYMin(), 9.25f);
    EXPECT_FLOAT_EQ(grid.GetYMax(), 10.75f);
    ASSERT_TRUE(grid.SetZDimension(8));
    EXPECT_EQ(grid.GetSize(), 48u);
    EXPECT_FLOAT_EQ(grid.GetZMax(), 2.0f);
    ASSERT_TRUE(grid.SetSpacing(1.0f));
    EXPECT_FLOAT_EQ(grid.GetXMax(), 1.0f);
    EXPECT_FLOAT_EQ(grid.GetYMin(), 8.5f);
}

TEST(GridRecord, ValuesSurviveOnlyUnchangedDimensions) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 3, 4));
    FillWithIndices(grid);
    EXPECT_TRUE(grid.SetDimensions(2, 3, 4));
    EXPECT_TRUE(grid.SetYDimension(3));
    EXPECT_EQ(grid.GetValues()[23], 24.0f);
    // Spacing and mid never touch the values.
    EXPECT_TRUE(grid.SetSpacing(2.0f));
    EXPECT_TRUE(grid.SetMid(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(grid.GetValues()[23], 24.0f);

    ASSERT_TRUE(grid.SetDimensions(4, 3, 2));
    EXPECT_EQ(grid.GetSize(), 24u);
    EXPECT_TRUE(AllZero(grid));

    FillWithIndices(grid);
    ASSERT_TRUE(grid.SetXDimension(5));
    EXPECT_EQ(grid.GetSize(), 30u);
    EXPECT_TRUE(AllZero(grid));
}

TEST(GridRecord, ZeroDimensionIsRefusedAndChangesNothing) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 3, 4));
    FillWithIndices(grid);
    StderrCapture capture;
    EXPECT_FALSE(grid.SetDimensions(0, 3, 4));
    EXPECT_FALSE(grid.SetDimensions(2, 3, 0));
    EXPECT_FALSE(grid.SetYDimension(0));
    EXPECT_EQ(capture.Text(), "");
    uint32_t x, y, z;
    EXPECT_TRUE(grid.GetDimensions(x, y, z));
    EXPECT_EQ(x, 2u);
    EXPECT_EQ(y, 3u);
    EXPECT_EQ(z, 4u);
    EXPECT_EQ(grid.GetValues()[23], 24.0f);
    // A new grid has no dimensions, so a single axis cannot make it non-empty.
    KaScalarGrid fresh;
    EXPECT_FALSE(fresh.SetXDimension(3));
}

TEST(GridRecord, SpacingRefusesNonPositiveSilentlyAndNaNWithWarning) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 2, 2));
    ASSERT_TRUE(grid.SetSpacing(0.25f));
    StderrCapture capture;
    EXPECT_FALSE(grid.SetSpacing(0.0f));
    EXPECT_FALSE(grid.SetSpacing(-1.0f));
    EXPECT_EQ(capture.Text(), "");
    EXPECT_FALSE(grid.SetSpacing(kNaN));
    EXPECT_EQ(capture.Text(), "Warning: SetSpacing unable to handle NaN: nan\n");
    EXPECT_EQ(grid.GetSpacing(), 0.25f);
    EXPECT_EQ(grid.GetInverseSpacing(), 4.0f);
    EXPECT_FLOAT_EQ(grid.GetXMax(), 0.25f);
}

// A NaN on one axis warns for that axis only; the other two are still set.
class GridMidNaN : public testing::TestWithParam<int> {};

TEST_P(GridMidNaN, WarnsOnceAndSetsTheOtherAxes) {
    const int axis = GetParam();
    float mid[3] = {1.0f, 2.0f, 3.0f};
    mid[axis] = kNaN;
    KaScalarGrid grid;
    StderrCapture capture;
    EXPECT_FALSE(grid.SetMid(mid[0], mid[1], mid[2]));
    const std::string name(1, "XYZ"[axis]);
    EXPECT_EQ(capture.Text(), "Warning: Set" + name + "Mid unable to handle NaN: nan\n");
    float x, y, z;
    EXPECT_FALSE(grid.GetMid(x, y, z));
    const float got[3] = {x, y, z};
    for (int other = 0; other < 3; ++other)
        if (other != axis) {
            EXPECT_EQ(got[other], float(other + 1));
        }
    EXPECT_EQ(got[axis], 0.0f);

    bool (KaGridBase::*setters[3])(float) = {&KaGridBase::SetXMid, &KaGridBase::SetYMid, &KaGridBase::SetZMid};
    EXPECT_TRUE((grid.*setters[axis])(7.0f));
    EXPECT_TRUE(grid.GetMid(x, y, z));
}

INSTANTIATE_TEST_SUITE_P(Axes, GridMidNaN, testing::Values(0, 1, 2));

struct SizeCase {
    uint32_t x, y, z;
    bool fits;
    const char* warning;
};

class GridSizeCheck : public testing::TestWithParam<SizeCase> {};

TEST_P(GridSizeCheck, HoldsAtMost32BitsOfValues) {
    const SizeCase& c = GetParam();
    StderrCapture capture;
    EXPECT_EQ(KaGridBase::CheckSize(c.x, c.y, c.z), c.fits);
    EXPECT_EQ(capture.Text(), c.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Products, GridSizeCheck,
    testing::Values(SizeCase{65535, 65537, 1, true, ""},  // exactly 2^32 - 1 values
                    SizeCase{65536, 65536, 2, false,
                             "Warning: Grid dimensions too large for memory size: 65536 x 65536\n"},
                    SizeCase{65536, 32768, 2, false,
                             "Warning: Grid dimensions too large for memory size: 2147483648 x 2\n"},
                    SizeCase{1, 4294967295u, 1, true, ""}, SizeCase{2, 4294967295u, 1, false,
                             "Warning: Grid dimensions too large for memory size: 2 x 4294967295\n"},
                    SizeCase{3, 0, 2, false, ""}, SizeCase{3, 2, 0, false, ""}));

TEST(GridRecord, OversizedDimensionsWarnAndLeaveTheGridAlone) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(65536, 1, 2));
    grid.GetValues()[5] = 3.0f;
    {
        StderrCapture capture;
        EXPECT_FALSE(grid.SetDimensions(65536, 65536, 2));
        EXPECT_EQ(capture.Text(), "Warning: Grid dimensions too large for memory size: 65536 x 65536\n");
    }
    {
        StderrCapture capture;
        EXPECT_FALSE(grid.SetYDimension(65536));
        EXPECT_EQ(capture.Text(), "Warning: Grid dimensions too large for memory size: 65536 x 65536\n");
    }
    EXPECT_EQ(grid.GetYDimension(), 1u);
    EXPECT_EQ(grid.GetSize(), 131072u);
    EXPECT_EQ(grid.GetValues()[5], 3.0f);
}

TEST(GridRecord, PointIndexIsXFastestAndAccessIsChecked) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 3, 4));
    EXPECT_TRUE(grid.SetValue(1, 2, 3, 5.0f));
    EXPECT_EQ(grid.GetValues()[1 + 2 * (2 + 3 * 3)], 5.0f);
    EXPECT_EQ(grid.GetValue(1, 2, 3), 5.0f);
    EXPECT_FALSE(grid.SetValue(2, 0, 0, 1.0f));
    EXPECT_FALSE(grid.SetValue(0, 0, 4, 1.0f));
    EXPECT_EQ(grid.GetValue(0, 3, 0), 0.0f);
}

TEST(GridRecord, CopiesOwnTheirValuesAndClearForgetsEverything) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 2, 2));
    FillWithIndices(grid);
    grid.SetTitle("density");
    ASSERT_TRUE(grid.SetMid(1.0f, 2.0f, 3.0f));
    ASSERT_TRUE(grid.SetSpacing(0.5f));

    KaScalarGrid copy(grid);
    copy.GetValues()[0] = -1.0f;
    EXPECT_EQ(grid.GetValues()[0], 1.0f);
    EXPECT_EQ(copy.GetValues()[7], 8.0f);
    EXPECT_EQ(copy.GetTitle(), "density");
    EXPECT_FLOAT_EQ(copy.GetZMax(), 3.5f);

    KaScalarGrid assigned;
    assigned = grid;
    EXPECT_EQ(assigned.GetValues()[7], 8.0f);
    EXPECT_NE(assigned.GetValues(), grid.GetValues());

    grid.Clear();
    EXPECT_FALSE(grid.HasTitle());
    EXPECT_EQ(grid.GetSize(), 0u);
    EXPECT_EQ(grid.GetValues(), nullptr);
    EXPECT_FALSE(grid.HasSpacing());
    float x, y, z;
    EXPECT_FALSE(grid.GetMid(x, y, z));
    // After a clear the same dimensions make a fresh zeroed array.
    ASSERT_TRUE(grid.SetDimensions(2, 2, 2));
    EXPECT_TRUE(AllZero(grid));
}

}  // namespace
