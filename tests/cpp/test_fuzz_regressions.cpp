// Inputs that once crashed a fuzz target or tripped a sanitizer. Each is kept
// in fuzz/corpus/<target>/ as regress-*; here it is fed through the public
// entry point and must give the documented result.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "grid/grid.h"
#include "grid/grid_io.h"
#include "molecule/format.h"
#include "molecule/io.h"
#include "reader_test_support.h"

namespace {

using Kamol::FormatError;

std::string CorpusFile(const std::string& target, const std::string& name) {
    return std::string(KASELECT_DATA_DIR) + "/../../fuzz/corpus/" + target + "/" + name;
}

// The message of the FormatError the read throws, or "" when it throws none.
std::string FormatErrorOf(const std::string& path, int format) {
    try {
        Kamol::ReadMolecules(path, format);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "";
}

// A residue number of sixteen digits once overflowed int inside the mmCIF
// parser; it is refused as out of range, naming the column.
TEST(FuzzRegressions, MmcifSequenceNumberBeyondInt) {
    const std::string path = CorpusFile("mmcif", "regress-seq-id-overflow");
    ASSERT_FALSE(readers_test::ReadText(path).empty()) << path;
    const std::string message = FormatErrorOf(path, Kamol::FORMAT_MMCIF);
    EXPECT_NE(message.find("_atom_site.auth_seq_id value '1012222222222222' is out of range"), std::string::npos)
        << message;
    // The same file with a number that fits reads.
    readers_test::ScratchDir dir;
    std::string text = readers_test::ReadText(path);
    text.replace(text.find("1012222222222222"), 16, "101");
    auto molecules = Kamol::ReadMolecules(dir.Write("fits.cif", text));
    ASSERT_EQ(molecules.size(), 1u);
    EXPECT_EQ(molecules[0]->NumAtoms(), 2u);
}

// An assembly generator over the operator range "(1-2000000000)" once made
// the mmCIF reader build two billion operator names and run out of memory.
// Assemblies play no part in the molecules, so the file reads like one
// without them: the two atoms of its _atom_site table.
TEST(FuzzRegressions, MmcifAssemblyOperatorRange) {
    const std::string path = CorpusFile("mmcif", "regress-assembly-range");
    ASSERT_NE(readers_test::ReadText(path).find("(1-2000000000)"), std::string::npos) << path;
    auto molecules = Kamol::ReadMolecules(path, Kamol::FORMAT_MMCIF);
    ASSERT_EQ(molecules.size(), 1u);
    ASSERT_EQ(molecules[0]->NumAtoms(), 2u);
    EXPECT_EQ(molecules[0]->GetAtom(1)->GetAtomicNum(), 26u);
}

// DBREF2 records carry ten-column sequence numbers; 9999999999 once
// overflowed an int inside the PDB parser. Database references play no part
// in the molecules: the file reads as its one atom record.
TEST(FuzzRegressions, PdbDbref2SequenceNumberBeyondInt) {
    const std::string path = CorpusFile("pdb", "regress-dbref2-overflow");
    ASSERT_NE(readers_test::ReadText(path).find("9999999999"), std::string::npos) << path;
    auto molecules = Kamol::ReadMolecules(path, Kamol::FORMAT_PDB);
    ASSERT_EQ(molecules.size(), 1u);
    ASSERT_EQ(molecules[0]->NumAtoms(), 1u);
    EXPECT_EQ(readers_test::Res(molecules[0]->GetAtom(0)).residueNumber, 5);
}

// A grid centred at +-3e38 read fine, but the writer cut its Mid line (and
// the line end) at 128 characters, so the file it wrote could not be read
// back. Written and read again, the grid keeps its mid, size and value.
TEST(FuzzRegressions, AsciiGridWithWideMidGoesRound) {
    KaSystem::KaScalarGrid grid;
    ASSERT_TRUE(KaSystem::ReadGrid(CorpusFile("ascii_grid", "regress-wide-mid"), grid, KaSystem::ASCII_GRID));
    ASSERT_EQ(grid.GetXMid(), 3e38f);
    std::stringstream file;
    ASSERT_TRUE(KaSystem::WriteGrid(file, grid, KaSystem::ASCII_GRID));
    // The Dim line starts a line of its own.
    std::string line;
    for (int i = 0; i < 3; ++i) std::getline(file, line);
    EXPECT_EQ(line.rfind("Dim: ", 0), 0u) << line;
    file.seekg(0);
    KaSystem::KaScalarGrid copy;
    ASSERT_TRUE(KaSystem::ReadGrid(file, copy, KaSystem::ASCII_GRID)) << file.str();
    EXPECT_EQ(copy.GetXMid(), 3e38f);
    EXPECT_EQ(copy.GetYMid(), -3e38f);
    EXPECT_EQ(copy.GetZMid(), 3e38f);
    EXPECT_EQ(copy.GetSize(), 1u);
    EXPECT_EQ(copy.GetValue(0, 0, 0), 1.0f);
}

}  // namespace
