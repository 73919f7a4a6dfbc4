// Conventions of molecular-dynamics files: ions named as force fields name
// them, segments that share a chain id, and where a selection text that does
// not parse goes wrong. Structures are cut from the bundled PDB files and
// rewritten as MD tools write them (no element columns, segment ids).
#include <gtest/gtest.h>

#include <sstream>

#include "molecule/elements.h"
#include "molecule/io.h"
#include "molecule/segments.h"
#include "reader_test_support.h"
#include "selection/parse_failure.h"
#include "selection/queries.h"
#include "selection/selection.h"

namespace {

using readers_test::DataFile;
using readers_test::ReadText;
using readers_test::ScratchDir;

TEST(IonElements, NamedAsForceFieldsNameThem) {
    const std::tuple<const char*, const char*, uint32_t> cases[] = {
        {"NA", "NA", 11},  {"NA+", "NA+", 11}, {"Na+", "Na+", 11}, {"SOD", "SOD", 11}, {"NA", "Na", 11},
        {"CL", "CL", 17},  {"CL-", "CL", 17},  {"CLA", "CLA", 17}, {"K", "K", 19},     {"POT", "POT", 19},
        {"MG", "MG", 12},  {"MG", "MG2+", 12}, {"CA", "CA", 20},   {"CAL", "CAL", 20}, {"ZN2", "ZN", 30},
        {"IOD", "I", 53},  {"CES", "CES", 55},
        // Not the ion: other atoms of those residues, ion names in other residues.
        {"ALA", "CA", 0},  {"NA", "C1", 0},    {"CA", "CB", 0},    {"CLA", "C", 0},    {"SOD", "NAX", 0},
        {"HOH", "O", 0},   {"NAG", "NA", 0},   {"", "", 0},        {"SODIUM", "SOD", 0}};
    for (auto [residue, atom, z] : cases) EXPECT_EQ(Kamol::IonElement(residue, atom), z) << residue << " " << atom;
}

// 1hpv's first waters as ions of both force-field families, and the whole
// file without element columns: ions get their element, the protein's CA
// atoms stay carbon, and "metal" selects exactly the ions.
TEST(IonElements, PdbWithoutElementColumns) {
    const std::pair<const char*, const char*> ions[] = {{"NA ", " NA "}, {"SOD", "SOD "}, {"CLA", "CLA "},
                                                        {"CA ", " CA "}, {"NA+", "NA+ "}, {"POT", "POT "}};
    std::istringstream lines(ReadText(DataFile("1hpv.pdb")));
    std::string text, line;
    size_t waters = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
        line = line.substr(0, 66);
        if (line.substr(17, 3) == "HOH" && waters < std::size(ions)) {
            line.replace(17, 3, ions[waters].first);
            line.replace(12, 4, ions[waters].second);
            ++waters;
        }
        text += line + "\n";
    }
    ScratchDir dir;
    auto mol = Kamol::ReadMolecule(dir.Write("md.pdb", text + "END\n"));
    EXPECT_EQ(KaSel::CountSelection(*mol, "metal"), 5u);
    EXPECT_EQ(KaSel::CountSelection(*mol, "elem Na"), 3u);
    EXPECT_EQ(KaSel::CountSelection(*mol, "elem Cl"), 1u);
    EXPECT_EQ(KaSel::CountSelection(*mol, "elem K"), 1u);
    EXPECT_EQ(KaSel::CountSelection(*mol, "elem Ca"), 1u);
    EXPECT_EQ(KaSel::CountSelection(*mol, "name CA and elem C"), KaSel::CountSelection(*mol, "protein and name CA"));
    EXPECT_EQ(KaSel::CountSelection(*mol, "resn \"NA+\"+NA+SOD+CLA+CA+POT and (elem N or elem C)"), 0u);
}

// pept.pdb written twice, as segments PROA and PROB of one chain: the copies
// get chains of their own, so byres stays inside one copy.
std::string TwoSegments(char chain) {
    std::istringstream lines(ReadText(DataFile("pept.pdb")));
    std::string atoms, line;
    while (std::getline(lines, line))
        if (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0) atoms += line.substr(0, 66) + "\n";
    std::string text;
    for (const char* segment : {"PROA", "PROB"}) {
        std::istringstream copy(atoms);
        while (std::getline(copy, line)) {
            line[21] = chain;
            text += line + "      " + segment + "\n";
        }
        text += "TER\n";
    }
    return text + "END\n";
}

TEST(Segments, SegmentsSharingAChainGetChainsOfTheirOwn) {
    ScratchDir dir;
    for (char chain : {'E', ' '}) {
        auto mol = Kamol::ReadMolecule(dir.Write("two.pdb", TwoSegments(chain)));
        const uint32_t half = mol->NumAtoms() / 2;
        const unsigned residueOne = KaSel::CountSelection(*mol, "resi 1") / 2;
        EXPECT_EQ(KaSel::CountSelection(*mol, "byres index 0"), residueOne) << chain;
        EXPECT_EQ(KaSel::CountSelection(*mol, "byres index " + std::to_string(half)), residueOne) << chain;
        EXPECT_EQ(KaSel::CountSelection(*mol, "chain A"), half) << chain;
        EXPECT_EQ(KaSel::CountSelection(*mol, "chain B and index >= " + std::to_string(half)), half) << chain;
        const auto segments = Kamol::SegmentChains(*mol);
        const decltype(segments) expected{{"PROA", "A"}, {"PROB", "B"}};
        EXPECT_EQ(segments, expected) << chain;
        // Written and read again: the same segments on the same chains.
        const std::string written = dir.Path("written.pdb");
        Kamol::WriteMolecule(written, *mol);
        EXPECT_EQ(Kamol::SegmentChains(*Kamol::ReadMolecule(written)), expected) << chain;
    }
}

TEST(Segments, OneSegmentPerChainChangesNothing) {
    ScratchDir dir;
    std::string text = TwoSegments('E');
    // The second copy in chain F: no chain holds two segments.
    for (size_t at = text.find("PROB"); at != std::string::npos; at = text.find("PROB", at + 1))
        text[text.rfind('\n', at) + 22] = 'F';
    auto mol = Kamol::ReadMolecule(dir.Write("apart.pdb", text));
    EXPECT_EQ(KaSel::CountSelection(*mol, "chain E"), mol->NumAtoms() / 2);
    EXPECT_EQ(KaSel::CountSelection(*mol, "chain F"), mol->NumAtoms() / 2);
    const auto segments = Kamol::SegmentChains(*mol);
    const decltype(segments) expected{{"PROA", "E"}, {"PROB", "F"}};
    EXPECT_EQ(segments, expected);
}

// A segment whose own letters are taken, and the fallback letters.
TEST(Segments, ChainIdsComeFromTheSegmentIdThenInOrder) {
    Kamol::KaGraphMol mol;
    Kamol::KaResidue record;
    record.chainId = "X";
    const float xyz[3] = {0, 0, 0};
    const char* names[] = {"AX", "BA", "X"};  // A, then B (A taken), then nothing of its own: C
    for (const char* segment : names) {
        record.segmentId = segment;
        mol.AppendAtom(6, "C", xyz, record);
    }
    const std::vector<Kamol::SegmentRun> runs{{0, 1, 'X', "AX"}, {1, 1, 'X', "BA"}, {2, 1, 'X', "X"}};
    EXPECT_EQ(Kamol::SeparateSegmentChains(mol, runs, "test"), 3u);
    std::string chains;
    for (uint32_t i = 0; i < 3; ++i) chains += Kamol::GetAtomResidue(*mol.GetAtom(i)).chainId;
    EXPECT_EQ(chains, "ABC");
}

TEST(ParseFailure, PointsAtTheFaultAndHintsAtQuotes) {
    const std::tuple<const char*, size_t, const char*> cases[] = {
        {"resn NA+", 7, "resn \"NA+\""},
        {"water and resn MG2+ and protein", 18, "resn \"MG2+\""},
        {"name O1' or water", 7, "name \"O1'\""},
        {"water and", 9, ""},
        {"resi<10", 4, ""},
        {"(water or protein", 17, ""},
        {"  ligand around 5 around 3", 18, ""},
        {"chain AB", 7, ""},
        {"water and proteins", 17, ""},
        {"ligand around x", 14, ""}};
    for (auto [text, position, hint] : cases) {
        const auto failure = KaSel::ParseFailurePosition(text);
        ASSERT_TRUE(failure.has_value()) << text;
        EXPECT_EQ(failure->position, position) << text;
        EXPECT_EQ(failure->hint, hint) << text;
        EXPECT_THROW(KaSel::KaSelection::Parse(text), KaSel::SelectionError) << text;
    }
    for (const char* accepted : {"", "resn \"NA+\"", "water", "resi 99999999999", "name CA+CB"})
        EXPECT_FALSE(KaSel::ParseFailurePosition(accepted).has_value()) << accepted;
    EXPECT_TRUE(KaSel::ParseFailurePosition(std::string(5000, '(') + "water").has_value());
}

}  // namespace
