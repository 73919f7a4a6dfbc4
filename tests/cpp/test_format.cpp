// Molecule format codes: display names, the suffix rule and the format of a path.
#include <gtest/gtest.h>

#include <string>

#include "molecule/format.h"
#include "molecule/io.h"
#include "system/message.h"

namespace {

using Kamol::FormatFromPath;
using Kamol::FormatFromSuffix;
using Kamol::FormatName;

struct SuffixCase {
    const char* suffix;
    uint32_t code;
};

class SuffixRule : public ::testing::TestWithParam<SuffixCase> {};

TEST_P(SuffixRule, GivesTheFormatOfTheSuffix) {
    EXPECT_EQ(FormatFromSuffix(GetParam().suffix), GetParam().code) << GetParam().suffix;
}

INSTANTIATE_TEST_SUITE_P(
    Table, SuffixRule,
    ::testing::Values(
        // Case is folded and the text is cut at its first dot.
        SuffixCase{"SDF", 8}, SuffixCase{"sdf.gz", 8}, SuffixCase{"Pdb.GZ", 3}, SuffixCase{"sdfx", 0},
        // "pdb" may carry digits, nothing else.
        SuffixCase{"pdb", 3}, SuffixCase{"pdb7", 3}, SuffixCase{"pdb12", 3}, SuffixCase{"pdbx", 0},
        SuffixCase{"pdb1a", 0}, SuffixCase{"ent", 3},
        // Rows that share a code, and look-alikes that must not match a prefix.
        SuffixCase{"ism", 6}, SuffixCase{"isosmi", 6}, SuffixCase{"smi", 1}, SuffixCase{"rxn", 2},
        SuffixCase{"mol", 2}, SuffixCase{"mdl", 2}, SuffixCase{"mol2", 4}, SuffixCase{"syb", 4},
        SuffixCase{"mol2h", 7}, SuffixCase{"mol3", 0}, SuffixCase{"mo", 0}, SuffixCase{"sd", 8},
        SuffixCase{"rd", 17}, SuffixCase{"rdf", 17}, SuffixCase{"mmd", 15}, SuffixCase{"mmod", 15},
        SuffixCase{"dat", 15}, SuffixCase{"mopac", 13}, SuffixCase{"pac", 13}, SuffixCase{"fasta", 12},
        SuffixCase{"seq", 12}, SuffixCase{"inchi", 20}, SuffixCase{"inchikey", 21}, SuffixCase{"can", 9},
        SuffixCase{"usm", 5}, SuffixCase{"mf", 10}, SuffixCase{"xyz", 11}, SuffixCase{"kab", 14},
        SuffixCase{"kaz", 25}, SuffixCase{"sln", 16}, SuffixCase{"cdx", 18}, SuffixCase{"skc", 19},
        SuffixCase{"csv", 22}, SuffixCase{"json", 23}, SuffixCase{"cxsmiles", 27},
        // Macromolecular CIF has no suffix of its own.
        SuffixCase{"cif", 24}, SuffixCase{"mmcif", 0}, SuffixCase{"", 0}));

TEST(SuffixRuleNull, NullTextGivesZero) { EXPECT_EQ(FormatFromSuffix(nullptr), 0u); }

TEST(FormatNames, NamesEveryCode) {
    EXPECT_EQ(FormatName(0), "UNDEFINED");
    EXPECT_EQ(FormatName(3), "PDB");
    EXPECT_EQ(FormatName(8), "MDL SDF");
    EXPECT_EQ(FormatName(14), "KaBinary v2");
    EXPECT_EQ(FormatName(24), "Crystallographic Information File (CIF)");
    EXPECT_EQ(FormatName(26), "Macromolecular CIF");
    EXPECT_EQ(FormatName(27), "Chemaxon Extended SMILES");
    // Two codes share one name.
    EXPECT_EQ(FormatName(1), "Canonical stereo SMILES");
    EXPECT_EQ(FormatName(6), FormatName(1));
    for (uint32_t code = 0; code <= Kamol::kLastMolFormat; ++code) EXPECT_FALSE(FormatName(code).empty()) << code;
}

TEST(FormatNames, CodeOutOfRangeWarnsAndGivesEmptyText) {
    KaSystem::ErrorHandler().SetLevel(3);
    uint32_t before = KaSystem::ErrorHandler().Count(4);
    ::testing::internal::CaptureStderr();
    std::string name = FormatName(28);
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(name, "");
    EXPECT_EQ(printed, "Warning: Stream format tag out of range 28\n");
    EXPECT_EQ(KaSystem::ErrorHandler().Count(4), before + 1);
}

TEST(FormatOfPath, UsesTheLastSuffixAfterDroppingGz) {
    EXPECT_EQ(FormatFromPath("/data/1abc.pdb"), 3u);
    EXPECT_EQ(FormatFromPath("/data/1abc.pdb.gz"), 3u);
    EXPECT_EQ(FormatFromPath("/data/1ABC.ENT.GZ"), 3u);
    EXPECT_EQ(FormatFromPath("ligands.v2.sdf"), 8u);
    EXPECT_EQ(FormatFromPath("complex.cif.gz"), 24u);
    // A dot in a directory name is not a suffix.
    EXPECT_EQ(FormatFromPath("/data.pdb/structure"), 0u);
    EXPECT_EQ(FormatFromPath("archive.gz"), 0u);
}

}  // namespace
