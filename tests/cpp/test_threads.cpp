// Several threads at once on what is shared between them: selection trees
// (parsed, printed, copied, queried, released and evaluated on per-thread
// molecules) and the process-wide message handler.
//
// A KaSelection tree is immutable and held through atomically counted
// pointers, so copies of one selection may be used and dropped from any
// thread; the handler counts atomically and writes each message whole.

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "molecule/io.h"
#include "selection/predicate.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "stderr_capture.h"
#include "system/message.h"

namespace {

using KaSel::KaSelection;
using KaSel::PredicateType;

constexpr int kThreads = 8;

const std::vector<std::string>& Texts() {
    static const std::vector<std::string> texts = {
        "byres (ligand around 5) and water",
        "name CA+CB+N and not hydrogen",
        "//E/10/CA or resi 3-8",
        "bychain (resn CYS expand 3.5) and backbone",
        "b >= 30.5 or index < 20 or id 7",
        "sidechain beyond 6 and elem C",
        "not not (helix or sheet or turn or loop)",
        "(protein and heavy) or (polar_hydrogen and resn HIS+TRP)",
    };
    return texts;
}

// Runs `body(thread)` on kThreads threads started together.
template <class Body>
void OnThreads(Body body) {
    std::atomic<int> ready{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            ++ready;
            while (ready.load() < kThreads) std::this_thread::yield();
            body(t);
        });
    for (std::thread& thread : threads) thread.join();
}

// Shared selections evaluated at once, each thread on its own copy of the
// peptide, select what they select on one thread.
TEST(Threads, SharedSelectionsEvaluatedOnPerThreadMolecules) {
    auto peptide = Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/pept.pdb");
    std::vector<KaSelection> selections;
    std::vector<std::vector<uint32_t>> expected;
    for (const std::string& text : Texts()) {
        selections.push_back(KaSelection::Parse(text));
        std::unique_ptr<Kamol::KaMolBase> mol(peptide->Clone());
        expected.push_back(KaSel::KaSelect(*mol, selections.back()).SelectAll());
    }
    std::vector<std::unique_ptr<Kamol::KaMolBase>> molecules;
    for (int t = 0; t < kThreads; ++t) molecules.emplace_back(peptide->Clone());

    std::atomic<int> mismatches{0};
    OnThreads([&](int t) {
        Kamol::KaMolBase& mol = *molecules[size_t(t)];
        for (int round = 0; round < 10; ++round) {
            for (size_t i = 0; i < selections.size(); ++i) {
                KaSel::KaSelect select(mol, selections[i]);
                if (select.SelectAll() != expected[i]) ++mismatches;
                std::vector<uint32_t> oneByOne;
                KaSel::KaSelect fresh(select);
                for (uint32_t index : mol.Columns().live)
                    if (fresh(*mol.GetAtom(index))) oneByOne.push_back(index);
                if (oneByOne != expected[i]) ++mismatches;
            }
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
    size_t selectedSomewhere = 0;
    for (const auto& indices : expected) selectedSomewhere += !indices.empty();
    EXPECT_GE(selectedSomewhere, 4u);  // the texts are not all empty on the peptide
}

}  // namespace
