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

TEST(Molecule, CoordinatesComeFromTheTableAtTheAtomIndex) {
    KaGraphMol small, large;
    AddAtoms(small, 1);
    AddAtoms(large, 3);
    const float xyz[3] = {1.5f, -2.0f, 3.25f};
    ASSERT_TRUE(large.SetCoords(*large.GetAtom(2), xyz));
    float got[3] = {9, 9, 9};
    ASSERT_TRUE(large.GetCoords(*large.GetAtom(2), got));
    EXPECT_EQ(got[0], 1.5f);
    EXPECT_EQ(got[2], 3.25f);

    // An index beyond the molecule's table reads as the origin.
    ASSERT_TRUE(small.GetCoords(*large.GetAtom(2), got));
    EXPECT_EQ(got[0], 0.0f);
    EXPECT_EQ(got[1], 0.0f);
    EXPECT_EQ(got[2], 0.0f);
    EXPECT_FALSE(small.SetCoords(*large.GetAtom(2), xyz));
}

TEST(Residue, AtomWithoutRecordReadsTheDefaults) {
    KaGraphMol mol;
    KaAtomBase& atom = mol.NewAtom(6);
    EXPECT_FALSE(Kamol::HasAtomResidue(atom));
    const KaResidue& r = Kamol::GetAtomResidue(atom);
    EXPECT_EQ(&r, &Kamol::DefaultResidue());
    EXPECT_EQ(r.residueName, "UNL");
    EXPECT_EQ(r.occupancy, 1.0f);
    EXPECT_EQ(r.bFactor, 20.0f);
    EXPECT_EQ(r.residueNumber, 1);
    EXPECT_EQ(r.serialNumber, 0);
    EXPECT_EQ(r.modelNumber, 0);
    EXPECT_EQ(r.fragmentNumber, 0u);
    EXPECT_EQ(r.secondaryStructure, 0u);
    EXPECT_EQ(r.alternateLocation, ' ');
    EXPECT_EQ(r.insertCode, ' ');
    EXPECT_FALSE(r.hetAtom);
    EXPECT_EQ(r.chainId, " ");
}

TEST(Residue, RecordIsCopiedIntoTheAtom) {
    KaGraphMol mol;
    KaAtomBase& atom = mol.NewAtom(8);
    KaResidue record;
    record.residueName = "HOH";
    record.chainId = "W";
    record.residueNumber = 301;
    ASSERT_TRUE(Kamol::SetAtomResidue(atom, record));
    record.residueName = "changed";
    EXPECT_TRUE(Kamol::HasAtomResidue(atom));
    EXPECT_EQ(Kamol::GetAtomResidue(atom).residueName, "HOH");
    EXPECT_EQ(Kamol::GetAtomResidue(atom).residueNumber, 301);
    EXPECT_EQ(Kamol::DefaultResidue().residueName, "UNL");
}

TEST(Residue, ItemOfAnotherTypeReadsAsDefaultWithWarning) {
    KaGraphMol mol;
    KaAtomBase& atom = mol.NewAtom(8);
    ASSERT_TRUE(atom.SetData<int>(Kamol::ResidueTag, 3));
    StderrCapture capture;
    EXPECT_EQ(&Kamol::GetAtomResidue(atom), &Kamol::DefaultResidue());
    EXPECT_TRUE(Kamol::HasAtomResidue(atom));
    EXPECT_FALSE(Kamol::SetAtomResidue(atom, KaResidue()));
    EXPECT_EQ(capture.Text(), "Warning: data type mismatch found when using generic data\n"
                              "Warning: data type mismatch found when using generic data\n");
}

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

TEST(Residue, HelixClassesMapToFlagWords) {
    const std::pair<int, uint32_t> expected[] = {{1, 10}, {2, 8}, {3, 12}, {5, 9}, {6, 138}, {7, 136}, {8, 136}, {10, 8}};
    for (auto [helixClass, flags] : expected) EXPECT_EQ(Kamol::HelixClassFlags(helixClass), flags) << helixClass;
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

// Name columns as selections read them: up to the first NUL byte, one id per
// distinct text, following renames, residue records and their removal.
std::string AtomNameAt(const KaGraphMol& mol, uint32_t index) {
    return mol.Columns().atomNames.Texts()[mol.Columns().nameIds[index]];
}
std::string ResidueNameAt(const KaGraphMol& mol, uint32_t index) {
    return mol.Columns().residueNames.Texts()[mol.Columns().residueNameIds[index]];
}

TEST(Molecule, NameColumnsFollowNamesAndResidueRecords) {
    KaGraphMol mol;
    AddAtoms(mol, 4);
    EXPECT_EQ(AtomNameAt(mol, 0), "");
    EXPECT_EQ(ResidueNameAt(mol, 0), "UNL");
    mol.GetAtom(0)->SetName("CA");
    mol.GetAtom(1)->SetName(std::string("CA\0B", 4));
    mol.GetAtom(2)->SetName(" CA ");
    EXPECT_EQ(mol.Columns().nameIds[0], mol.Columns().nameIds[1]);
    EXPECT_EQ(AtomNameAt(mol, 2), " CA ");
    mol.GetAtom(0)->SetName("N");
    EXPECT_EQ(AtomNameAt(mol, 0), "N");
    EXPECT_EQ(AtomNameAt(mol, 1), "CA");

    KaResidue record;
    record.residueName = "ALA";
    for (uint32_t i : {0u, 1u}) ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(i), record));
    record.residueName = std::string("HOH\0X", 5);
    record.chainId = "W";
    record.residueNumber = 301;
    record.serialNumber = 7;
    record.fragmentNumber = 2;
    record.secondaryStructure = 16;
    record.bFactor = 5.5f;
    record.alternateLocation = 'B';
    record.insertCode = 'C';
    ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(2), record));
    EXPECT_EQ(ResidueNameAt(mol, 0), "ALA");
    EXPECT_EQ(ResidueNameAt(mol, 1), "ALA");
    EXPECT_EQ(ResidueNameAt(mol, 2), "HOH");
    EXPECT_EQ(ResidueNameAt(mol, 3), "UNL");
    // The record's fields by index, the default record's where there is none.
    const Kamol::KaAtomColumns& c = mol.Columns();
    auto fields = [&](uint32_t i) {
        return std::make_tuple(c.chainIds.Texts()[c.chainIdIds[i]], c.residueNumbers[i], c.serialNumbers[i],
                               c.fragmentNumbers[i], c.secondaryStructures[i], c.bFactors[i], c.alternateLocations[i],
                               c.insertCodes[i]);
    };
    EXPECT_EQ(fields(2), std::make_tuple(std::string("W"), 301, 7, 2u, 16u, 5.5f, 'B', 'C'));
    const auto defaults = std::make_tuple(std::string(" "), 1, 0, 0u, 0u, 20.0f, ' ', ' ');
    EXPECT_EQ(fields(3), defaults);
    ASSERT_TRUE(mol.DeleteAtom(*mol.GetAtom(2)));
    EXPECT_EQ(fields(2), defaults);
    EXPECT_EQ(ResidueNameAt(mol, 2), "UNL");
    ASSERT_TRUE(mol.GetAtom(1)->RemoveData(Kamol::ResidueTag));
    EXPECT_EQ(ResidueNameAt(mol, 1), "UNL");
    EXPECT_EQ(ResidueNameAt(mol, 0), "ALA");
    // An item of another type under the residue tag reads as the default
    // record, here without a warning: the column is kept as data is written.
    StderrCapture capture;
    ASSERT_TRUE(mol.GetAtom(3)->SetData<int>(Kamol::ResidueTag, 5));
    EXPECT_EQ(mol.Columns().residues[3], &Kamol::DefaultResidue());
    EXPECT_EQ(ResidueNameAt(mol, 3), "UNL");
    EXPECT_EQ(capture.Text(), "");
}

TEST(Molecule, CloneIsDeepAndKeepsIndices) {
    KaGraphMol mol;
    AddAtoms(mol, 4);
    mol.SetTitle("complex");
    mol.GetAtom(3)->SetName("CA");
    KaResidue record;
    record.chainId = "B";
    ASSERT_TRUE(Kamol::SetAtomResidue(*mol.GetAtom(3), record));
    const float xyz[3] = {1, 2, 3};
    ASSERT_TRUE(mol.SetCoords(*mol.GetAtom(3), xyz));
    ASSERT_TRUE(mol.NewBond(*mol.GetAtom(2), *mol.GetAtom(3)));
    ASSERT_TRUE(mol.DeleteAtom(*mol.GetAtom(1)));

    std::unique_ptr<Kamol::KaMolBase> copy(mol.Clone());
    EXPECT_EQ(copy->GetTitle(), "complex");
    EXPECT_EQ(Indices(copy->GetAtoms()), (std::vector<uint32_t>{0, 2, 3}));
    EXPECT_EQ(copy->NumBonds(), 1u);
    KaAtomBase& atom = *copy->GetAtom(3);
    EXPECT_EQ(&atom.GetOwner(), copy.get());
    EXPECT_STREQ(atom.GetName(), "CA");
    EXPECT_EQ(Kamol::GetAtomResidue(atom).chainId, "B");
    float got[3];
    copy->GetCoords(atom, got);
    EXPECT_EQ(got[2], 3.0f);
    EXPECT_EQ(Indices(atom.GetBonds()).size(), 1u);

    // The copy's columns describe the copy: its own records, its own names.
    const Kamol::KaAtomColumns& columns = copy->Columns();
    EXPECT_EQ(columns.atoms[3], &atom);
    EXPECT_EQ(columns.atoms[1], nullptr);
    EXPECT_EQ(columns.residues[3], &Kamol::GetAtomResidue(atom));
    EXPECT_NE(columns.residues[3], mol.Columns().residues[3]);
    EXPECT_EQ(columns.live, (std::vector<uint32_t>{0, 2, 3}));

    atom.SetName("CB");
    copy->DeleteAtom(*copy->GetAtom(0));
    EXPECT_STREQ(mol.GetAtom(3)->GetName(), "CA");
    EXPECT_EQ(columns.atomNames.Texts()[columns.nameIds[3]], "CB");
    EXPECT_EQ(mol.Columns().atomNames.Texts()[mol.Columns().nameIds[3]], "CA");
    EXPECT_EQ(mol.NumAtoms(), 3u);
    EXPECT_EQ(copy->Columns().live, (std::vector<uint32_t>{2, 3}));
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

TEST(AtomIntColumn, AnOwnItemComesFirst) {
    const KaSystem::KaTag tag = KaSystem::TagFromName("test.shadowed");
    KaGraphMol mol;
    AddAtoms(mol, 1);
    KaAtomBase& atom = *mol.GetAtom(0);
    ASSERT_TRUE(atom.SetData<int>(tag, 1));
    Kamol::KaAtomIntColumn& column = mol.AtomIntColumn(tag);
    column.values[0] = 2;
    column.present[0] = 1;
    EXPECT_EQ(*atom.GetData<int>(tag), 1);
    ASSERT_TRUE(atom.SetData<int>(tag, 3));
    EXPECT_EQ(column.values[0], 2);
    ASSERT_TRUE(atom.RemoveData(tag));  // the own item goes first
    EXPECT_EQ(*atom.GetData<int>(tag), 2);
}

}  // namespace
