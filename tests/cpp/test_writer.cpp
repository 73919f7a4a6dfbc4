// The PDB writer: what it writes reads back to the same molecule.
#include <set>
#include <tuple>
#include <utility>

#include "molecule/elements.h"
#include "molecule/format.h"
#include "molecule/io.h"
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

void ExpectSameMolecule(const KaMolBase& written, const KaMolBase& read) {
    std::vector<const KaAtomBase*> a = Atoms(written), b = Atoms(read);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        const Kamol::KaResidue &ra = Res(a[i]), &rb = Res(b[i]);
        ASSERT_EQ(b[i]->Name(), a[i]->Name()) << i;
        EXPECT_EQ(b[i]->GetAtomicNum(), a[i]->GetAtomicNum()) << i;
        float p[3], q[3];
        written.GetCoords(*a[i], p);
        read.GetCoords(*b[i], q);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(p[k], q[k], 5e-4) << i;
        EXPECT_EQ(std::tie(rb.residueName, rb.residueNumber, rb.insertCode, rb.chainId, rb.alternateLocation),
                  std::tie(ra.residueName, ra.residueNumber, ra.insertCode, ra.chainId, ra.alternateLocation))
            << i;
        EXPECT_EQ(std::tie(rb.serialNumber, rb.hetAtom, rb.secondaryStructure, rb.modelNumber),
                  std::tie(ra.serialNumber, ra.hetAtom, ra.secondaryStructure, ra.modelNumber))
            << i;
        EXPECT_NEAR(rb.bFactor, ra.bFactor, 5e-3) << i;
        EXPECT_NEAR(rb.occupancy, ra.occupancy, 5e-3) << i;
    }
    EXPECT_EQ(BondPairs(read), BondPairs(written));
}

class PdbRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(PdbRoundTrip, ReadsBackTheSameAtomsResiduesAndBonds) {
    auto original = ReadMolecule(DataFile(GetParam()));
    ScratchDir dir;
    WriteMolecule(dir.Path("out.pdb"), *original);
    ExpectSameMolecule(*original, *ReadMolecule(dir.Path("out.pdb")));
}

INSTANTIATE_TEST_SUITE_P(BundledFiles, PdbRoundTrip, ::testing::Values("1hpv.pdb", "3al1.pdb", "pept.pdb"));

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

}  // namespace
