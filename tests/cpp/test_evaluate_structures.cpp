// Distance and grouping selections on real structures against a brute-force
// computation written here from the residue records and coordinates.
#include <functional>
#include <set>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "molecule/io.h"
#include "molecule/residue.h"
#include "selection/select.h"

namespace {

using AtomSet = std::set<uint32_t>;
using Kamol::KaMolBase;
using Kamol::KaResidue;

std::unique_ptr<Kamol::KaGraphMol> Load(const std::string& file) {
    return Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/" + file);
}

const KaResidue& ResidueOf(const KaMolBase& mol, uint32_t index) { return Kamol::GetAtomResidue(*mol.GetAtom(index)); }

AtomSet Where(const KaMolBase& mol, const std::function<bool(const KaResidue&, uint32_t)>& test) {
    AtomSet atoms;
    for (uint32_t index : mol.Columns().live)
        if (test(ResidueOf(mol, index), index)) atoms.insert(index);
    return atoms;
}

AtomSet ResidueNamed(const KaMolBase& mol, const std::set<std::string>& names) {
    return Where(mol, [&](const KaResidue& r, uint32_t) { return names.contains(r.residueName); });
}

bool Close(const KaMolBase& mol, uint32_t a, uint32_t b, float radius) {
    const float* p = &mol.CoordTable()[size_t(a) * 3];
    const float* q = &mol.CoordTable()[size_t(b) * 3];
    float sum = 0.0f;
    for (int d = 0; d < 3; ++d) sum = sum + (p[d] - q[d]) * (p[d] - q[d]);
    return sum < radius * radius;
}

// Atoms within `radius` of some atom of `inner` (the inner atoms included).
AtomSet Within(const KaMolBase& mol, const AtomSet& inner, float radius) {
    return Where(mol, [&](const KaResidue&, uint32_t index) {
        for (uint32_t other : inner)
            if (Close(mol, index, other, radius)) return true;
        return false;
    });
}

AtomSet Minus(const AtomSet& a, const AtomSet& b) {
    AtomSet out;
    for (uint32_t x : a)
        if (!b.contains(x)) out.insert(x);
    return out;
}

AtomSet All(const KaMolBase& mol) { return AtomSet(mol.Columns().live.begin(), mol.Columns().live.end()); }

char ChainByte(const KaResidue& r) { return r.chainId.empty() ? ' ' : r.chainId[0]; }

AtomSet ByRes(const KaMolBase& mol, const AtomSet& inner) {
    std::set<std::tuple<char, int32_t, char>> keys;
    for (uint32_t index : inner) {
        const KaResidue& r = ResidueOf(mol, index);
        keys.emplace(ChainByte(r), r.residueNumber, r.insertCode);
    }
    return Where(mol, [&](const KaResidue& r, uint32_t) {
        return keys.contains(std::make_tuple(ChainByte(r), r.residueNumber, r.insertCode));
    });
}

AtomSet ByChain(const KaMolBase& mol, const AtomSet& inner) {
    std::set<char> chains;
    for (uint32_t index : inner) chains.insert(ChainByte(ResidueOf(mol, index)));
    return Where(mol, [&](const KaResidue& r, uint32_t) { return chains.contains(ChainByte(r)); });
}

const std::set<std::string> kAminoAcids = {"ALA", "ARG", "ASN", "ASP", "CYS", "GLN", "GLU", "GLY", "HIS", "ILE",
                                           "LEU", "LYS", "MET", "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL"};

struct StructureCase {
    const char* file;
    const char* text;
    std::function<AtomSet(const KaMolBase&)> bruteForce;
};

void PrintTo(const StructureCase& c, std::ostream* out) { *out << c.file << ": " << c.text; }

class StructureTest : public ::testing::TestWithParam<StructureCase> {};

TEST_P(StructureTest, EqualsBruteForce) {
    std::unique_ptr<Kamol::KaGraphMol> mol = Load(GetParam().file);
    const AtomSet expected = GetParam().bruteForce(*mol);
    ASSERT_FALSE(expected.empty());
    ASSERT_LT(expected.size(), mol->NumAtoms());
    std::vector<unsigned int> batch = KaSel::EvaluateSelection(*mol, GetParam().text);
    EXPECT_EQ(AtomSet(batch.begin(), batch.end()), expected);
    EXPECT_EQ(batch.size(), expected.size());  // no duplicates
    EXPECT_EQ(KaSel::CountSelection(*mol, GetParam().text), expected.size());
    KaSel::KaSelect select(*mol, GetParam().text);
    AtomSet perAtom = Where(*mol, [&](const KaResidue&, uint32_t index) { return select(*mol->GetAtom(index)); });
    EXPECT_EQ(perAtom, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Hpv, StructureTest,
    ::testing::Values(
        StructureCase{"1hpv.pdb", "resn 478 around 5",
                      [](const KaMolBase& m) {
                          AtomSet lig = ResidueNamed(m, {"478"});
                          return Minus(Within(m, lig, 5.0f), lig);
                      }},
        StructureCase{"1hpv.pdb", "resn 478 expand 4.5", [](const KaMolBase& m) { return Within(m, ResidueNamed(m, {"478"}), 4.5f); }},
        StructureCase{"1hpv.pdb", "resn 478 beyond 8",
                      [](const KaMolBase& m) { return Minus(All(m), Within(m, ResidueNamed(m, {"478"}), 8.0f)); }},
        StructureCase{"1hpv.pdb", "resn HOH around 3.2",
                      [](const KaMolBase& m) {
                          AtomSet water = ResidueNamed(m, {"HOH"});
                          return Minus(Within(m, water, 3.2f), water);
                      }},
        StructureCase{"1hpv.pdb", "protein around 4",
                      [](const KaMolBase& m) {
                          AtomSet protein = ResidueNamed(m, kAminoAcids);
                          return Minus(Within(m, protein, 4.0f), protein);
                      }},
        StructureCase{"1hpv.pdb", "byres (resn 478 around 5)",
                      [](const KaMolBase& m) {
                          AtomSet lig = ResidueNamed(m, {"478"});
                          return ByRes(m, Minus(Within(m, lig, 5.0f), lig));
                      }},
        StructureCase{"1hpv.pdb", "bychain (resi 25 and chain B)",
                      [](const KaMolBase& m) {
                          return ByChain(m, Where(m, [](const KaResidue& r, uint32_t) {
                                             return r.residueNumber == 25 && ChainByte(r) == 'B';
                                         }));
                      }},
        StructureCase{"1hpv.pdb", "byres (resn HOH expand 3.5) and not resn HOH",
                      [](const KaMolBase& m) {
                          AtomSet water = ResidueNamed(m, {"HOH"});
                          return Minus(ByRes(m, Within(m, water, 3.5f)), water);
                      }},
        StructureCase{"1hpv.pdb", "resn HOH and not (resn 478 beyond 6)",
                      [](const KaMolBase& m) {
                          AtomSet near = Within(m, ResidueNamed(m, {"478"}), 6.0f);
                          AtomSet out;
                          for (uint32_t w : ResidueNamed(m, {"HOH"}))
                              if (near.contains(w)) out.insert(w);
                          return out;
                      }}));

INSTANTIATE_TEST_SUITE_P(
    Al1, StructureTest,
    ::testing::Values(
        StructureCase{"3al1.pdb", "resn MPD around 4",
                      [](const KaMolBase& m) {
                          AtomSet mpd = ResidueNamed(m, {"MPD"});
                          return Minus(Within(m, mpd, 4.0f), mpd);
                      }},
        StructureCase{"3al1.pdb", "byres (resn ETA around 6)",
                      [](const KaMolBase& m) {
                          AtomSet eta = ResidueNamed(m, {"ETA"});
                          return ByRes(m, Minus(Within(m, eta, 6.0f), eta));
                      }},
        StructureCase{"3al1.pdb", "bychain resn ACE", [](const KaMolBase& m) { return ByChain(m, ResidueNamed(m, {"ACE"})); }},
        StructureCase{"3al1.pdb", "resn HOH beyond 10",
                      [](const KaMolBase& m) { return Minus(All(m), Within(m, ResidueNamed(m, {"HOH"}), 10.0f)); }},
        StructureCase{"3al1.pdb", "chain A expand 2.5", [](const KaMolBase& m) {
                          return Within(m, Where(m, [](const KaResidue& r, uint32_t) { return ChainByte(r) == 'A'; }), 2.5f);
                      }}));

}  // namespace
