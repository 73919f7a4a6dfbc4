// Distance-based bond perception on hand-built molecules.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>
#include <set>
#include <utility>

#include "molecule/elements.h"
#include "molecule/io.h"
#include "molecule/molecule.h"
#include "molecule/perceive_bonds.h"
#include "molecule/residue.h"
#include "reader_test_support.h"

namespace {

using Kamol::AreBonded;
using Kamol::KaAtomBase;
using Kamol::KaGraphMol;
using Kamol::PerceiveBonds;

KaAtomBase& Add(KaGraphMol& mol, uint32_t element, float x, float y = 0, float z = 0, char altloc = 0) {
    KaAtomBase& atom = mol.NewAtom(element);
    const float xyz[3] = {x, y, z};
    mol.SetCoords(atom, xyz);
    if (altloc) {
        Kamol::KaResidue r;
        r.alternateLocation = altloc;
        Kamol::SetAtomResidue(atom, r);
    }
    return atom;
}

TEST(PerceiveBonds, LeavesOutMetalsOverlapsExclusiveAltlocsAndGivenPairs) {
    KaGraphMol mol;
    KaAtomBase& zn = Add(mol, 30, 0.0f);
    KaAtomBase& n = Add(mol, 7, 2.0f);
    KaAtomBase& overlap = Add(mol, 7, 2.3f);  // 0.3 from n: a duplicate, not a bond
    KaAtomBase& a = Add(mol, 6, 10.0f, 0, 0, 'A');
    KaAtomBase& b = Add(mol, 6, 11.0f, 0, 0, 'B');
    KaAtomBase& blank = Add(mol, 6, 10.0f, 1.4f);
    KaAtomBase& g1 = Add(mol, 6, 20.0f);
    KaAtomBase& g2 = Add(mol, 6, 21.5f);
    KaAtomBase& g3 = Add(mol, 6, 20.0f, 1.5f);
    KaAtomBase& far1 = Add(mol, 6, 30.0f, 2.0e6f);  // beyond any real structure on one axis
    KaAtomBase& far2 = Add(mol, 6, 31.5f, 2.0e6f);
    std::vector<uint8_t> given(mol.IndexLimit(), 0);
    given[g1.GetIndex()] = given[g2.GetIndex()] = 1;
    PerceiveBonds(mol, given);
    EXPECT_FALSE(AreBonded(zn, n));
    EXPECT_FALSE(AreBonded(n, overlap));
    EXPECT_FALSE(AreBonded(a, b));
    EXPECT_TRUE(AreBonded(a, blank));
    EXPECT_TRUE(AreBonded(b, blank));  // a blank altloc meets either conformation
    EXPECT_FALSE(AreBonded(g1, g2));  // both given by the file
    EXPECT_TRUE(AreBonded(g1, g3));
    EXPECT_FALSE(AreBonded(far1, far2));
}

TEST(PerceiveBonds, GivesAHydrogenOnlyItsNearestPartner) {
    KaGraphMol mol;
    KaAtomBase& n = Add(mol, 7, 0.0f);
    KaAtomBase& h = Add(mol, 1, 1.0f);
    KaAtomBase& o = Add(mol, 8, 2.35f);  // 1.35 from h: within O-H reach
    KaAtomBase& bonded = Add(mol, 1, 10.0f);
    KaAtomBase& c = Add(mol, 6, 11.0f);
    KaAtomBase& other = Add(mol, 6, 8.95f);
    mol.NewBond(bonded, c);  // a hydrogen bonded by the file keeps that bond alone
    PerceiveBonds(mol);
    EXPECT_TRUE(AreBonded(n, h));
    EXPECT_FALSE(AreBonded(h, o));
    EXPECT_FALSE(AreBonded(bonded, other));
    EXPECT_EQ(bonded.Bonds().size(), 1u);
}

// The cell grid finds exactly the pairs an all-pairs search finds.
TEST(PerceiveBonds, MatchesAnAllPairsSearchOnARandomCloud) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-12.0f, 12.0f);
    const uint32_t elements[] = {6, 7, 8, 16, 35};
    KaGraphMol mol;
    for (int i = 0; i < 3000; ++i)
        Add(mol, elements[i % 5], coordinate(random), coordinate(random), coordinate(random));
    PerceiveBonds(mol);
    std::set<std::pair<uint32_t, uint32_t>> expected, found;
    const std::vector<float>& xyz = mol.CoordTable();
    for (uint32_t i = 0; i < mol.IndexLimit(); ++i)
        for (uint32_t j = i + 1; j < mol.IndexLimit(); ++j) {
            float d2 = 0;
            for (int k = 0; k < 3; ++k) d2 += (xyz[3 * i + k] - xyz[3 * j + k]) * (xyz[3 * i + k] - xyz[3 * j + k]);
            float reach = Kamol::GetCovalentRadius(mol.GetAtom(i)->GetAtomicNum()) +
                          Kamol::GetCovalentRadius(mol.GetAtom(j)->GetAtomicNum()) + Kamol::kBondTolerance;
            if (d2 < reach * reach && d2 >= Kamol::kMinBondDistance * Kamol::kMinBondDistance)
                expected.emplace(i, j);
        }
    for (uint32_t i = 0; i < mol.IndexLimit(); ++i)
        for (const Kamol::KaBondBase* bond : mol.GetAtom(i)->Bonds())
            if (bond->GetNeighbour(*mol.GetAtom(i))->GetIndex() > i)
                found.emplace(i, bond->GetNeighbour(*mol.GetAtom(i))->GetIndex());
    EXPECT_GT(expected.size(), 500u);
    EXPECT_EQ(found, expected);
}

// A read molecule perceives its bonds on first use. Whatever the first call
// is - a change of coordinates, elements, alternate locations, atoms or
// bonds, or a copy - the bonds afterwards are those of a molecule whose
// bonds were asked for right after reading and then changed the same way.
class DeferredPerception : public ::testing::TestWithParam<int> {};

void Change(Kamol::KaMolBase& mol, int kind) {
    KaAtomBase& first = *mol.GetAtom(0);
    float far[3] = {500.0f, 500.0f, 500.0f};
    switch (kind) {
        case 0: mol.SetCoords(*mol.GetAtom(1), far); break;
        case 1: {
            std::vector<float> xyz;
            for (uint32_t index : mol.Columns().live)
                for (int k = 0; k < 3; ++k) xyz.push_back(2.0f * mol.CoordTable()[3 * index + k]);
            mol.SetLiveCoords(xyz);
            break;
        }
        case 2: mol.NewBond(first, *mol.GetAtom(20)); break;
        case 3: mol.DeleteAtom(*mol.GetAtom(2)); break;
        case 4: mol.GetAtom(1)->SetAtomicNum(26); break;
        case 5: {
            for (uint32_t index : {0u, 1u}) {
                Kamol::KaResidue r = Kamol::CopyAtomResidue(*mol.GetAtom(index));
                r.alternateLocation = index ? 'B' : 'A';
                Kamol::SetAtomResidue(*mol.GetAtom(index), r);
            }
            break;
        }
        case 6: {
            const float near[3] = {mol.CoordTable()[0], mol.CoordTable()[1], mol.CoordTable()[2]};
            mol.SetCoords(mol.NewAtom(6), near);
            break;
        }
    }
}

std::vector<std::vector<uint32_t>> BondLists(const Kamol::KaMolBase& mol) {
    std::vector<std::vector<uint32_t>> lists;
    for (uint32_t index = 0; index < mol.IndexLimit(); ++index) {
        lists.emplace_back();
        if (const KaAtomBase* atom = mol.GetAtom(index))
            for (const Kamol::KaBondBase* bond : atom->Bonds()) lists.back().push_back(bond->GetIndex());
    }
    return lists;
}

TEST_P(DeferredPerception, BondsAreThoseOfTheMoleculeAsRead) {
    const std::string path = std::string(KASELECT_DATA_DIR) + "/pept.pdb";
    // Version counters move by the change alone: the perceived bonds were there all along.
    auto versions = [](const Kamol::KaMolBase& mol) { return std::pair(mol.StructureVersion(), mol.CoordsVersion()); };
    auto eager = Kamol::ReadMolecule(path);
    ASSERT_GT(eager->NumBonds(), 90u);
    const auto eagerBefore = versions(*eager);
    Change(*eager, GetParam());
    auto deferred = Kamol::ReadMolecule(path);
    const auto before = versions(*deferred);
    Change(*deferred, GetParam());
    EXPECT_EQ(versions(*deferred).first - before.first, versions(*eager).first - eagerBefore.first);
    EXPECT_EQ(versions(*deferred).second - before.second, versions(*eager).second - eagerBefore.second);
    std::unique_ptr<Kamol::KaMolBase> copy(Kamol::ReadMolecule(path)->Clone());
    Change(*copy, GetParam());
    for (const Kamol::KaMolBase* mol : {static_cast<Kamol::KaMolBase*>(deferred.get()), copy.get()}) {
        EXPECT_EQ(mol->BondEnds(), eager->BondEnds());
        EXPECT_EQ(BondLists(*mol), BondLists(*eager));
    }
}

INSTANTIATE_TEST_SUITE_P(FirstCalls, DeferredPerception, ::testing::Range(0, 7));

// The warning about atoms crowding into one cell comes while the file is
// read, once, as it did when bonds were made on reading.
TEST(DeferredPerceptionWarning, CrowdedCellsAreReportedOnReading) {
    std::string text;
    char line[96];
    for (int i = 0; i < 600; ++i) {
        std::snprintf(line, sizeof line, "HETATM%5d  C%-2d LIG X   1       1.000   1.000%8.3f  1.00 20.00           C\n",
                      i + 1, i % 100, 1.0 + 0.001 * i);
        text += line;
    }
    readers_test::ScratchDir dir;
    const std::string path = dir.Write("crowded.pdb", text + "END\n");
    std::unique_ptr<Kamol::KaGraphMol> mol;
    readers_test::Warnings reading = readers_test::CollectWarnings([&] { mol = Kamol::ReadMolecule(path); });
    EXPECT_EQ(reading.count, 1u);
    EXPECT_NE(reading.text.find("more than 512 atoms crowd into one"), std::string::npos) << reading.text;
    readers_test::Warnings onUse = readers_test::CollectWarnings([&] { EXPECT_EQ(mol->NumBonds(), 0u); });
    EXPECT_EQ(onUse.count, 0u) << onUse.text;
}

}  // namespace
