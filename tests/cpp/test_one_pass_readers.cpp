// The structure readers that read a file in one pass, straight into the
// molecules: the mmCIF one against the whole-text reader it stands in for,
// the PDB one on the record rules a streamed read must keep.
#define USE_STD_SNPRINTF
#define GEMMI_WRITE_IMPLEMENTATION
#include <gemmi/pdb.hpp>
#include <gemmi/polyheur.hpp>
#include <gemmi/to_cif.hpp>
#include <gemmi/to_mmcif.hpp>

#include <functional>
#include <memory>
#include <sstream>

#include "molecule/io.h"
#include "molecule/io_formats.h"
#include "molecule/perceive_bonds.h"
#include "reader_test_support.h"
#include "selection/selector.h"

namespace {

using namespace readers_test;
using Kamol::FormatError;
using Kamol::KaMolBase;
using Kamol::ReadMolecule;
using Kamol::ReadMolecules;
using Kamol::io_detail::MolList;
using Kamol::io_detail::ReadScope;

// Every field the readers set, atom by atom, then the bonds.
std::string Describe(const KaMolBase& mol) {
    std::ostringstream out;
    out << mol.GetTitle() << ' ' << mol.NumAtoms() << '\n';
    for (uint32_t index : mol.Columns().live) {
        const Kamol::KaAtomBase* atom = mol.GetAtom(index);
        const Kamol::KaResidue& r = Res(atom);
        float xyz[3];
        mol.GetCoords(*atom, xyz);
        out << atom->Name() << ' ' << atom->GetAtomicNum() << ' ' << xyz[0] << ' ' << xyz[1] << ' ' << xyz[2] << ' '
            << r.residueName << ' ' << r.residueNumber << r.insertCode << ' ' << r.chainId << ' ' << r.serialNumber
            << ' ' << r.modelNumber << ' ' << r.alternateLocation << ' ' << r.occupancy << ' ' << r.bFactor << ' '
            << r.hetAtom << ' ' << r.secondaryStructure << '\n';
    }
    for (const auto& ends : mol.BondEnds()) out << ends[0] << '-' << ends[1] << ' ';
    return out.str();
}

std::string Describe(const MolList& molecules) {
    std::string text;
    for (const auto& mol : molecules) text += Describe(*mol) + "\n";
    return text;
}

template <class Read>
std::string Outcome(Read read) {
    try {
        return Describe(read());
    } catch (const FormatError& e) {
        return std::string("error: ") + e.what();
    }
}

// ---- mmCIF ----------------------------------------------------------------------

const char* const kAtomSiteHead =
    "loop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
    "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_entity_id\n"
    "_atom_site.label_seq_id\n_atom_site.pdbx_PDB_ins_code\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n"
    "_atom_site.Cartn_z\n_atom_site.occupancy\n_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n"
    "_atom_site.auth_asym_id\n_atom_site.pdbx_PDB_model_num\n";

// Small files for the rules of the atom sites: a residue met again after
// another, models met again, flags from group_PDB or (".") from the entity,
// quoted values; and files the one pass leaves to the whole-text reader.
const std::pair<const char*, std::string> kMmcifCases[] = {
    {"rows", std::string("data_rows\n") + kAtomSiteHead +
                 "ATOM 1 N N . GLY A 1 1 ? 0 0 0 1 10 5 X 1\n"
                 "ATOM 2 C CA . ALA A 1 2 ? 1.5 0 0 1 10 6 X 1\n"
                 "ATOM 3 C CA . GLY A 1 1 ? 1.4 0 0 0.5 11 5 X 1\n"
                 "HETATM 4 O O . HOH C 2 . ? 5 5 5 1 20 7 X 1\n"
                 "ATOM 5 N N . GLY A 1 1 ? 0 0 1 1 10 5 X 2\n"
                 "ATOM 6 N N . GLY A 1 1 A 0 1 1 1 10 5 'X' 1\n"
                 "ATOM 8 C CA . ALA A 1 2 ? 1.5 1 1 1 10 6 X 1\n"
                 // Insertion codes match whatever their case.
                 "ATOM 9 C CB . GLY A 1 1 a 0 2 1 1 10 5 X 1\n"
                 "'HETATM' 7 C C1 B LIG D 3 . ? 9 9 9 1 30 8 Y 2\n"},
    {"entities", std::string("data_entities\nloop_\n_entity.id\n_entity.type\n1 polymer\n2 water\n") + kAtomSiteHead +
                     ". 1 N N . GLY A 1 1 ? 0 0 0 1 10 5 X 1\n"
                     ". 2 C CA . ALA A 1 2 ? 1.5 0 0 1 10 6 X 1\n"
                     ". 3 O O . HOH C 2 . ? 5 5 5 1 20 7 X 1\n"
                     ". 4 C C1 . LIG D 3 . ? 9 9 9 1 30 8 Y 1\n"
                     ". 5 C C2 . LIG E 3 . ? 9 9 8 1 30 8 Z 1\n"
                     ". 6 C C2 . LIG E 3 . ? 9 9 7 1 30 9 Z 1\n"
                     // Two residues at one sequence position: one long, not a polymer.
                     ". 7 C CA . SER F 4 . ? 3 3 3 1 30 10 W 1\n"
                     ". 8 C CA . THR F 4 . ? 3 3 4 1 30 10 W 1\n"
                     "loop_\n_struct_asym.id\n_struct_asym.entity_id\nA 1\nC 2\n"},
    {"no struct_asym", std::string("data_noasym\nloop_\n_entity.id\n_entity.type\n1 polymer\n3 non-polymer\n") +
                           kAtomSiteHead +
                           ". 1 N N . GLY A 1 1 ? 0 0 0 1 10 5 X 1\n"
                           ". 2 C C1 . LIG D 3 . ? 9 9 9 1 30 8 X 1\n"},
    {"label-only link", std::string("data_label\n") + kAtomSiteHead +
                            "ATOM 1 S SG . CYS A 1 1 ? 0 0 0 1 10 5 X 1\n"
                            "ATOM 2 S SG . CYS A 1 2 ? 2 0 0 1 10 6 X 1\n"
                            "loop_\n_struct_conn.id\n_struct_conn.conn_type_id\n_struct_conn.ptnr1_label_asym_id\n"
                            "_struct_conn.ptnr1_label_comp_id\n_struct_conn.ptnr1_label_seq_id\n"
                            "_struct_conn.ptnr1_label_atom_id\n_struct_conn.ptnr2_label_asym_id\n"
                            "_struct_conn.ptnr2_label_comp_id\n_struct_conn.ptnr2_label_seq_id\n"
                            "_struct_conn.ptnr2_label_atom_id\ndisulf1 disulf A CYS 1 SG A CYS 2 SG\n"},
    {"bad charge", std::string("data_bad\nloop_\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
                               "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n"
                               "_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n"
                               "_atom_site.B_iso_or_equiv\n_atom_site.auth_seq_id\n_atom_site.pdbx_formal_charge\n"
                               "1 N N . GLY A 0 0 0 1 10 5 x\n")},
    {"broken loop", std::string("data_broken\n") + kAtomSiteHead + "ATOM 1 N N . GLY A 1 1 ? 0 0 0 1 10 5 X\n"},
};

class MmcifOnePass : public ::testing::TestWithParam<std::pair<const char*, std::string>> {};

TEST_P(MmcifOnePass, ReadsWhatTheWholeTextReaderReads) {
    ScratchDir dir;
    const std::string& text = GetParam().second;
    const std::string path = dir.Write("case.cif", text);
    for (ReadScope scope : {ReadScope::All, ReadScope::First}) {
        std::string whole = Outcome([&] { return Kamol::io_detail::ReadMmcifText(text, path, scope); });
        std::string onePass = Outcome([&] {
            MolList molecules;
            if (scope == ReadScope::All) return ReadMolecules(path);
            molecules.push_back(ReadMolecule(path));
            return molecules;
        });
        EXPECT_EQ(onePass, whole) << GetParam().first;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, MmcifOnePass, ::testing::ValuesIn(kMmcifCases));

// gemmi's writer leaves group_PDB out by default: the flags come from the entities.
TEST(MmcifOnePass, ReadsRealStructuresAsTheWholeTextReader) {
    ScratchDir dir;
    for (const char* name : {"1hpv.pdb", "3al1.pdb", "pept_models.pdb"}) {
        std::string cleaned;
        std::istringstream lines(ReadText(DataFile(name)));
        for (std::string line; std::getline(lines, line);) cleaned += line.substr(0, 72) + "\n";
        gemmi::Structure st = gemmi::read_pdb_string(cleaned, name);
        gemmi::setup_entities(st);
        std::ostringstream os;
        gemmi::cif::write_cif_to_stream(os, gemmi::make_mmcif_document(st));
        const std::string path = dir.Write(std::string(name) + ".cif", os.str());
        EXPECT_EQ(Describe(ReadMolecules(path)),
                  Describe(Kamol::io_detail::ReadMmcifText(ReadText(path), path, ReadScope::All)))
            << name;
    }
}

// Atom sites where some or all of the author columns are missing: chain,
// residue name, residue number and atom name each come from its auth_ column
// when the loop has one, else from its label_ column. Waters have no
// label_seq_id ("."), so without auth_seq_id those of one chain share one
// residue, numbered 0. Both readers, the one pass without falling back.
struct LabelFieldsCase {
    const char* name;
    std::string text;
    std::vector<std::string> atoms;  // "atom residue number chain", in order
};

const char* const kLabelColumns =
    "loop_\n_atom_site.group_PDB\n_atom_site.id\n_atom_site.type_symbol\n_atom_site.label_atom_id\n"
    "_atom_site.label_alt_id\n_atom_site.label_comp_id\n_atom_site.label_asym_id\n_atom_site.label_entity_id\n"
    "_atom_site.label_seq_id\n_atom_site.Cartn_x\n_atom_site.Cartn_y\n_atom_site.Cartn_z\n_atom_site.occupancy\n"
    "_atom_site.B_iso_or_equiv\n";

const LabelFieldsCase kLabelFieldsCases[] = {
    {"label columns only",
     std::string("data_label\n") + kLabelColumns +
         "ATOM 1 N N . GLY A 1 1 0 0 0 1 10\n"
         "ATOM 2 C CA . GLY A 1 1 1.45 0 0 1 10\n"
         "ATOM 3 N N . ALA A 1 2 2.4 1.1 0 1 10\n"
         "ATOM 4 C CA . ALA A 1 2 3.8 1.2 0 1 10\n"
         "HETATM 5 O O . HOH B 2 . 9 9 9 1 20\n"
         "HETATM 6 O O . HOH B 2 . 13 9 9 1 20\n"
         "HETATM 7 O O . HOH C 2 . 17 9 9 1 20\n",
     {"N GLY 1 A", "CA GLY 1 A", "N ALA 2 A", "CA ALA 2 A", "O HOH 0 B", "O HOH 0 B", "O HOH 0 C"}},
    {"author numbers and atom names",
     std::string("data_numbers\n") + kLabelColumns + "_atom_site.auth_seq_id\n_atom_site.auth_atom_id\n" +
         "ATOM 1 N N . GLY A 1 1 0 0 0 1 10 10 N\n"
         "ATOM 2 P P . DA A 1 2 1.6 0 0 1 10 11 P\n"
         "ATOM 3 O OP1 . DA A 1 2 3 0 0 1 10 11 O1P\n"
         "HETATM 4 O O . HOH B 2 . 9 9 9 1 20 101 O\n"
         "HETATM 5 O O . HOH B 2 . 13 9 9 1 20 102 O\n",
     {"N GLY 10 A", "P DA 11 A", "O1P DA 11 A", "O HOH 101 B", "O HOH 102 B"}},
    {"author chains and residue names",
     std::string("data_chains\n") + kLabelColumns + "_atom_site.auth_asym_id\n_atom_site.auth_comp_id\n" +
         "ATOM 1 N N . GLY A 1 1 0 0 0 1 10 X GLX\n"
         "ATOM 2 C CA . GLY A 1 1 1.45 0 0 1 10 X GLX\n"
         "HETATM 3 O O . HOH B 2 . 9 9 9 1 20 X WAT\n"
         "HETATM 4 O O . HOH B 2 . 13 9 9 1 20 X WAT\n"
         "HETATM 5 O O . HOH C 2 . 17 9 9 1 20 Y WAT\n",
     {"N GLX 1 X", "CA GLX 1 X", "O WAT 0 X", "O WAT 0 X", "O WAT 0 Y"}},
};

class MmcifLabelFields : public ::testing::TestWithParam<LabelFieldsCase> {};

TEST_P(MmcifLabelFields, FillInForMissingAuthorColumnsInBothReaders) {
    const LabelFieldsCase& param = GetParam();
    const std::string path = std::string(param.name) + ".cif";
    MolList whole = Kamol::io_detail::ReadMmcifText(param.text, path, ReadScope::All);
    MolList onePass;
    try {
        Kamol::io_detail::StringSource source(param.text);
        onePass = Kamol::io_detail::ReadMmcifSource(source, path, ReadScope::All);
    } catch (const Kamol::io_detail::WholeTextNeeded&) {
        FAIL() << "the one pass left the file to the whole-text reader";
    }
    EXPECT_EQ(Describe(onePass), Describe(whole));
    ASSERT_EQ(whole.size(), 1u);
    std::vector<std::string> atoms;
    for (const Kamol::KaAtomBase* atom : Atoms(*whole[0])) {
        const Kamol::KaResidue& r = Res(atom);
        atoms.push_back(atom->Name() + " " + r.residueName + " " + std::to_string(r.residueNumber) + " " + r.chainId);
    }
    EXPECT_EQ(atoms, param.atoms);
}

INSTANTIATE_TEST_SUITE_P(Files, MmcifLabelFields, ::testing::ValuesIn(kLabelFieldsCases));

// ---- PDB -------------------------------------------------------------------------

std::string AtomLine(int serial, const char* name, const char* residue, char chain, int number, float x,
                     char altloc = ' ', const char* element = "C") {
    char line[82];
    std::snprintf(line, sizeof line, "ATOM  %5d %-4s%c%3s %c%4d    %8.3f%8.3f%8.3f  1.00 20.00          %2s\n", serial,
                  name, altloc, residue, chain, number, x, 0.0f, 0.0f, element);
    return line;
}

TEST(PdbOnePass, AtomsOfAResidueMetAgainJoinItAndLinksFindThem) {
    ScratchDir dir;
    std::string text = "LINK         C   GLY A   1                 N   ALA A   2     1555   1555  1.33\n" +
                       AtomLine(1, " N", "GLY", 'A', 1, 0.0f, ' ', "N") + AtomLine(2, " N", "ALA", 'A', 2, 3.0f, ' ', "N") +
                       AtomLine(3, " C", "GLY", 'A', 1, 6.0f) + AtomLine(4, " CA", "ALA", 'A', 2, 9.0f);
    auto mol = ReadMolecule(dir.Write("regroup.pdb", text));
    ASSERT_EQ(mol->NumAtoms(), 4u);
    std::vector<int> serials;
    for (const auto* atom : Atoms(*mol)) serials.push_back(Res(atom).serialNumber);
    EXPECT_EQ(serials, (std::vector<int>{1, 3, 2, 4}));
    // The link joins GLY's C (read third, now second) to ALA's N, 3 A apart.
    EXPECT_TRUE(Kamol::AreBonded(*mol->GetAtom(1), *mol->GetAtom(2)));
}

TEST(PdbOnePass, InsertionCodesMatchWhateverTheirCase) {
    ScratchDir dir;
    auto withCode = [](std::string line, char icode) { return line.replace(26, 1, 1, icode); };
    std::string text = withCode(AtomLine(1, " CA", "ALA", 'A', 2, 0.0f), 'a') + AtomLine(2, " CA", "GLY", 'A', 3, 4.0f) +
                       withCode(AtomLine(3, " CB", "ALA", 'A', 2, 1.5f), 'A');
    auto mol = ReadMolecule(dir.Write("icodes.pdb", text));
    std::vector<std::pair<int, char>> order;
    for (const auto* atom : Atoms(*mol)) order.emplace_back(Res(atom).serialNumber, Res(atom).insertCode);
    EXPECT_EQ(order, (std::vector<std::pair<int, char>>{{1, 'a'}, {3, 'a'}, {2, ' '}}));
}

TEST(PdbOnePass, DisulfideTakesTheFirstSulfurWhenSgHasOnlyAlternates) {
    ScratchDir dir;
    std::string text = "SSBOND   1 CYS A    1    CYS A    2                          1555   1555  2.03\n" +
                       AtomLine(1, " SG", "CYS", 'A', 1, 0.0f, 'A', "S") + AtomLine(2, " SG", "CYS", 'A', 1, -6.0f, 'B', "S") +
                       AtomLine(3, " SG", "CYS", 'A', 2, 6.0f, ' ', "S");
    auto mol = ReadMolecule(dir.Write("ssbond.pdb", text));
    // Too far apart to be perceived: only the link joins them, to the first
    // sulfur of residue 1 (altloc A).
    EXPECT_TRUE(Kamol::AreBonded(*mol->GetAtom(0), *mol->GetAtom(2)));
    EXPECT_FALSE(Kamol::AreBonded(*mol->GetAtom(1), *mol->GetAtom(2)));
}

TEST(PdbOnePass, FirstModelIsTheFirstNamedEvenWhenItsAtomsComeLater) {
    ScratchDir dir;
    std::string text = "MODEL        1\nENDMDL\nMODEL        2\n" + AtomLine(1, " CA", "ALA", 'A', 1, 0.0f) +
                       "ENDMDL\nMODEL        1\n" + AtomLine(1, " CA", "GLY", 'A', 1, 1.0f) + "ENDMDL\n";
    std::string path = dir.Write("models.pdb", text);
    auto first = ReadMolecule(path);
    EXPECT_EQ(std::make_pair(Res(first->GetAtom(0)).residueName, Res(first->GetAtom(0)).modelNumber),
              std::make_pair(std::string("GLY"), 1));
    EXPECT_EQ(ReadMolecules(path).size(), 2u);
}

// Text read in pieces: lines across piece borders, a line longer than a
// piece, no final line feed; faults in the order of a whole-text read.
TEST(PdbOnePass, ReadsAcrossPiecesAndReportsFaultsInFileOrder) {
    ScratchDir dir;
    std::string text = "REMARK " + std::string(3 << 20, 'x') + "\n";
    for (int i = 1; i <= 30000; ++i) text += AtomLine(i, " CA", "ALA", 'A', i % 9999, float(i % 1000));
    text += "TURN\n" + AtomLine(30001, " CB", "ALA", 'B', 1, 7.0f);
    text.pop_back();
    std::string path = dir.Write("big.pdb", text);
    Warnings warnings = CollectWarnings([&] {
        auto mol = ReadMolecule(path);
        ASSERT_EQ(mol->NumAtoms(), 30001u);
        EXPECT_EQ(std::make_pair(mol->GetAtom(30000)->Name(), Res(mol->GetAtom(30000)).chainId),
                  std::make_pair(std::string("CB"), std::string("B")));
    });
    EXPECT_NE(warnings.text.find("line 30002: TURN record is too short"), std::string::npos) << warnings.text;

    // A NUL byte after a broken record: the file is no text, and the
    // skipped record is not reported.
    std::string broken = text.substr(0, text.size() / 2) + "\nATOM  bad\n" + text.substr(text.size() / 2) + '\0';
    std::string error;
    warnings = CollectWarnings([&] {
        try {
            ReadMolecule(dir.Write("broken.pdb", broken));
        } catch (const FormatError& e) {
            error = e.what();
        }
    });
    EXPECT_NE(error.find("contains NUL bytes"), std::string::npos) << error;
    EXPECT_EQ(warnings.count, 0u);
}

// ---- copies the readers join ---------------------------------------------------

// Two copies of a chain under one chain id and numbering, the second after
// TER (mmCIF: after a new label_asym_id alone), are read as one chain whose
// residues hold both copies' atoms; the readers note the first residue they
// joined, so its key still counts as repeated. Alternates at one position
// (one key) joining each other are no copies.
struct SiteRow {
    const char* atom;
    char altloc;
    const char* residue;
    int number;
    char subchain;
};

struct JoinedCopiesCase {
    std::vector<SiteRow> rows;
    const char* repeated;  // "" for none
};

const JoinedCopiesCase kJoinedCopiesCases[] = {
    {{{"N", '.', "GLY", 1, 'A'}, {"CA", '.', "ALA", 2, 'A'}, {"N", '.', "GLY", 1, 'B'}, {"CA", '.', "ALA", 2, 'B'}},
     "GLY:1: :A"},
    {{{"N", 'A', "ALA", 1, 'A'}, {"N", 'B', "GLY", 1, 'A'}, {"CA", 'A', "ALA", 1, 'A'}, {"CA", '.', "SER", 2, 'A'}},
     ""},
};

class JoinedCopies : public ::testing::TestWithParam<JoinedCopiesCase> {};

TEST_P(JoinedCopies, CountAsRepeatedResiduesInEveryReader) {
    using namespace Kamol::io_detail;
    const std::vector<SiteRow>& rows = GetParam().rows;
    std::string pdb, cif = std::string("data_copies\n") + kAtomSiteHead;
    for (size_t i = 0; i < rows.size(); ++i) {
        const SiteRow& r = rows[i];
        if (i > 0 && r.subchain != rows[i - 1].subchain) pdb += "TER\n";
        pdb += AtomLine(int(i) + 1, r.atom, r.residue, 'A', r.number, 3.0f * i, r.altloc == '.' ? ' ' : r.altloc);
        cif += "ATOM " + std::to_string(i + 1) + " C " + r.atom + " " + r.altloc + " " + r.residue + " " + r.subchain +
               " 1 " + std::to_string(r.number) + " ? " + std::to_string(3.0f * i) + " 0 0 1 10 " +
               std::to_string(r.number) + " A 1\n";
    }
    const std::pair<const char*, std::function<MolList()>> readers[] = {
        {"PDB", [&] { return ReadPdbText(pdb, "copies.pdb", ReadScope::All); }},
        {"mmCIF in one pass", [&] { StringSource source(cif); return ReadMmcifSource(source, "copies.cif", ReadScope::All); }},
        {"mmCIF whole text", [&] { return ReadMmcifText(cif, "copies.cif", ReadScope::All); }},
    };
    for (const auto& [reader, read] : readers) {
        MolList molecules = read();
        ASSERT_EQ(molecules[0]->NumAtoms(), 4u) << reader;
        std::unique_ptr<KaMolBase> copy(molecules[0]->Clone());
        for (const KaMolBase* mol : std::initializer_list<const KaMolBase*>{molecules[0].get(), copy.get()}) {
            auto repeated = KaSel::first_repeated_residue(*mol);
            EXPECT_EQ(repeated ? repeated->ToString() : "", GetParam().repeated) << reader;
        }
        // Once atoms change, only the keys tell, and none repeats here.
        copy->DeleteAtom(*copy->GetAtom(1));
        EXPECT_FALSE(KaSel::first_repeated_residue(*copy)) << reader;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, JoinedCopies, ::testing::ValuesIn(kJoinedCopiesCases));

}  // namespace
