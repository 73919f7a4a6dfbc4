// Residue records written through SetAtomResidue are kept in a store of the
// molecule rather than as one generic-data item per atom.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"

using Kamol::KaAtomBase;
using Kamol::KaGraphMol;
using Kamol::KaResidue;

namespace {

// Records written through SetAtomResidue live in the molecule's store: they
// keep their address as atoms are added, go and come back with RemoveData and
// SetAtomResidue, and travel with Clone.
TEST(Residue, StoredRecordsStayPutAndFollowRemovalAndClone) {
    KaGraphMol mol;
    KaResidue record;
    record.residueName = "GLY";
    ASSERT_TRUE(Kamol::SetAtomResidue(mol.NewAtom(6), record));
    const KaResidue* first = &Kamol::GetAtomResidue(*mol.GetAtom(0));
    for (int i = 0; i < 5000; ++i) Kamol::SetAtomResidue(mol.NewAtom(6), record);
    EXPECT_EQ(&Kamol::GetAtomResidue(*mol.GetAtom(0)), first);
    KaAtomBase& atom = *mol.GetAtom(7);
    ASSERT_TRUE(atom.RemoveData(Kamol::ResidueTag));
    EXPECT_FALSE(Kamol::HasAtomResidue(atom));
    EXPECT_FALSE(atom.RemoveData(Kamol::ResidueTag));
    EXPECT_EQ(&Kamol::GetAtomResidue(atom), &Kamol::DefaultResidue());
    record.residueName = "ALA";
    ASSERT_TRUE(atom.SetData<KaResidue>(Kamol::ResidueTag, record));  // the generic path
    EXPECT_EQ(Kamol::GetAtomResidue(atom).residueName, "ALA");
    EXPECT_EQ(mol.Columns().residueNames.Texts()[mol.Columns().residueNameIds[7]], "ALA");
    std::unique_ptr<Kamol::KaMolBase> copy(mol.Clone());
    EXPECT_EQ(Kamol::GetAtomResidue(*copy->GetAtom(7)).residueName, "ALA");
    EXPECT_EQ(Kamol::GetAtomResidue(*copy->GetAtom(8)).residueName, "GLY");
    record.residueName = "SER";
    ASSERT_TRUE(Kamol::SetAtomResidue(*copy->GetAtom(8), record));
    EXPECT_EQ(Kamol::GetAtomResidue(*mol.GetAtom(8)).residueName, "GLY");
    EXPECT_EQ(copy->Columns().residueNames.Texts()[copy->Columns().residueNameIds[8]], "SER");
}

auto Fields(const KaResidue& r) {
    return std::tuple(r.residueName, r.occupancy, r.bFactor, r.residueNumber, r.serialNumber, r.modelNumber,
                      r.fragmentNumber, r.secondaryStructure, r.alternateLocation, r.insertCode, r.hetAtom,
                      r.reserved0, r.segmentId, r.chainId, r.reserved2);
}

// A record kept in compact form reads back field for field, by copy and by
// reference, without and with a NUL byte in its texts; the reference, once
// taken, stays put, follows later writes, and survives deletion and Clone.
TEST(Residue, CompactRecordsReadBackExactly) {
    KaGraphMol mol;
    std::vector<KaResidue> written;
    for (int i = 0; i < 40; ++i) {
        KaResidue r;
        r.residueName = i == 7 ? std::string("AL\0A", 4) : (i % 2 ? "HOH" : "LYS");
        r.chainId = i == 9 ? std::string("B\0", 2) : (i < 20 ? "A" : "B");
        r.occupancy = 0.25f * float(i % 4);
        r.bFactor = float(i);
        r.residueNumber = i / 3 - 5;
        r.serialNumber = 100 + i;
        r.modelNumber = i < 30 ? 1 : 2;
        r.fragmentNumber = uint32_t(i / 5);
        r.secondaryStructure = i % 3 ? Kamol::kHelixFlag : 0;
        r.alternateLocation = i % 5 ? ' ' : 'B';
        r.insertCode = i % 6 ? ' ' : 'C';
        r.hetAtom = i % 2;
        r.reserved0 = i < 35 ? -1 : i;
        r.segmentId = i == 12 ? "x" : " ";
        r.reserved2 = i == 13 ? "y" : " ";
        ASSERT_TRUE(Kamol::SetAtomResidue(mol.NewAtom(6), r));
        written.push_back(r);
    }
    for (uint32_t i = 0; i < 40; ++i) {
        EXPECT_EQ(Fields(Kamol::CopyAtomResidue(*mol.GetAtom(i))), Fields(written[i])) << i;
        EXPECT_EQ(Fields(mol.ResidueRecordOf(i)), Fields(written[i])) << i;
    }
    for (uint32_t i = 0; i < 40; i += 2) EXPECT_EQ(Fields(Kamol::GetAtomResidue(*mol.GetAtom(i))), Fields(written[i]));

    const KaResidue& held = Kamol::GetAtomResidue(*mol.GetAtom(3));
    for (int i = 0; i < 9000; ++i) Kamol::SetAtomResidue(mol.NewAtom(8), written[0]);
    EXPECT_EQ(&Kamol::GetAtomResidue(*mol.GetAtom(3)), &held);
    ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(3), written[5]));
    EXPECT_EQ(Fields(held), Fields(written[5]));
    EXPECT_EQ(mol.Columns().serialNumbers[3], written[5].serialNumber);

    KaAtomBase& gone = *mol.GetAtom(4);
    ASSERT_TRUE(mol.DeleteAtom(gone));
    EXPECT_EQ(Fields(Kamol::GetAtomResidue(gone)), Fields(written[4]));  // the columns forget it, the atom keeps it
    EXPECT_EQ(mol.Columns().serialNumbers[4], Kamol::DefaultResidue().serialNumber);
    std::unique_ptr<Kamol::KaMolBase> copy(mol.Clone());
    for (uint32_t i : {5u, 7u, 9u, 12u, 39u})
        EXPECT_EQ(Fields(Kamol::GetAtomResidue(*copy->GetAtom(i))), Fields(written[i])) << i;
}

}  // namespace
