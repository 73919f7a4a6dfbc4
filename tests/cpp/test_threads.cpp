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

// Parsing from many threads gives every thread the same trees, and faulty
// text fails the documented way in each of them.
TEST(Threads, ParseAndPrintAtOnce) {
    std::vector<std::string> expected;
    for (const std::string& text : Texts()) expected.push_back(KaSelection::Parse(text).ToCanonical());

    std::atomic<int> mismatches{0}, errors{0};
    OnThreads([&](int t) {
        for (int round = 0; round < 200; ++round) {
            const size_t i = (size_t(t) + size_t(round)) % Texts().size();
            if (KaSelection::Parse(Texts()[i]).ToCanonical() != expected[i]) ++mismatches;
            try {
                KaSelection::Parse("water and (protein");
            } catch (const KaSel::SelectionError& e) {
                if (std::string(e.what()) == "Failed to parse selection: water and (protein") ++errors;
            }
            try {
                KaSelection::Parse("resi 99999999999");
            } catch (const std::out_of_range&) {
                ++errors;
            }
        }
    });
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(errors.load(), kThreads * 200 * 2);
}

// Copies of the same selections are made, printed, queried, moved about and
// dropped on every thread while the originals are dropped on this one; the
// trees stay whole and their reference counts come back to where they were.
TEST(Threads, SharedTreesCopiedPrintedAndReleasedAtOnce) {
    std::vector<KaSelection> originals;
    std::vector<std::string> expected;
    std::vector<std::weak_ptr<const KaSel::Predicate>> roots;
    for (const std::string& text : Texts()) {
        originals.push_back(KaSelection::Parse(text));
        expected.push_back(originals.back().ToCanonical());
        roots.emplace_back(originals.back().GetRootPtr());
    }
    // One extra holder per selection, kept here for the whole test.
    std::vector<KaSelection> kept(originals.begin(), originals.end());
    std::vector<long> countsBefore;
    for (const auto& root : roots) countsBefore.push_back(root.use_count());

    // Each thread takes its own copies before the originals go.
    std::vector<std::vector<KaSelection>> perThread(kThreads, std::vector<KaSelection>(originals.begin(), originals.end()));
    originals.clear();

    std::atomic<int> mismatches{0};
    OnThreads([&](int t) {
        std::vector<KaSelection>& mine = perThread[size_t(t)];
        for (int round = 0; round < 300; ++round) {
            for (size_t i = 0; i < mine.size(); ++i) {
                KaSelection copy(kept[i]);  // copies of the tree every thread shares
                KaSelection another(copy);
                if (another.ToCanonical() != expected[i] || mine[i].ToCanonical() != expected[i]) ++mismatches;
                if (copy.IsEmpty() || !copy.ContainsPredicate(copy.GetRoot().GetType())) ++mismatches;
                (void)another.ContainsPredicate(PredicateType::AROUND);
                mine[i] = KaSelection(another);  // drops one holder, takes another
            }
        }
        mine.clear();
    });
    EXPECT_EQ(mismatches.load(), 0);
    for (size_t i = 0; i < roots.size(); ++i) {
        // The originals are gone and every thread dropped its copies: only `kept` holds the tree.
        EXPECT_EQ(roots[i].use_count(), countsBefore[i] - 1) << Texts()[i];
    }
    kept.clear();
    for (const auto& root : roots) EXPECT_TRUE(root.expired());
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

// Messages from many threads through the process-wide handler: every one
// counted, each printed as one whole line, and a thread that raised its own
// threshold silenced only itself.
TEST(Threads, MessagesThroughTheHandler) {
    KaSystem::KaErrorHandlerImplBase& handler = KaSystem::ErrorHandler();
    constexpr int kMessages = 400;
    constexpr int kQuietThread = 3;
    const uint32_t warningsBefore = handler.Count(4);
    const uint32_t countedOnlyBefore = handler.Count(8);
    const uint32_t plainBefore = handler.Count(2);

    std::vector<std::string> lines;
    {
        StderrCapture capture;
        OnThreads([&](int t) {
            if (t == kQuietThread) handler.SetLevel(5);
            if (t == 0) handler.SetLevel(2);
            const std::string padding(size_t(t) * 7, '.');
            for (int n = 0; n < kMessages; ++n) {
                if (n % 2 == 0)
                    KaSystem::Warning("thread %d message %d %s", t, n, padding.c_str());
                else
                    KaSystem::WarningText("thread " + std::to_string(t) + " message " + std::to_string(n) + " " + padding);
                handler.Msg(8, "counted only");
                if (t == 0) KaSystem::Message2("plain %d", n);
            }
        });
        lines = capture.Lines();
    }

    const uint32_t speaking = kThreads - 1;
    EXPECT_EQ(handler.Count(4) - warningsBefore, speaking * kMessages);
    // Level 8 is above every thread's threshold here, the quiet one's included.
    EXPECT_EQ(handler.Count(8) - countedOnlyBefore, uint32_t(kThreads * kMessages));
    EXPECT_EQ(handler.Count(2) - plainBefore, uint32_t(kMessages));

    std::set<std::string> wanted;
    for (int t = 0; t < kThreads; ++t) {
        if (t == kQuietThread) continue;
        const std::string padding(size_t(t) * 7, '.');
        for (int n = 0; n < kMessages; ++n)
            wanted.insert("Warning: thread " + std::to_string(t) + " message " + std::to_string(n) + " " + padding);
    }
    for (int n = 0; n < kMessages; ++n) wanted.insert("plain " + std::to_string(n));
    std::map<std::string, int> seen;
    for (const std::string& line : lines) ++seen[line];
    EXPECT_EQ(lines.size(), wanted.size());
    for (const auto& [line, times] : seen) {
        EXPECT_TRUE(wanted.count(line)) << "unexpected or broken line: " << line;
        EXPECT_EQ(times, 1) << line;
    }
}

}  // namespace
