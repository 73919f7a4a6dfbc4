// The thread rules: selections are immutable and may be shared between
// threads; each thread evaluates them on a molecule of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "molecule/io.h"
#include "selection/select.h"
#include "selection/selection.h"

namespace {

using KaSel::KaSelection;

TEST(Threads, SharedSelectionsEvaluatedOnPerThreadMolecules) {
    auto peptide = Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/pept.pdb");
    std::vector<KaSelection> selections;
    std::vector<std::vector<uint32_t>> expected;
    for (const char* text : {"byres (ligand around 5) and water", "name CA+CB+N and not hydrogen", "//E/10/CA or resi 3-8",
                             "bychain (resn CYS expand 3.5) and backbone", "b >= 30.5 or index < 20 or id 7",
                             "sidechain beyond 6 and elem C", "(protein and heavy) or (polar_hydrogen and resn HIS+TRP)"}) {
        selections.push_back(KaSelection::Parse(text));
        std::unique_ptr<Kamol::KaMolBase> mol(peptide->Clone());
        expected.push_back(KaSel::KaSelect(*mol, selections.back()).SelectAll());
    }
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            std::unique_ptr<Kamol::KaMolBase> mol(peptide->Clone());
            for (int round = 0; round < 10; ++round)
                for (size_t i = 0; i < selections.size(); ++i) {
                    KaSelection copy = selections[i];  // copies share the tree
                    KaSel::KaSelect select(*mol, copy);
                    std::vector<uint32_t> oneByOne;
                    for (uint32_t index : mol->Columns().live)
                        if (select(*mol->GetAtom(index))) oneByOne.push_back(index);
                    if (oneByOne != expected[i] || KaSel::KaSelect(*mol, copy).SelectAll() != expected[i]) ++mismatches;
                    if (copy.ToCanonical() != selections[i].ToCanonical()) ++mismatches;
                }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mismatches.load(), 0);
    size_t selectedSomewhere = 0;
    for (const auto& indices : expected) selectedSomewhere += !indices.empty();
    EXPECT_GE(selectedSomewhere, 4u);  // the texts are not all empty on the peptide
}

}  // namespace
