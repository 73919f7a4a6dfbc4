// Structure-file readers on the bundled real files and on broken copies of them.
#define USE_STD_SNPRINTF
#define GEMMI_WRITE_IMPLEMENTATION
#include <gemmi/pdb.hpp>
#include <gemmi/polyheur.hpp>
#include <gemmi/to_cif.hpp>
#include <gemmi/to_mmcif.hpp>

#include <zlib.h>

#include <map>
#include <set>
#include <tuple>

#include "molecule/elements.h"
#include "molecule/format.h"
#include "molecule/io.h"
#include "molecule/perceive_bonds.h"
#include "reader_test_support.h"

namespace {

using namespace readers_test;
using Kamol::FileError;
using Kamol::FormatError;
using Kamol::KaAtomBase;
using Kamol::KaMolBase;
using Kamol::ReadMolecule;
using Kamol::ReadMolecules;

// The message of the exception of type E that `call` throws, or a marker.
template <class E, class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const E& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("<other exception> ") + e.what();
    }
    return "<no exception>";
}

// ---- PDB ------------------------------------------------------------------

// Every atom against the columns of its ATOM/HETATM record (first model).
class PdbRecords : public ::testing::TestWithParam<const char*> {};

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(' '), last = text.find_last_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

TEST_P(PdbRecords, EveryAtomReadsItsRecordsColumns) {
    auto mol = ReadMolecule(DataFile(GetParam()));
    std::istringstream lines(ReadText(DataFile(GetParam())));
    uint32_t row = 0;
    for (std::string line; std::getline(lines, line) && line.rfind("ENDMDL", 0) != 0;) {
        if (line.rfind("ATOM  ", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
        line.resize(80, ' ');
        ASSERT_LT(row, mol->NumAtoms());
        const KaAtomBase* atom = mol->GetAtom(row++);
        const Kamol::KaResidue& r = Res(atom);
        EXPECT_EQ(atom->Name(), Trim(line.substr(12, 4))) << line;
        EXPECT_EQ(std::tie(r.residueName, r.chainId, r.residueNumber, r.serialNumber),
                  std::make_tuple(Trim(line.substr(17, 3)), line.substr(21, 1), std::stoi(line.substr(22, 4)),
                                  std::stoi(line.substr(6, 5)))) << line;
        EXPECT_EQ(std::tie(r.alternateLocation, r.insertCode, r.hetAtom),
                  std::make_tuple(line[16], line[26], line[0] == 'H')) << line;
        EXPECT_FLOAT_EQ(r.occupancy, std::stof(line.substr(54, 6))) << line;
        EXPECT_FLOAT_EQ(r.bFactor, std::stof(line.substr(60, 6))) << line;
        float xyz[3];
        mol->GetCoords(*atom, xyz);
        for (int d = 0; d < 3; ++d) EXPECT_FLOAT_EQ(xyz[d], std::stof(line.substr(30 + 8 * d, 8))) << line;
        // The element column when it holds an element, else the name's first letter.
        std::string symbol = Trim(line.substr(76, 2));
        if (symbol.empty() || !std::isalpha(uint8_t(symbol[0])) || !std::isalpha(uint8_t(symbol.back())))
            symbol = std::string(1, Trim(line.substr(12, 4)).find_first_not_of("0123456789") == 0
                                        ? Trim(line.substr(12, 4))[0] : Trim(line.substr(12, 4))[1]);
        EXPECT_EQ(atom->GetAtomicNum(), Kamol::GetAtomicNumFromSymbol(symbol.c_str())) << line;
    }
    EXPECT_EQ(row, mol->NumAtoms());
}

INSTANTIATE_TEST_SUITE_P(BundledFiles, PdbRecords, ::testing::Values("1hpv.pdb", "3al1.pdb", "pept.pdb"));

// Helix classes, turns, CONECT trust, unresolved CONECT serials and atoms
// past END, on a file cut from pept.pdb with records of our own.
TEST(PdbReader, ReadsHelixClassesTurnsAndConectRecords) {
    std::string atoms;
    std::istringstream pept(ReadText(DataFile("pept.pdb")));
    std::string line;
    for (int i = 0; i < 60 && std::getline(pept, line); ++i) atoms += line + "\n";
    std::string text =
        "HELIX    1   1 CYS E    2  ALA E    3  5                                   2\n"
        "HELIX    2   2 HIS E    5  LEU E    6  6                                   2\n"
        "TURN     1 T1  GLY E   7  GLU E   8A\n"  // the turn ends at an inserted residue
        "TURN     2 T2  SER E   4  SER E   4\n" + atoms +  // 35 columns: no room for an insert code
        "ATOM    998  CA  GLU E   8A     30.000  30.000  30.000  1.00 20.00           C\n" +
        // Two hetero atoms 3 A apart, joined only by CONECT; two 1.2 A apart,
        // both named by CONECT, whose bonds the file gives in full.
        // An explicit plus sign, and columns 79-80 that hold no charge (cleared).
        "HETATM  901  C1  LIG X   1     +50.000  50.000  50.000  1.00 20.00           C\n"
        "HETATM  902  C2  LIG X   1      53.000  50.000  50.000  1.00 20.00           C1X\n"
        "HETATM  903  C3  LIG X   1      50.000  51.200  50.000  1.00 20.00           C\n"
        "CONECT  901  902\n"
        "CONECT  903  999\n"
        "END\n"
        "HETATM  904  C4  LIG X   2      60.000  50.000  50.000  1.00 20.00           C\n";
    ScratchDir dir;
    std::string path = dir.Write("records.pdb", text);
    std::unique_ptr<Kamol::KaGraphMol> mol;
    Warnings warnings = CollectWarnings([&] { mol = ReadMolecule(path); });
    // Residues 3 (3-10 helix), 6 (left-handed alpha) and the turns 4 and 7-8; 1 has no flags.
    for (auto [number, flags] : {std::pair{1, 0u}, {3, 9u}, {4, 16u}, {6, 138u}, {7, 16u}, {8, 16u}})
        EXPECT_EQ(Res(ResidueAtoms(*mol, "E", number).at(0)).secondaryStructure, flags) << number;
    EXPECT_EQ(Res(ResidueAtoms(*mol, "E", 8).back()).insertCode, 'A');
    EXPECT_EQ(Res(ResidueAtoms(*mol, "E", 8).back()).secondaryStructure, 16u);
    std::vector<const KaAtomBase*> lig = ResidueAtoms(*mol, "X", 1);
    ASSERT_EQ(lig.size(), 3u);
    EXPECT_TRUE(Kamol::AreBonded(*lig[0], *lig[1]));
    float xyz[3];
    mol->GetCoords(*lig[0], xyz);
    EXPECT_EQ(xyz[0], 50.0f);
    EXPECT_FALSE(Kamol::AreBonded(*lig[0], *lig[2]));
    EXPECT_EQ(warnings.count, 2u);
    EXPECT_NE(warnings.text.find("1 CONECT bonds"), std::string::npos) << warnings.text;
    EXPECT_NE(warnings.text.find("1 ATOM/HETATM records follow the END record"), std::string::npos) << warnings.text;
    EXPECT_NE(warnings.text.find(path), std::string::npos) << warnings.text;
}

// A serial met twice: CONECT binds the first atom holding it, and says so.
TEST(PdbReader, RepeatedSerialBindsTheFirstAtomWithAWarning) {
    ScratchDir dir;
    std::string path = dir.Write("twice.pdb",
        "HETATM  901  C1  LIG X   1      50.000  50.000  50.000  1.00 20.00           C\n"
        "HETATM  902  C2  LIG X   1      53.000  50.000  50.000  1.00 20.00           C\n"
        "HETATM  901  C3  LIG X   2      60.000  50.000  50.000  1.00 20.00           C\n"
        "CONECT  901  902\n"
        "END\n");
    std::unique_ptr<Kamol::KaGraphMol> mol;
    Warnings warnings = CollectWarnings([&] { mol = ReadMolecule(path); });
    EXPECT_TRUE(Kamol::AreBonded(*mol->GetAtom(0), *mol->GetAtom(1)));
    EXPECT_EQ(mol->GetAtom(2)->Bonds().size(), 0u);
    EXPECT_NE(warnings.text.find(path + ": atom serial 901 occurs more than once in model 1; CONECT records use the "
                                        "first atom with each serial"),
              std::string::npos)
        << warnings.text;
}

// The model number is the integer at the start of columns 7-14: right-aligned
// in columns 11-14 as most programs write it, or right after the record name.
// A line without one gives 0, whatever a longer line before it held there.
TEST(PdbReader, ReadsTheModelNumberFromColumns7To14) {
    const std::pair<const char*, int> cases[] = {
        {"MODEL        1", 1},      {"MODEL     9999", 9999}, {"MODEL    10000", 10000},
        {"MODEL 1", 1},             {"MODEL  12", 12},        {"MODEL     3", 3},
        {"MODEL  4    2", 4},       {"MODEL", 0},             {"MODEL   ", 0},
    };
    ScratchDir dir;
    const std::string atom = "ATOM      1  CA  ALA A   1       1.000   2.000   3.000  1.00 20.00           C\n";
    for (const auto& [line, number] : cases) {
        // Digits in columns 8-25 of the line before.
        const std::string path = dir.Write("model.pdb", "REMARK 999 123456789012345\n" + std::string(line) + "\n" + atom +
                                                            "ENDMDL\n");
        auto models = ReadMolecules(path);
        ASSERT_EQ(models.size(), 1u) << line;
        EXPECT_EQ(Res(models[0]->GetAtom(0)).modelNumber, number) << line;
    }
}

// ---- Bonds of proteins ------------------------------------------------------

class ProteinBonds : public ::testing::TestWithParam<const char*> {};

TEST_P(ProteinBonds, JoinEachResidueToTheNextAndStayChemical) {
    auto mol = ReadMolecule(DataFile(GetParam()));
    int peptideBonds = 0;
    for (const KaAtomBase* c : Atoms(*mol)) {
        const Kamol::KaResidue& r = Res(c);
        if (r.hetAtom || c->Name() != "C") continue;
        std::vector<const KaAtomBase*> next = NamedAtoms(*mol, r.chainId, r.residueNumber + 1, "N");
        if (next.empty() || Res(next[0]).hetAtom) continue;
        bool joined = false;
        for (const KaAtomBase* n : next) joined |= Kamol::AreBonded(*c, *n);
        EXPECT_TRUE(joined) << r.residueName << " " << r.residueNumber << r.chainId << r.alternateLocation;
        ++peptideBonds;
    }
    EXPECT_GT(peptideBonds, 10);

    auto* bonds = mol->GetBondIter();
    for (; bonds->IsValid(); bonds->Next()) {
        const KaAtomBase& a = bonds->Current().GetBgn();
        const KaAtomBase& b = bonds->Current().GetEnd();
        if (a.GetAtomicNum() <= 10 && b.GetAtomicNum() <= 10) {
            EXPECT_LE(Distance(*mol, a, b), 2.0f) << a.Name() << "-" << b.Name();
        }
        char altA = Res(&a).alternateLocation, altB = Res(&b).alternateLocation;
        EXPECT_TRUE(altA == ' ' || altB == ' ' || altA == altB) << a.Name() << altA << "-" << b.Name() << altB;
    }
    delete bonds;
    for (const KaAtomBase* atom : Atoms(*mol)) {
        if (atom->GetAtomicNum() == 1) {
            EXPECT_EQ(atom->Bonds().size(), 1u) << Res(atom).residueName << atom->Name();
        }
        if (Res(atom).residueName == "HOH" && atom->GetAtomicNum() == 8) {
            EXPECT_TRUE(atom->Bonds().empty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BundledFiles, ProteinBonds, ::testing::Values("1hpv.pdb", "3al1.pdb", "pept.pdb"));

// ---- Models, compression, format choice ---------------------------------------

TEST(PdbReader, ReadsGzipAndTakesTheFormatFromTheCodeOrSuffix) {
    ScratchDir dir;
    std::string text = ReadText(DataFile("1hpv.pdb"));
    std::string gz = dir.Path("1hpv.pdb.gz");
    gzFile out = gzopen(gz.c_str(), "wb");
    ASSERT_TRUE(out);
    ASSERT_EQ(gzwrite(out, text.data(), unsigned(text.size())), int(text.size()));
    gzclose(out);
    auto plain = ReadMolecule(DataFile("1hpv.pdb"));
    auto unzipped = ReadMolecule(gz);
    EXPECT_EQ(unzipped->NumAtoms(), plain->NumAtoms());
    EXPECT_EQ(unzipped->NumBonds(), plain->NumBonds());
    // Compressed content is recognised by its magic bytes, not by the name.
    EXPECT_EQ(ReadMolecule(dir.Write("zipped.pdb", ReadText(gz)))->NumAtoms(), 1631u);

    std::string txt = dir.Write("structure.txt", text);
    EXPECT_NE(ErrorOf<FormatError>([&] { ReadMolecule(txt); }).find("cannot tell the file format"), std::string::npos);
    EXPECT_EQ(ReadMolecule(txt, Kamol::FORMAT_PDB)->NumAtoms(), 1631u);
    EXPECT_EQ(ReadMolecule(dir.Write("x.ent", text))->NumAtoms(), 1631u);
    EXPECT_NE(ErrorOf<FormatError>([&] { ReadMolecule(txt, Kamol::FORMAT_CAN_SMILES); }).find("no reader"),
              std::string::npos);
    EXPECT_NE(ErrorOf<FormatError>([&] { ReadMolecule(txt, 99); }).find("not a molecule format"), std::string::npos);
    std::string cut = dir.Write("cut.pdb.gz", ReadText(gz).substr(0, ReadText(gz).size() / 2));  // a stream cut in half
    // zlib's own name for the stream ("<fd:5>") stays out of the message.
    EXPECT_EQ(ErrorOf<FormatError>([&] { ReadMolecule(cut); }), cut + ": damaged gzip data (unexpected end of file)");
}

// ---- mmCIF ----------------------------------------------------------------------

// gemmi writes the mmCIF of a PDB file; both must read to the same molecule.
class MmcifReader : public ::testing::TestWithParam<const char*> {};

TEST_P(MmcifReader, ReadsWhatThePdbReaderReadsFromTheSameStructure) {
    std::string pdbText = ReadText(DataFile(GetParam()));
    // gemmi rejects the line numbers of old files in columns 73-80.
    std::string cleaned;
    std::istringstream lines(pdbText);
    for (std::string line; std::getline(lines, line);) cleaned += line.substr(0, 72) + "\n";
    gemmi::Structure st = gemmi::read_pdb_string(cleaned, GetParam());
    gemmi::setup_entities(st);
    ScratchDir dir;
    std::string cif = dir.Path("structure.cif");
    {
        std::ofstream os(cif);
        gemmi::MmcifOutputGroups groups(true);
        groups.group_pdb = true;
        gemmi::cif::write_cif_to_stream(os, gemmi::make_mmcif_document(st, groups));
    }
    auto fromPdb = ReadMolecule(DataFile(GetParam()));
    auto fromCif = ReadMolecule(cif);
    ASSERT_EQ(fromCif->NumAtoms(), fromPdb->NumAtoms());
    for (uint32_t i = 0; i < fromPdb->NumAtoms(); ++i) {
        const KaAtomBase* p = fromPdb->GetAtom(i);
        const KaAtomBase* c = fromCif->GetAtom(i);
        const Kamol::KaResidue &rp = Res(p), &rc = Res(c);
        ASSERT_EQ(c->Name(), p->Name()) << i;
        EXPECT_EQ(c->GetAtomicNum(), p->GetAtomicNum()) << i;
        float a[3], b[3];
        fromPdb->GetCoords(*p, a);
        fromCif->GetCoords(*c, b);
        EXPECT_NEAR(a[0], b[0], 1e-4) << i;
        EXPECT_NEAR(a[2], b[2], 1e-4) << i;
        EXPECT_EQ(std::tie(rc.residueName, rc.residueNumber, rc.insertCode, rc.chainId, rc.alternateLocation),
                  std::tie(rp.residueName, rp.residueNumber, rp.insertCode, rp.chainId, rp.alternateLocation))
            << i;
        // Serial numbers differ: gemmi numbers the mmCIF rows afresh.
        EXPECT_EQ(std::tie(rc.hetAtom, rc.secondaryStructure, rc.modelNumber),
                  std::tie(rp.hetAtom, rp.secondaryStructure, rp.modelNumber))
            << i;
        EXPECT_FLOAT_EQ(rc.bFactor, rp.bFactor);
        EXPECT_FLOAT_EQ(rc.occupancy, rp.occupancy);
    }
    EXPECT_EQ(fromCif->NumBonds(), fromPdb->NumBonds());
}

INSTANTIATE_TEST_SUITE_P(BundledFiles, MmcifReader, ::testing::Values("1hpv.pdb", "3al1.pdb", "pept.pdb"));

TEST(MmcifReaderRecords, UsesAuthorChainsTurnsLinksAndModels) {
    std::string atomSite =
        "loop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
        "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_seq_id\n"
        "_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n"
        "_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n_atom_site.auth_asym_id\n"
        "_atom_site.pdbx_PDB_model_num\n"
        "ATOM 1 N N . GLY A 1 ? 0.000 0.000 0.000 1.00 10.0 5 X 1\n"
        "ATOM 2 C CA . GLY A 1 ? 1.450 0.000 0.000 1.00 11.0 5 X 1\n"
        "ATOM 3 N N . GLY A 2 A 5.000 0.000 0.000 0.50 12.0 5 X 1\n"
        "HETATM 4 C C1 . LIG B . ? 10.000 0.000 0.000 1.00 30.0 101 Y 1\n"
        "HETATM 5 N N1 . LIG B . ? 12.800 0.000 0.000 1.00 31.0 101 Y 1\n"
        "ATOM 6 N N . GLY A 1 ? 0.000 0.000 1.000 1.00 10.0 5 X 2\n";
    std::string text = "data_test\n" + atomSite +
                       "loop_\n_struct_conf.conf_type_id\n_struct_conf.beg_auth_asym_id\n"
                       "_struct_conf.beg_label_comp_id\n_struct_conf.beg_auth_seq_id\n"
                       "_struct_conf.pdbx_beg_PDB_ins_code\n_struct_conf.end_auth_asym_id\n"
                       "_struct_conf.end_label_comp_id\n_struct_conf.end_auth_seq_id\n"
                       "_struct_conf.pdbx_end_PDB_ins_code\n_struct_conf.pdbx_PDB_helix_class\n"
                       "HELX_P X GLY 5 ? X GLY 5 ? 5\nTURN_P X GLY 5 A X GLY 5 A ?\n"
                       "loop_\n_struct_conn.id\n_struct_conn.conn_type_id\n_struct_conn.ptnr1_auth_asym_id\n"
                       "_struct_conn.ptnr1_label_comp_id\n_struct_conn.ptnr1_auth_seq_id\n"
                       "_struct_conn.ptnr1_label_atom_id\n_struct_conn.ptnr2_auth_asym_id\n"
                       "_struct_conn.ptnr2_label_comp_id\n_struct_conn.ptnr2_auth_seq_id\n"
                       "_struct_conn.ptnr2_label_atom_id\n"
                       "covale1 covale Y LIG 101 C1 Y LIG 101 N1\n";
    ScratchDir dir;
    std::string path = dir.Write("small.cif", text);
    std::vector<std::unique_ptr<Kamol::KaGraphMol>> models;
    Warnings warnings = CollectWarnings([&] { models = ReadMolecules(path); });
    // The second model lacks the linked ligand: the link is reported as skipped.
    EXPECT_EQ(warnings.count, 1u);
    EXPECT_NE(warnings.text.find("1 links name atoms that model 2 does not have"), std::string::npos)
        << warnings.text;
    ASSERT_EQ(models.size(), 2u);
    const KaMolBase& mol = *models[0];
    ASSERT_EQ(mol.NumAtoms(), 5u);
    EXPECT_EQ(Res(mol.GetAtom(0)).chainId, "X");
    EXPECT_EQ(Res(mol.GetAtom(0)).residueNumber, 5);
    const Kamol::KaResidue &first = Res(mol.GetAtom(0)), &third = Res(mol.GetAtom(2));
    EXPECT_EQ(std::make_tuple(first.secondaryStructure, first.hetAtom, third.insertCode, third.secondaryStructure,
                              third.occupancy, third.serialNumber, third.bFactor, Res(mol.GetAtom(3)).hetAtom),
              std::make_tuple(9u, false, 'A', 16u, 0.5f, 3, 12.0f, true));
    EXPECT_TRUE(Kamol::AreBonded(*mol.GetAtom(3), *mol.GetAtom(4)));   // 2.8 A: the link, not distance
    EXPECT_TRUE(Kamol::AreBonded(*mol.GetAtom(0), *mol.GetAtom(1)));   // perceived
    EXPECT_FALSE(Kamol::AreBonded(*mol.GetAtom(1), *mol.GetAtom(2)));  // 3.55 A
    EXPECT_EQ(models[1]->NumAtoms(), 1u);
    EXPECT_EQ(Res(models[1]->GetAtom(0)).modelNumber, 2);
}

// ---- Small molecules -------------------------------------------------------------

// Atom and bond counts as each record declares them; bond orders; no residue data.
TEST(SmallMoleculeReaders, ReadEveryRecordsAtomsAndBonds) {
    const std::tuple<const char*, size_t, size_t, uint32_t, uint32_t> cases[] = {
        {"small01.mol", 1, 0, 36, 37}, {"ligs3d.sdf", 10, 9, 31, 33}, {"small03.mol2", 16, 15, 37, 37},
        {"LIG_1HPV.mol2", 1, 0, 70, 72}};
    for (const auto& [file, count, record, atoms, bonds] : cases) {
        auto records = ReadMolecules(DataFile(file));
        ASSERT_EQ(records.size(), count) << file;
        EXPECT_EQ(std::make_pair(records[record]->NumAtoms(), records[record]->NumBonds()), std::make_pair(atoms, bonds))
            << file;
        EXPECT_FALSE(Kamol::HasAtomResidue(*records[0]->GetAtom(0))) << file;
    }
    auto mol = ReadMolecule(DataFile("small01.mol"));
    EXPECT_EQ(mol->GetAtom(0)->Bonds().at(2)->GetOrder(), 2u);  // "1 4 2"
    int aromatic = 0;
    auto ligand = ReadMolecule(DataFile("LIG_1HPV.mol2"));
    for (const Kamol::KaBondBase* bond : ligand->GetAtom(7)->Bonds()) aromatic += bond->GetOrder() == 4;
    EXPECT_EQ(aromatic, 2);  // C8 sits in a benzene ring
}

// A broken record among good ones is skipped, and said so.
TEST(SmallMoleculeReaders, SkipsABrokenRecordWithAWarning) {
    std::string sdf = ReadText(DataFile("ligs3d.sdf"));
    sdf.replace(sdf.find(" 33 37  0"), 9, " xx yy  0");  // counts line of record 2
    std::string mol2 = ReadText(DataFile("small03.mol2"));
    size_t third = mol2.find("@<TRIPOS>ATOM", mol2.find("AMPTRB10"));
    mol2.replace(mol2.find('\n', third) + 1, 20, "garbage line here   ");
    ScratchDir dir;
    for (auto [name, text, total, broken] :
         {std::tuple{"broken.sdf", sdf, size_t(9), "2"}, std::tuple{"broken.mol2", mol2, size_t(15), "3"}}) {
        std::string path = dir.Write(name, text);
        size_t read = 0;
        Warnings warnings = CollectWarnings([&] { read = ReadMolecules(path).size(); });
        EXPECT_EQ(read, total) << name;
        EXPECT_EQ(warnings.count, 1u) << name;
        EXPECT_NE(warnings.text.find(path + ": record " + broken), std::string::npos) << warnings.text;
        EXPECT_NE(ReadMolecule(path), nullptr);  // the first record is sound
    }
}

// ---- Bad input ---------------------------------------------------------------

struct BadFile {
    const char* name;
    std::string content;
    const char* expected;  // part of the message after the file name
};

std::string Head(const char* file, size_t bytes) { return ReadText(DataFile(file)).substr(0, bytes); }

class BadInput : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadInput, IsAFormatErrorNamingTheFileOnceAndTheFault) {
    ScratchDir dir;
    std::string path = dir.Write(GetParam().name, GetParam().content);
    for (bool all : {false, true}) {
        std::string message = ErrorOf<FormatError>([&] { all ? (void)ReadMolecules(path) : (void)ReadMolecule(path); });
        EXPECT_EQ(message.rfind(path, 0), 0u) << message;
        EXPECT_EQ(message.find(path, path.size()), std::string::npos) << "the path is named twice: " << message;
        EXPECT_NE(message.find(GetParam().expected), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    TruncatedGarbledEmpty, BadInput,
    ::testing::Values(
        BadFile{"empty.pdb", "", "no ATOM or HETATM records"},
        BadFile{"binary.pdb", std::string("ATOM\0\1\2", 7), "NUL bytes"},
        BadFile{"cut.pdb", Head("1hpv.pdb", 81 * 185 + 40), "line 186: atom record is too short"},
        BadFile{"garbled.pdb", "ATOM      1  N   PRO A   1      13.1x0  39.003   5.159  1.00 55.41\n",
                "line 1: unreadable coordinate '  13.1x0'"},
        BadFile{"cif.pdb", "data_1abc\n_cell.length_a 10\n", "perhaps it is cif"},
        BadFile{"cut.sdf", Head("small01.mol", 300), "the file ends inside the atom block"},
        BadFile{"garbled.sdf", "title\n\n\n xx 1  0  0  0  0  0  0  0  0  1 V2000\n", "unreadable counts line"},
        BadFile{"badbond.sdf",
                "t\n\n\n  2  1  0  0  0  0  0  0  0  0999 V2000\n"
                "    0.0000    0.0000    0.0000 C   0  0\n    1.5000    0.0000    0.0000 C   0  0\n"
                "  1  9  1  0\nM  END\n$$$$\n",
                "bond 1 names atom 9 but the record has 2 atoms"},
        BadFile{"cut.mol2", Head("LIG_1HPV.mol2", 2000), "declares 70 atoms but has"},
        BadFile{"garbled.mol2", "@<TRIPOS>MOLECULE\nm\n1 0\nSMALL\n@<TRIPOS>ATOM\n1 C1 x y z C.3\n",
                "unreadable atom line"},
        BadFile{"selfbond.mol2", "@<TRIPOS>MOLECULE\nm\n1 1\nSMALL\n@<TRIPOS>ATOM\n1 C1 0 0 0 C.3\n@<TRIPOS>BOND\n1 1 1 1\n",
                "bond 1 joins an atom to itself"},
        BadFile{"empty.cif", "", "no data block has an _atom_site table"},
        BadFile{"garbled.cif", "data_x\nloop_\n_atom_site.id\n_atom_site.Cartn_x\n1 2.0\n3\n", "loop"},
        BadFile{"nocoords.cif", "data_x\nloop_\n_atom_site.id\n_atom_site.type_symbol\n1 C\n",
                "has no _atom_site.label_alt_id"},
        BadFile{"noseq.cif",
                "data_x\nloop_\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
                "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.Cartn_x\n"
                "_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n"
                "1 N N . GLY A 0 0 0 1 10\n",
                "has no residue numbers in _atom_site"},
        BadFile{"quote.cif", "data_x\n_atom_site.id 'unterminated\n", "unterminated"}));

}  // namespace
