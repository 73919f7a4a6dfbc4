// The PDB writer: what it writes reads back to the same molecule.
#include <iterator>
#include <set>
#include <sstream>
#include <tuple>
#include <utility>

#include "molecule/elements.h"
#include "molecule/format.h"
#include "molecule/io.h"
#include "molecule/io_formats.h"
#include "molecule/perceive_bonds.h"
#include "reader_test_support.h"

namespace {

using namespace readers_test;
using Kamol::KaAtomBase;
using Kamol::KaMolBase;
using Kamol::ReadMolecule;
using Kamol::WriteMolecule;

// Bonds as pairs of positions in storage order, so that molecules with
// different indices (after deletions) compare.
std::set<std::pair<size_t, size_t>> BondPairs(const KaMolBase& mol) {
    std::vector<const KaAtomBase*> atoms = Atoms(mol);
    std::vector<size_t> position(mol.IndexLimit());
    for (size_t i = 0; i < atoms.size(); ++i) position[atoms[i]->GetIndex()] = i;
    std::set<std::pair<size_t, size_t>> pairs;
    for (const KaAtomBase* atom : atoms)
        for (const Kamol::KaBondBase* bond : atom->Bonds()) {
            size_t a = position[atom->GetIndex()], b = position[bond->GetNeighbour(*atom)->GetIndex()];
            pairs.emplace(std::min(a, b), std::max(a, b));
        }
    return pairs;
}

// An atom without a residue record reads back as a hetero atom of the
// default residue; without a name, named by its element in PDB, by element
// and serial in mmCIF. PDB columns round numbers; mmCIF keeps them exact.
void ExpectSameMolecule(const KaMolBase& written, const KaMolBase& read, bool pdb = false) {
    std::vector<const KaAtomBase*> a = Atoms(written), b = Atoms(read);
    ASSERT_EQ(a.size(), b.size());
    const float coordTolerance = pdb ? 6e-4f : 0.0f, fieldTolerance = pdb ? 5e-3f : 0.0f;
    for (size_t i = 0; i < a.size(); ++i) {
        const Kamol::KaResidue &ra = Res(a[i]), &rb = Res(b[i]);
        const bool plain = !Kamol::HasAtomResidue(*a[i]);
        const std::string symbol = Kamol::GetElementSymbol(a[i]->GetAtomicNum());
        const std::string name = !a[i]->Name().empty() ? a[i]->Name() : pdb ? symbol : symbol + std::to_string(i + 1);
        ASSERT_EQ(b[i]->Name(), name) << i;
        EXPECT_EQ(b[i]->GetAtomicNum(), a[i]->GetAtomicNum()) << i;
        float p[3], q[3];
        written.GetCoords(*a[i], p);
        read.GetCoords(*b[i], q);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], q[k], coordTolerance) << i;
        EXPECT_EQ(std::tie(rb.residueName, rb.residueNumber, rb.insertCode, rb.chainId, rb.alternateLocation),
                  std::tie(ra.residueName, ra.residueNumber, ra.insertCode, ra.chainId, ra.alternateLocation))
            << i;
        EXPECT_EQ(rb.hetAtom, ra.hetAtom || plain) << i;
        if (plain) continue;
        EXPECT_EQ(std::tie(rb.serialNumber, rb.secondaryStructure, rb.modelNumber),
                  std::tie(ra.serialNumber, ra.secondaryStructure, ra.modelNumber))
            << i;
        EXPECT_NEAR(rb.bFactor, ra.bFactor, fieldTolerance) << i;
        EXPECT_NEAR(rb.occupancy, ra.occupancy, fieldTolerance) << i;
    }
    EXPECT_EQ(BondPairs(read), BondPairs(written));
}

// Every bundled structure, written in each format (plain and compressed)
// and read back.
class RoundTrip : public ::testing::TestWithParam<std::tuple<const char*, const char*>> {};

TEST_P(RoundTrip, ReadsBackTheSameAtomsResiduesAndBonds) {
    const auto [source, outName] = GetParam();
    auto original = ReadMolecule(DataFile(source));
    ScratchDir dir;
    WriteMolecule(dir.Path(outName), *original);
    const bool pdb = Kamol::FormatFromPath(outName) == Kamol::FORMAT_PDB;
    ExpectSameMolecule(*original, *ReadMolecule(dir.Path(outName)), pdb);
}

INSTANTIATE_TEST_SUITE_P(BundledFiles, RoundTrip,
                         ::testing::Combine(::testing::Values("1hpv.pdb", "3al1.pdb", "pept.pdb", "small01.mol",
                                                              "small03.mol2", "LIG_1HPV.mol2", "ligs3d.sdf"),
                                            ::testing::Values("out.pdb", "out.cif", "out.cif.gz")));

// Numbers past the decimal columns, two-character chains, insertion codes,
// alternate locations, metal names and helix classes survive the trip.
TEST(PdbWriter, KeepsWideNumbersAndOddFields) {
    Kamol::KaGraphMol mol;
    struct AtomFields {  // element, name, residue number, serial, chain, insert code, altloc, flags
        uint32_t element; const char* name; int residueNumber, serial; const char* chain; char icode, altloc; uint32_t flags;
    };
    const AtomFields atoms[] = {{26, "FE", 12345, 123456, "AB", 'B', 'C', 9},
                               {6, "CA", -5, 7, "AB", ' ', ' ', 9},
                               {1, "HG21", 99999, 8, "Z", 'A', ' ', 32}};
    float x = 0;
    for (const AtomFields& s : atoms) {
        KaAtomBase& atom = mol.NewAtom(s.element);
        atom.SetName(s.name);
        const float xyz[3] = {x, -999.25f, 9999.5f};
        x += 5;
        mol.SetCoords(atom, xyz);
        Kamol::KaResidue r;
        r.residueName = "ABCD";
        r.residueNumber = s.residueNumber;
        r.serialNumber = s.serial;
        r.chainId = s.chain;
        r.insertCode = s.icode;
        r.alternateLocation = s.altloc;
        r.secondaryStructure = s.flags;
        r.modelNumber = 3;
        Kamol::SetAtomResidue(atom, r);
    }
    ScratchDir dir;
    Warnings warnings = CollectWarnings([&] { WriteMolecule(dir.Path("wide.pdb"), mol); });
    EXPECT_EQ(warnings.count, 1u);  // the four-letter residue name is cut
    // A name that starts with its two-letter element symbol starts in column 13.
    const std::string text = ReadText(dir.Path("wide.pdb"));  // sheet strands are numbered from 1
    EXPECT_TRUE(text.find("A0I3K FE  ") != std::string::npos && text.find("\nSHEET    1   1 1 ABC") != std::string::npos);
    auto read = ReadMolecule(dir.Path("wide.pdb"));
    ASSERT_EQ(read->NumAtoms(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        const Kamol::KaResidue& r = Res(read->GetAtom(i));
        EXPECT_EQ(std::make_tuple(std::string(read->GetAtom(i)->Name()), read->GetAtom(i)->GetAtomicNum(), r.residueName,
                                  r.residueNumber, r.serialNumber, r.chainId, r.insertCode, r.alternateLocation,
                                  r.secondaryStructure, r.modelNumber),
                  std::make_tuple(std::string(atoms[i].name), atoms[i].element, std::string("ABC"), atoms[i].residueNumber,
                                  atoms[i].serial, std::string(atoms[i].chain), atoms[i].icode, atoms[i].altloc,
                                  atoms[i].flags, 3)) << i;
    }
}

// Fields past what PDB columns hold: PDB refuses them, pointing to mmCIF,
// which keeps them, and keeps texts that need quoting in its syntax.
struct BeyondPdb {
    const char* chain;
    int residueNumber;
    const char* atomName;
    const char* residueName;
    const char* pdbError;
};

class BeyondPdbColumns : public ::testing::TestWithParam<BeyondPdb> {};

TEST_P(BeyondPdbColumns, PdbRefusesAndMmcifKeepsThem) {
    const BeyondPdb& c = GetParam();
    auto mol = ReadMolecule(DataFile("pept.pdb"));
    KaAtomBase& atom = *mol->GetAtom(mol->IndexLimit() - 1);
    atom.SetName(c.atomName);
    Kamol::KaResidue r = Kamol::GetAtomResidue(atom);
    r.chainId = c.chain;
    r.residueNumber = c.residueNumber;
    r.residueName = c.residueName;
    Kamol::SetAtomResidue(atom, r);
    ScratchDir dir;
    const std::string pdb = dir.Path("out.pdb");
    try {
        WriteMolecule(pdb, *mol);
        ADD_FAILURE() << "no error";
    } catch (const Kamol::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(pdb + ": " + c.pdbError), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("; write mmCIF (.cif) instead"), std::string::npos) << e.what();
    }
    WriteMolecule(dir.Path("out.cif"), *mol);
    ExpectSameMolecule(*mol, *ReadMolecule(dir.Path("out.cif")));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, BeyondPdbColumns,
    ::testing::Values(BeyondPdb{"ABC", 7, "O5'", "A B", "chain id 'ABC' is longer than the two PDB chain columns"},
                      BeyondPdb{"A", 1223056, "N", "_X", "residue number 1223056 does not fit the PDB columns"},
                      BeyondPdb{"A", -1000, "'a b'", "data_", "residue number -1000 does not fit the PDB columns"},
                      BeyondPdb{"x\"' y", 7, "\" q", "#1", "chain id 'x\"' y' is longer"}));

TEST(PdbWriter, RefusesWhatItCannotWrite) {
    auto mol = ReadMolecule(DataFile("pept.pdb"));
    ScratchDir dir;
    EXPECT_THROW(WriteMolecule(dir.Path("missing/dir/out.pdb"), *mol), Kamol::FileError);
    try {
        WriteMolecule(dir.Path("out.sdf"), *mol);
        ADD_FAILURE() << "no error";
    } catch (const Kamol::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("no writer for format 'MDL SDF'"), std::string::npos) << e.what();
    }
    const float far[3] = {10000.0f, 0.0f, 0.0f};
    mol->SetCoords(*mol->GetAtom(3), far);
    try {
        WriteMolecule(dir.Path("far.pdb"), *mol);
        ADD_FAILURE() << "no error";
    } catch (const Kamol::FormatError& e) {
        EXPECT_NE(std::string(e.what()).find(dir.Path("far.pdb") + ": atom 3 has coordinate 10000"), std::string::npos)
            << e.what();
    }
}

// Atoms without residue data have no occupancy or B-factor: mmCIF gets "?"
// (unknown) for both instead of the default record's numbers, and the file
// reads back through the one-pass reader and through gemmi's document
// reader alike. Atoms with a record keep their values, a B-factor of 20 too.
TEST(MmcifWriter, WritesUnknownOccupancyAndBFactorForAtomsWithoutResidueData) {
    auto mol = ReadMolecule(DataFile("small01.mol"));
    Kamol::KaResidue recorded;
    recorded.occupancy = 0.5f;
    recorded.bFactor = 20.0f;
    recorded.serialNumber = recorded.modelNumber = 1;  // as written, so that the record reads back whole
    recorded.residueNumber = 2;                         // a residue apart from the default one
    recorded.hetAtom = true;
    Kamol::SetAtomResidue(*mol->GetAtom(0), recorded);
    ScratchDir dir;
    const std::string path = dir.Path("out.cif");
    WriteMolecule(path, *mol);

    std::vector<std::pair<std::string, std::string>> written;  // (occupancy, B-factor) per _atom_site row
    std::istringstream text(ReadText(path));
    bool inRows = false;
    for (std::string line; std::getline(text, line);) {
        if (line == "_atom_site.pdbx_PDB_model_num") inRows = true;
        else if (inRows && line == "#") break;
        else if (inRows) {
            std::istringstream row(line);
            std::vector<std::string> fields{std::istream_iterator<std::string>(row), {}};
            ASSERT_EQ(fields.size(), 18u) << line;
            written.emplace_back(fields[11], fields[12]);
        }
    }
    ASSERT_EQ(written.size(), mol->NumAtoms());
    EXPECT_EQ(written[0], std::make_pair(std::string("0.5"), std::string("20")));
    for (size_t i = 1; i < written.size(); ++i)
        EXPECT_EQ(written[i], std::make_pair(std::string("?"), std::string("?"))) << i;

    auto onePass = ReadMolecule(path);
    auto whole = Kamol::io_detail::ReadMmcifText(ReadText(path), path, Kamol::io_detail::ReadScope::First);
    ASSERT_EQ(whole.size(), 1u);
    ExpectSameMolecule(*mol, *onePass);
    ExpectSameMolecule(*mol, *whole[0]);
    for (uint32_t i = 0; i < mol->NumAtoms(); ++i) {
        const Kamol::KaResidue &a = Res(onePass->GetAtom(i)), &b = Res(whole[0]->GetAtom(i));
        EXPECT_EQ(std::tie(a.occupancy, a.bFactor), std::tie(b.occupancy, b.bFactor)) << i;
    }
}

}  // namespace
