// The molecule slice: creation and deletion of atoms and bonds, iteration,
// the coordinate table, residue records and the derived per-index columns.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "stderr_capture.h"

using Kamol::KaAtomBase;
using Kamol::KaBondBase;
using Kamol::KaGraphMol;
using Kamol::KaResidue;

namespace {

template <class T>
std::vector<uint32_t> Indices(KaSystem::KaIterBase<T>* iter) {
    std::unique_ptr<KaSystem::KaIterBase<T>> owned(iter);
    std::vector<uint32_t> indices;
    for (; owned->IsValid(); owned->Next()) indices.push_back(owned->Current().GetIndex());
    return indices;
}

// Atoms 0..n-1 with atomic numbers 1..n.
void AddAtoms(KaGraphMol& mol, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) mol.NewAtom(i + 1);
}

TEST(Molecule, DeletionKeepsIndicesAndIterationSkipsDeletedAtoms) {
    KaGraphMol mol;
    AddAtoms(mol, 5);
    KaAtomBase& a1 = *mol.GetAtom(1);
    KaAtomBase& a3 = *mol.GetAtom(3);
    ASSERT_TRUE(mol.DeleteAtom(a1));
    ASSERT_TRUE(mol.DeleteAtom(a3));
    EXPECT_FALSE(mol.DeleteAtom(a3));
    EXPECT_TRUE(a3.IsDeleted());

    EXPECT_EQ(mol.NumAtoms(), 3u);
    EXPECT_EQ(Indices(mol.GetAtoms()), (std::vector<uint32_t>{0, 2, 4}));
    EXPECT_EQ(mol.GetAtom(1), nullptr);
    EXPECT_EQ(mol.GetAtom(4)->GetAtomicNum(), 5u);
    EXPECT_EQ(mol.GetAtom(99), nullptr);

    // New atoms take fresh indices; deleted ones are never reused.
    EXPECT_EQ(mol.NewAtom(6).GetIndex(), 5u);
    EXPECT_EQ(Indices(mol.GetAtoms()), (std::vector<uint32_t>{0, 2, 4, 5}));
    EXPECT_EQ(mol.IndexLimit(), 6u);
}

TEST(Molecule, DeletingAnAtomRemovesItsBondsFromItsNeighbours) {
    KaGraphMol mol;
    AddAtoms(mol, 4);
    KaAtomBase& a0 = *mol.GetAtom(0);
    KaAtomBase& a1 = *mol.GetAtom(1);
    KaAtomBase& a2 = *mol.GetAtom(2);
    KaBondBase* b01 = mol.NewBond(a0, a1);
    KaBondBase* b12 = mol.NewBond(a1, a2, 2);
    KaBondBase* b02 = mol.NewBond(a0, a2);
    ASSERT_TRUE(b01 && b12 && b02);
    EXPECT_EQ(mol.NewBond(a0, a0), nullptr);
    EXPECT_EQ(b12->GetNeighbour(a1), &a2);
    EXPECT_EQ(b12->GetNeighbour(a2), &a1);
    EXPECT_EQ(b12->GetNeighbour(a0), nullptr);
    EXPECT_EQ(Indices(a0.GetBonds()), (std::vector<uint32_t>{b01->GetIndex(), b02->GetIndex()}));

    ASSERT_TRUE(mol.DeleteAtom(a1));
    EXPECT_EQ(mol.NumBonds(), 1u);
    EXPECT_EQ(Indices(a0.GetBonds()), (std::vector<uint32_t>{b02->GetIndex()}));
    EXPECT_EQ(Indices(a2.GetBonds()), (std::vector<uint32_t>{b02->GetIndex()}));
    EXPECT_EQ(Indices(mol.GetBondIter()), (std::vector<uint32_t>{b02->GetIndex()}));
    EXPECT_EQ(mol.NewBond(a0, a1), nullptr);
    constexpr uint32_t kNone = Kamol::KaMolBase::kNoAtom;
    using Ends = std::vector<std::array<uint32_t, 2>>;
    EXPECT_EQ(mol.BondEnds(), (Ends{{kNone, kNone}, {kNone, kNone}, {0, 2}}));

    KaGraphMol other;
    AddAtoms(other, 1);
    EXPECT_FALSE(mol.DeleteAtom(*other.GetAtom(0)));
    EXPECT_EQ(mol.NewBond(a0, *other.GetAtom(0)), nullptr);
}

// The columns are rebuilt after every change the selection engine reads.
TEST(Molecule, ColumnsFollowEveryChange) {
    KaGraphMol mol;
    AddAtoms(mol, 3);
    const Kamol::KaAtomColumns* columns = &mol.Columns();
    EXPECT_EQ(columns->live, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(columns->atomicNums, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(columns->residues[1], &Kamol::DefaultResidue());

    mol.GetAtom(1)->SetAtomicNum(26);
    EXPECT_EQ(mol.Columns().atomicNums[1], 26u);

    KaResidue record;
    record.residueName = "ALA";
    ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(2), record));
    EXPECT_EQ(mol.Columns().residues[2]->residueName, "ALA");
    record.residueName = "GLY";
    ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(2), record));
    EXPECT_EQ(mol.Columns().residues[2]->residueName, "GLY");

    ASSERT_TRUE(mol.DeleteAtom(*mol.GetAtom(0)));
    EXPECT_EQ(mol.Columns().live, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(mol.Columns().atoms[0], nullptr);
    EXPECT_EQ(mol.Columns().atomicNums[0], 0u);

    mol.NewAtom(7);
    EXPECT_EQ(mol.Columns().live, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(mol.Columns().atomicNums[3], 7u);

    ASSERT_TRUE(mol.GetAtom(2)->RemoveData(Kamol::ResidueTag));
    EXPECT_EQ(mol.Columns().residues[2], &Kamol::DefaultResidue());
}

// Int data the molecule holds in a column reads and writes through the atoms
// exactly like their own items.
TEST(AtomIntColumn, ValuesBehaveAsTheAtomsOwnItems) {
    const KaSystem::KaTag tag = KaSystem::TagFromName("test.column");
    KaGraphMol mol;
    AddAtoms(mol, 3);
    Kamol::KaAtomIntColumn& column = mol.AtomIntColumn(tag);
    EXPECT_EQ(&mol.AtomIntColumn(tag), &column);
    column.values[0] = 42;
    column.present[0] = 1;
    KaAtomBase& atom = *mol.GetAtom(0);
    EXPECT_FALSE(mol.AtomDataWritten());
    EXPECT_TRUE(atom.HasData(tag));
    EXPECT_FALSE(mol.GetAtom(1)->HasData(tag));
    ASSERT_NE(atom.GetData<int>(tag), nullptr);
    EXPECT_EQ(*atom.GetData<int>(tag), 42);
    EXPECT_EQ(atom.PeekData<double>(tag), nullptr);

    std::unique_ptr<Kamol::KaMolBase> copy(mol.Clone());
    {
        StderrCapture capture;
        EXPECT_EQ(atom.GetData<double>(tag), nullptr);
        EXPECT_FALSE(atom.SetData<double>(tag, 1.5));
        EXPECT_EQ(capture.Text(), "Warning: data type mismatch found when using generic data\n"
                                  "Warning: data type mismatch found when using generic data\n");
    }
    const uint64_t version = mol.AtomDataVersion();
    ASSERT_TRUE(atom.SetData<int>(tag, 7));
    EXPECT_EQ(column.values[0], 7);
    EXPECT_TRUE(mol.AtomDataWritten());
    EXPECT_GT(mol.AtomDataVersion(), version);

    ASSERT_TRUE(atom.RemoveData(tag));
    EXPECT_FALSE(atom.HasData(tag));
    EXPECT_FALSE(atom.RemoveData(tag));
    EXPECT_EQ(column.values[0], 0);
    // With the column entry gone, a value of another type becomes the atom's own.
    ASSERT_TRUE(atom.SetData<double>(tag, 2.5));
    EXPECT_EQ(*atom.GetData<double>(tag), 2.5);
    EXPECT_EQ(column.present[0], 0);

    // Atoms made later have no entry; the copy kept the value of its time.
    KaAtomBase& late = mol.NewAtom(6);
    EXPECT_EQ(column.values.size(), 4u);
    EXPECT_FALSE(late.HasData(tag));
    ASSERT_NE(copy->GetAtom(0)->GetData<int>(tag), nullptr);
    EXPECT_EQ(*copy->GetAtom(0)->GetData<int>(tag), 42);
    EXPECT_FALSE(copy->AtomDataWritten());
}

}  // namespace
