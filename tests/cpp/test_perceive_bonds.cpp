// Distance-based bond perception on hand-built molecules.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

#include "molecule/elements.h"
#include "molecule/molecule.h"
#include "molecule/perceive_bonds.h"
#include "molecule/residue.h"

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

}  // namespace
