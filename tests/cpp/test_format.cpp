// Molecule format codes: the suffix rule's behaviour and the format of a path.
#include <gtest/gtest.h>

#include <string>

#include "molecule/format.h"
#include "molecule/io.h"
#include "system/message.h"

namespace {

TEST(FormatFromSuffix, FoldsCaseCutsAtTheFirstDotAndMatchesWholeSuffixes) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"SDF", 8}, {"sdf.gz", 8}, {"Pdb.GZ", 3}, {"sdfx", 0}, {"pdb12", 3}, {"pdbx", 0}, {"pdb1a", 0},
        {"ism", 6}, {"mol2", 4}, {"mol3", 0}, {"mo", 0}, {"cif", 24}, {"mmcif", 0}, {"", 0}, {".pdb", 0}, {nullptr, 0}};
    for (auto [suffix, code] : cases) EXPECT_EQ(Kamol::FormatFromSuffix(suffix), code) << (suffix ? suffix : "null");
}

TEST(FormatFromPath, UsesTheLastSuffixAfterDroppingGz) {
    EXPECT_EQ(Kamol::FormatFromPath("/data/1ABC.ENT.GZ"), 3u);
    EXPECT_EQ(Kamol::FormatFromPath("ligands.v2.sdf"), 8u);
    EXPECT_EQ(Kamol::FormatFromPath("/data.pdb/structure"), 0u);  // a dot in a directory is no suffix
    EXPECT_EQ(Kamol::FormatFromPath("archive.gz"), 0u);
}

TEST(FormatName, OutOfRangeWarnsAndGivesEmptyText) {
    EXPECT_EQ(Kamol::FormatName(6), Kamol::FormatName(1));
    KaSystem::ErrorHandler().SetLevel(3);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Kamol::FormatName(28), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Warning: Stream format tag out of range 28\n");
}

}  // namespace
