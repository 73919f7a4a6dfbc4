// The GRASP phimap: record layout of written files, round trips, and short,
// empty or garbled files failing with their warnings.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "grid/grid_io.h"
#include "stderr_capture.h"

using KaSystem::GRASP_GRID;
using KaSystem::KaScalarGrid;

namespace {

constexpr size_t kValueBytes = 65 * 65 * 65 * 4;
constexpr size_t kFileSize = 10 * 4 + 20 + 70 + kValueBytes + 16 + 16;
constexpr size_t kValuesStart = 4 + 20 + 4 + 4 + 70 + 4 + 4;

KaScalarGrid MakePhimapGrid(float spacing) {
    KaScalarGrid grid;
    EXPECT_TRUE(grid.SetDimensions(65, 65, 65));
    EXPECT_TRUE(grid.SetSpacing(spacing));
    EXPECT_TRUE(grid.SetMid(1.25f, -3.5f, 1e4f));
    float* values = grid.GetValues();
    for (uint64_t n = 0; n < grid.GetSize(); ++n) values[n] = static_cast<float>(n % 1000) * 0.37f - 150.0f;
    values[0] = 1.0f;
    return grid;
}

std::string WritePhimap(const KaScalarGrid& grid) {
    std::ostringstream out;
    EXPECT_TRUE(KaSystem::WriteGrid(out, grid, GRASP_GRID));
    return out.str();
}

bool ReadPhimap(const std::string& bytes, KaScalarGrid& grid) {
    std::istringstream in(bytes);
    return KaSystem::ReadGrid(in, grid, GRASP_GRID);
}

std::string Bytes(std::initializer_list<int> list) {
    std::string bytes;
    for (int b : list) bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Phimap, WrittenRecordsAreFramedBigEndian) {
    const std::string file = WritePhimap(MakePhimapGrid(0.5f));
    ASSERT_EQ(file.size(), kFileSize);
    EXPECT_EQ(file.substr(0, 28), Bytes({0, 0, 0, 20}) + "now starting phimap " + Bytes({0, 0, 0, 20}));
    EXPECT_EQ(file.substr(28, 4), Bytes({0, 0, 0, 70}));
    EXPECT_EQ(file.substr(32, 70), "potential Phimap written from within Grasp" + std::string(28, ' '));
    EXPECT_EQ(file.substr(102, 8), Bytes({0, 0, 0, 70, 0x00, 0x10, 0xC3, 0x04}));  // 1098500
    EXPECT_EQ(file.substr(kValuesStart, 4), Bytes({0x3F, 0x80, 0x00, 0x00}));    // 1.0f
    const size_t end = kValuesStart + kValueBytes;
    EXPECT_EQ(file.substr(end, 8), Bytes({0x00, 0x10, 0xC3, 0x04, 0, 0, 0, 16}));
    EXPECT_EQ(file.substr(end + 8, 16), " end of phimap  ");
    // Scale 1 / 0.5 = 2, then the mid.
    EXPECT_EQ(file.substr(end + 28, 8), Bytes({0, 0, 0, 16, 0x40, 0x00, 0x00, 0x00}));
    EXPECT_EQ(file.substr(end + 36, 4), Bytes({0x3F, 0xA0, 0x00, 0x00}));  // 1.25f
    EXPECT_EQ(file.substr(kFileSize - 4), Bytes({0, 0, 0, 16}));
}

TEST(Phimap, RoundTripKeepsValuesMidAndInvertedScale) {
    const float spacing = 0.3f;  // 1 / (1 / 0.3f) is not 0.3f in single precision
    const KaScalarGrid grid = MakePhimapGrid(spacing);
    KaScalarGrid back;
    back.SetTitle("old title");
    StderrCapture capture;
    ASSERT_TRUE(ReadPhimap(WritePhimap(grid), back));
    EXPECT_EQ(capture.Text(), "");
    EXPECT_FALSE(back.HasTitle());
    EXPECT_EQ(back.GetSize(), 274625u);
    EXPECT_EQ(back.GetXDimension(), 65u);
    EXPECT_EQ(back.GetSpacing(), 1.0f / (1.0f / spacing));
    float x, y, z;
    EXPECT_TRUE(back.GetMid(x, y, z));
    EXPECT_EQ(x, 1.25f);
    EXPECT_EQ(y, -3.5f);
    EXPECT_EQ(z, 1e4f);
    EXPECT_EQ(std::memcmp(back.GetValues(), grid.GetValues(), kValueBytes), 0);
}

struct BadFile {
    const char* name;
    std::string bytes;
    std::vector<std::string> warnings;  // before the dispatcher's closing warning
};

class PhimapBadFile : public testing::TestWithParam<BadFile> {};

TEST_P(PhimapBadFile, FailsWithItsWarnings) {
    const BadFile& bad = GetParam();
    KaScalarGrid grid;
    StderrCapture capture;
    EXPECT_FALSE(ReadPhimap(bad.bytes, grid));
    std::vector<std::string> expected = WarningLines(bad.warnings);
    expected.push_back("Warning: Problem reading Grasp grid file");
    EXPECT_EQ(capture.Lines(), expected);
}

std::string GoodFile() {
    static const std::string file = WritePhimap(MakePhimapGrid(0.5f));
    return file;
}

std::string Cut(size_t length) { return GoodFile().substr(0, length); }

const char kInvalidLength[] = "Invalid line length in Grasp grid file";
const char kEarlyEnd[] = "Reached early end-of-file.";

INSTANTIATE_TEST_SUITE_P(
    Files, PhimapBadFile,
    testing::Values(BadFile{"Empty", "", {kInvalidLength}}, BadFile{"TwoBytes", Cut(2), {kInvalidLength}},
                    BadFile{"InsideFirstText", Cut(10), {kEarlyEnd}},
                    BadFile{"BeforeSecondRecord", Cut(28), {kInvalidLength}},
                    BadFile{"InsideValues", Cut(kValuesStart + 50001), {kEarlyEnd}},
                    BadFile{"InsideScale", Cut(kFileSize - 10), {kEarlyEnd}},
                    BadFile{"LastFrameMissing", Cut(kFileSize - 1), {kEarlyEnd}},
                    BadFile{"ZeroTextLength", std::string(64, '\0'), {kInvalidLength}},
                    BadFile{"AsciiGridFile", "Title: t\nMid: 0 0 0\nDim: 1 1 1\nSpacing: 1\nValues:\n1\n", {kEarlyEnd}},
                    BadFile{"ZeroSecondLength", GoodFile().substr(0, 28) + std::string(1000, '\0'), {kInvalidLength}}),
    [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

}  // namespace
