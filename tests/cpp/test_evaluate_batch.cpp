// Whole-molecule evaluation against atom-by-atom evaluation: same atoms, same
// predicates run on the same atoms, the same marks left on the molecule; and
// the KaSelect atom predicate with its caches.
#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "evaluate_fixture.h"
#include "molecule/io.h"
#include "selection/selection.h"

namespace {

using namespace evaltest;

KaSystem::KaTag TaggedTag() { return KaSystem::TagFromName("KaSel_Tagged"); }

std::unique_ptr<Kamol::KaGraphMol> Load(const std::string& file) {
    return Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/" + file);
}

Indices AskEachAtom(Kamol::KaMolBase& mol, const KaSelect& select) {
    Indices selected;
    std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>> atoms(mol.GetAtoms());
    for (; atoms->IsValid(); atoms->Next())
        if (select(atoms->Current())) selected.push_back(atoms->Current().GetIndex());
    return selected;
}

// ---- same answers and same marks on real structures ------------------------------------

struct TextCase {
    const char* file;
    const char* text;
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.file << ": " << c.text; }

class BatchEqualsPerAtom : public ::testing::TestWithParam<TextCase> {};

TEST_P(BatchEqualsPerAtom, SameAtomsAndSameMarks) {
    std::unique_ptr<Kamol::KaGraphMol> batchMol = Load(GetParam().file);
    std::unique_ptr<Kamol::KaGraphMol> perAtomMol = Load(GetParam().file);
    std::vector<unsigned int> batch = EvaluateSelection(*batchMol, GetParam().text);
    KaSelect select(*perAtomMol, GetParam().text);
    EXPECT_EQ(batch, AskEachAtom(*perAtomMol, select));
    EXPECT_EQ(batchMol->HasData(TaggedTag()), perAtomMol->HasData(TaggedTag()));
    // Asked again on the marked molecules, with caches from scratch.
    EXPECT_EQ(EvaluateSelection(*perAtomMol, GetParam().text), batch);
    EXPECT_EQ(CountSelection(*batchMol, GetParam().text), batch.size());
}

const char* const kTexts[] = {
    "", "none", "not protein", "water and not protein", "elem Xe and protein", "name CA+CB and resi 10-20",
    "byres (resn 478 around 5)", "bychain (resi 25 and chain B)", "resn 478 around 4 or ligand",
    "index < 100 and (protein expand 2)", "b < 20 and sidechain", "polar_hydrogen or nonpolar_hydrogen",
    "helix or sheet or turn", "loop and backbone", "metal or capping", "organic and not solvent", "all or protein",
    "(elem O and water) around 3 and not water", "resn HOH beyond 6", "frag 0 and id > 1000", "alt A or alt B",
    "heavy and chain B and not byres (water around 3.5)", "elem Xe around 5 and protein",
    "bychain (ligand around 4) and not protein",
    "protein and backbone",
    "not (water or ligand) and not sidechain",
    "(solvent or ligand) and not water",
    "elem N or elem O", "index < 300 and (elem Xe or elem O or elem N)", "elem N or elem O or water",
};

std::vector<TextCase> Cases() {
    std::vector<TextCase> cases;
    for (const char* file : {"1hpv.pdb", "3al1.pdb", "ligs3d.sdf"})
        for (const char* text : kTexts) cases.push_back({file, text});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Selections, BatchEqualsPerAtom, ::testing::ValuesIn(Cases()));

// ---- every node asked about exactly the atoms it is asked about one at a time ----------

// Records the atoms it is asked about, then answers as its inner node.
class Recording : public Predicate {
public:
    Recording(PredicatePtr inner, std::set<uint32_t>& seen) : inner_(std::move(inner)), seen_(seen) {}
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override {
        seen_.insert(atom.GetIndex());
        return inner_->Evaluate(context, atom);
    }
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override {
        seen_.insert(atoms.begin(), atoms.end());
        inner_->SelectFrom(context, atoms, accepted);
    }
    std::string ToString() const override { return inner_->ToString(); }
    PredicateType GetType() const override { return inner_->GetType(); }

private:
    PredicatePtr inner_;
    std::set<uint32_t>& seen_;
};

TEST(ShortCircuit, EveryNodeSeesTheSameAtomsInBothForms) {
    std::unique_ptr<Kamol::KaGraphMol> mol = Load("1hpv.pdb");
    std::map<std::string, std::set<uint32_t>> seen;
    auto rec = [&](const char* label, PredicatePtr inner) { return std::make_shared<Recording>(std::move(inner), seen[label]); };
    PredicatePtr root = Or({
        And({rec("elem C", Make<ElemPredicate>(std::string("C"))), rec("chain A", Make<ChainPredicate>(std::string("A"))),
             rec("not resi<50", Not(rec("resi<50", Make<ResiPredicate>(50, Less))))}),
        rec("water", Make<WaterPredicate>()),
        rec("around", Make<AroundPredicate>(4.0f, rec("around inner", Make<ResnPredicate>(std::string("478"))))),
        rec("byres", Make<ByResPredicate>(rec("byres inner", Make<NamePredicate>(std::string("OG1"))))),
        And({rec("and empty", Make<FalsePredicateImpl>()), rec("never", Make<ProteinPredicate>())}),
    });
    const Indices perAtom = PerAtom(*mol, *root);
    const std::map<std::string, std::set<uint32_t>> perAtomSeen = seen;
    for (auto& [label, atoms] : seen) atoms.clear();  // the recorders keep writing here
    const Indices batch = Batch(*mol, *root);
    EXPECT_EQ(batch, perAtom);
    for (const auto& [label, atoms] : perAtomSeen) EXPECT_EQ(seen[label], atoms) << label;
    EXPECT_TRUE(perAtomSeen.at("never").empty());
    EXPECT_FALSE(perAtomSeen.at("resi<50").empty());
    EXPECT_LT(perAtomSeen.at("resi<50").size(), perAtomSeen.at("chain A").size());
    EXPECT_LT(perAtomSeen.at("water").size(), mol->NumAtoms());
}

// ---- data kept with the molecule follows its changes ------------------------------------

struct ChangeCase {
    const char* label;
    const char* text;
    std::function<void(Kamol::KaGraphMol&)> change;
};

void PrintTo(const ChangeCase& c, std::ostream* out) { *out << c.label; }

class KeptDataTest : public ::testing::TestWithParam<ChangeCase> {};

// A small peptide with a water and a ligand, bonded.
void BuildPeptide(MoleculeBuilder& b) {
    b.Add(7, "N", Residue("ALA", 1, "A"), 0, 0, 0);
    b.Add(6, "CA", Residue("ALA", 1, "A"), 1.5f, 0, 0);
    b.Add(1, "H", Residue("ALA", 1, "A"), -1, 0, 0);
    b.Add(6, "CB", Residue("ALA", 1, "A"), 1.5f, 1.5f, 0);
    b.Add(8, "O", Residue("HOH", 2, "W"), 5, 0, 0);
    b.Add(6, "C1", Residue("LIG", 3, "L"), 9, 0, 0);
    b.Add(1, "H1", Residue("LIG", 3, "L"), 10, 0, 0);
    b.Bond(0, 1);
    b.Bond(0, 2);
    b.Bond(1, 3);
    b.Bond(5, 6);
}

TEST_P(KeptDataTest, WholeMoleculeAnswerFollowsTheChange) {
    MoleculeBuilder b;
    BuildPeptide(b);
    const char* text = GetParam().text;
    const std::vector<unsigned int> before = EvaluateSelection(b.molecule, text);
    ASSERT_EQ(before, AskEachAtom(b.molecule, KaSelect(b.molecule, text)));
    GetParam().change(b.molecule);
    const std::vector<unsigned int> after = EvaluateSelection(b.molecule, text);
    EXPECT_EQ(after, AskEachAtom(b.molecule, KaSelect(b.molecule, text)));
    EXPECT_NE(after, before);
}

Kamol::KaAtomBase& AtomAt(Kamol::KaGraphMol& mol, uint32_t index) { return *mol.GetAtom(index); }

INSTANTIATE_TEST_SUITE_P(
    Changes, KeptDataTest,
    ::testing::Values(
        ChangeCase{"atom renamed", "name CB", [](Kamol::KaGraphMol& m) { AtomAt(m, 1).SetName("CB"); }},
        ChangeCase{"residue renamed", "resn HOH",
                   [](Kamol::KaGraphMol& m) { Kamol::SetAtomResidue(AtomAt(m, 5), Residue("HOH", 3, "L")); }},
        ChangeCase{"residue renumbered", "byres index 0",
                   [](Kamol::KaGraphMol& m) { Kamol::SetAtomResidue(AtomAt(m, 3), Residue("ALA", 9, "A")); }},
        ChangeCase{"chain changed", "bychain index 4",
                   [](Kamol::KaGraphMol& m) { Kamol::SetAtomResidue(AtomAt(m, 5), Residue("LIG", 3, "W")); }},
        ChangeCase{"element changed", "polar_hydrogen", [](Kamol::KaGraphMol& m) { AtomAt(m, 5).SetAtomicNum(8); }},
        ChangeCase{"bond added", "nonpolar_hydrogen", [](Kamol::KaGraphMol& m) { m.NewBond(AtomAt(m, 6), AtomAt(m, 4)); }},
        ChangeCase{"bond removed with its atom", "organic and not protein",
                   [](Kamol::KaGraphMol& m) { m.DeleteAtom(AtomAt(m, 5)); }},
        ChangeCase{"atom moved", "resn HOH around 3",
                   [](Kamol::KaGraphMol& m) {
                       const float xyz[3] = {7, 0, 0};
                       m.SetCoords(AtomAt(m, 5), xyz);
                   }},
        ChangeCase{"atom added", "resn HOH expand 3", [](Kamol::KaGraphMol& m) {
                       Kamol::KaAtomBase& atom = m.NewAtom(8);
                       const float xyz[3] = {5, 1, 0};
                       m.SetCoords(atom, xyz);
                   }}));

// ---- KaSelect --------------------------------------------------------------------------

}  // namespace
