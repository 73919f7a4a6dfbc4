// The ASCII grid format: writer layout, round trips, header faults with their
// warnings, value lines and early ends of file.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "grid/grid_io.h"
#include "stderr_capture.h"

using KaSystem::ASCII_GRID;
using KaSystem::KaScalarGrid;

namespace {

const char kHeader234[] = "Title: t\nMid: 0 0 0\nDim: 2 3 4\nSpacing: 1\nValues:\n";

std::string ValueLines(int count, const char* line = "1.0") {
    std::string text;
    for (int n = 0; n < count; ++n) text += std::string(line) + "\n";
    return text;
}

bool Read(const std::string& text, KaScalarGrid& grid) {
    std::istringstream in(text);
    return KaSystem::ReadGrid(in, grid, ASCII_GRID);
}

std::string Write(const KaScalarGrid& grid) {
    std::ostringstream out;
    EXPECT_TRUE(KaSystem::WriteAsciiGrid(out, grid));
    return out.str();
}

TEST(AsciiGrid, RoundTripCollapsesTitleWhiteSpace) {
    KaScalarGrid grid;
    grid.SetTitle("  electron \t density   map ");
    ASSERT_TRUE(grid.SetDimensions(2, 3, 4));
    ASSERT_TRUE(grid.SetMid(1.1234567f, -2.5f, 3.0f));
    ASSERT_TRUE(grid.SetSpacing(0.3333333f));
    for (uint32_t n = 0; n < 24; ++n) grid.GetValues()[n] = std::pow(-1.7f, float(n)) / 3.0f;

    KaScalarGrid back;
    ASSERT_TRUE(Read(Write(grid), back));
    EXPECT_EQ(back.GetTitle(), "electron density map");
    EXPECT_EQ(back.GetXDimension(), 2u);
    EXPECT_EQ(back.GetYDimension(), 3u);
    EXPECT_EQ(back.GetZDimension(), 4u);
    float x, y, z;
    EXPECT_TRUE(back.GetMid(x, y, z));
    EXPECT_NEAR(x, 1.123457f, 1e-6);
    EXPECT_EQ(y, -2.5f);
    EXPECT_NEAR(back.GetSpacing(), 0.333333f, 1e-6);
    for (uint32_t n = 0; n < 24; ++n) {
        float expected = grid.GetValues()[n];
        EXPECT_NEAR(back.GetValues()[n], expected, std::fabs(expected) * 1e-6) << "value " << n;
    }
}

struct HeaderFault {
    const char* name;
    std::string text;
    std::vector<std::string> warnings;  // without the dispatcher's closing warning
};

class AsciiHeaderFault : public testing::TestWithParam<HeaderFault> {};

TEST_P(AsciiHeaderFault, FailsWithItsWarning) {
    const HeaderFault& fault = GetParam();
    KaScalarGrid grid;
    StderrCapture capture;
    EXPECT_FALSE(Read(fault.text, grid));
    std::vector<std::string> expected = WarningLines(fault.warnings);
    expected.push_back("Warning: Problem reading Ascii grid file");
    EXPECT_EQ(capture.Lines(), expected);
}

const std::string kTitleLine = "Title: t\n";
const std::string kMidLine = "Mid: 1 2 3\n";
const std::string kDimLine = "Dim: 2 3 4\n";
const std::string kSpacingLine = "Spacing: 0.5\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, AsciiHeaderFault,
    testing::Values(
        HeaderFault{"Empty", "", {"Problem reading Title: line in Ascii grid"}},
        HeaderFault{"TitleWithoutColon", "Title t\n", {"Problem reading Title: line in Ascii grid"}},
        HeaderFault{"MidMissing", kTitleLine, {"Problem reading Mid: line in Ascii grid"}},
        HeaderFault{"MidTwoNumbers", kTitleLine + "Mid: 1 2\n", {"Problem reading Mid: line in Ascii grid"}},
        HeaderFault{"DimTwoNumbers", kTitleLine + kMidLine + "Dim: 2 3\n", {"Problem reading Dim: line in Ascii grid"}},
        HeaderFault{"DimZero", kTitleLine + kMidLine + "Dim: 2 0 4\n", {"Problem reading Dim: line in Ascii grid"}},
        HeaderFault{"DimTooLarge", kTitleLine + kMidLine + "Dim: 65536 65536 2\n",
                    {"Grid dimensions too large for memory size: 65536 x 65536",
                     "Problem reading Dim: line in Ascii grid"}},
        HeaderFault{"SpacingMissingNumber", kTitleLine + kMidLine + kDimLine + "Spacing:\n",
                    {"Problem reading Spacing: line in Ascii grid"}},
        HeaderFault{"ValuesWithNumber", kTitleLine + kMidLine + kDimLine + kSpacingLine + "Values: 1\n",
                    {"Problem reading Values: line in Ascii grid"}},
        HeaderFault{"OneValueShort", kHeader234 + ValueLines(23),
                    {"Reached early end-of-file.", "Expected grid size: 24, found: 23"}},
        HeaderFault{"BinaryGarbage", std::string("\x00\x01\xff\n\x7f", 5), {"Problem reading Title: line in Ascii grid"}}),
    [](const testing::TestParamInfo<HeaderFault>& info) { return std::string(info.param.name); });

struct ValueLine {
    const char* line;
    bool isNumber;
    float value;
};

class AsciiValueLine : public testing::TestWithParam<ValueLine> {};

// The value line sits in the middle of the grid so that reading goes on after it.
TEST_P(AsciiValueLine, NumberOrSkippedWithWarning) {
    const ValueLine& v = GetParam();
    KaScalarGrid grid;
    StderrCapture capture;
    const std::string text =
        "Title: t\nMid: 0 0 0\nDim: 3 1 1\nSpacing: 1\nValues:\n1\n" + std::string(v.line) + "\n3\n";
    ASSERT_TRUE(Read(text, grid));
    EXPECT_EQ(grid.GetValues()[2], 3.0f);
    if (v.isNumber) {
        EXPECT_EQ(capture.Text(), "");
        if (std::isnan(v.value))
            EXPECT_TRUE(std::isnan(grid.GetValues()[1]));
        else
            EXPECT_EQ(grid.GetValues()[1], v.value);
    } else {
        EXPECT_EQ(capture.Text(),
                  "Warning: Could not read floating point value from the text '" + std::string(v.line) + "'\n");
        EXPECT_EQ(grid.GetValues()[1], 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AsciiValueLine,
    testing::Values(ValueLine{"1.5\t \t", true, 1.5f}, ValueLine{"  -2e3", true, -2000.0f}, ValueLine{"nan", true, NAN},
                    ValueLine{"-inf  ", true, -INFINITY}, ValueLine{"1.5 abc", false, 0}, ValueLine{"1,5", false, 0},
                    ValueLine{"1.5 \v", false, 0}, ValueLine{"   ", false, 0}));

}  // namespace
