// Residue records written through SetAtomResidue are kept in a store of the
// molecule rather than as one generic-data item per atom.
#include <gtest/gtest.h>

#include <memory>

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
    EXPECT_EQ(copy->Columns().residues[8], &Kamol::GetAtomResidue(*copy->GetAtom(8)));
}

}  // namespace
