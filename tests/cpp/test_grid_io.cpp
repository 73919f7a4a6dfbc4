// Grid file format codes, the read dispatcher and the file-path entry points.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "grid/grid_io.h"
#include "stderr_capture.h"
#include "system/message.h"

using KaSystem::KaScalarGrid;

namespace {

TEST(GridDispatcherDeathTest, UnknownCodeIsFatalWhileStrict) {
    KaScalarGrid grid;
    std::istringstream in("");
    EXPECT_EXIT(KaSystem::ReadGrid(in, grid, 6), testing::ExitedWithCode(1),
                "^Fatal: File does not contain a readable grid file\n$");
    EXPECT_EXIT(KaSystem::ReadGrid(std::string("/nonexistent/grid.txt"), grid, 0), testing::ExitedWithCode(1),
                "^Fatal: File does not contain a readable grid file\n$");
}

TEST(GridDispatcher, UnknownCodeWarnsWhenNotStrict) {
    auto& handler = KaSystem::ErrorHandler();
    handler.SetStrict(false);
    KaScalarGrid grid;
    std::istringstream in("");
    StderrCapture capture;
    EXPECT_FALSE(KaSystem::ReadGrid(in, grid, 0));
    handler.SetStrict(true);
    EXPECT_EQ(capture.Text(), "Warning: File does not contain a readable grid file\n");
}

class GridFiles : public testing::Test {
protected:
    void SetUp() override {
        path_ = testing::TempDir() + "kaselect_grid_" + std::to_string(getpid()) + "_" +
                testing::UnitTest::GetInstance()->current_test_info()->name();
        std::remove(path_.c_str());
    }
    void TearDown() override { std::remove(path_.c_str()); }
    bool Exists() const { return std::ifstream(path_).good(); }
    std::string path_;
};

TEST_F(GridFiles, RoundTripThroughFilesInBothFormats) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(65, 65, 65));
    ASSERT_TRUE(grid.SetSpacing(0.5f));
    ASSERT_TRUE(grid.SetMid(1.0f, 2.0f, 3.0f));
    grid.GetValues()[274624] = 6.5f;
    for (uint32_t format : {KaSystem::GRASP_GRID, KaSystem::ASCII_GRID}) {
        ASSERT_TRUE(KaSystem::WriteGrid(path_, grid, format)) << format;
        KaScalarGrid back;
        ASSERT_TRUE(KaSystem::ReadGrid(path_, back, format)) << format;
        EXPECT_EQ(back.GetValues()[274624], 6.5f);
        EXPECT_EQ(back.GetSpacing(), 0.5f);
        EXPECT_EQ(back.GetZMid(), 3.0f);
    }
}

TEST_F(GridFiles, RefusedWriteLeavesNoFile) {
    KaScalarGrid grid;
    ASSERT_TRUE(grid.SetDimensions(2, 2, 2));
    StderrCapture capture;
    EXPECT_FALSE(KaSystem::WriteGrid(path_, grid, KaSystem::GRASP_GRID));
    EXPECT_FALSE(Exists());
    EXPECT_FALSE(KaSystem::WriteGrid(path_, grid, KaSystem::CCP4_MAP));
    EXPECT_FALSE(Exists());
    EXPECT_EQ(capture.Lines().back(), "Warning: Writing CCP4 Map files is not supported");
}

}  // namespace
