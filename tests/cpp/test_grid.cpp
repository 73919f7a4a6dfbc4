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

}  // namespace
