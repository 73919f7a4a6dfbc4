// Cost of parsing selection text and of printing its canonical form, per call,
// for a set of realistic selections.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "selection/selection.h"

namespace {

using Clock = std::chrono::steady_clock;

const char* const kSelections[] = {
    "water",
    "protein and not hydrogen",
    "//A/10/CA",
    "resn ALA+GLY+SER and chain A and name CA",
    "byres (ligand around 5) and water",
    "byres ligand around 6.5 and not water",
    "bychain (resn HEM expand 4)",
    "backbone and resi 10-120 and chain B",
    "(sidechain or name CA) and resi >= 50 and b < 40.5",
    "metal or (ligand and elem Fe) or elem ZN",
    "polar_hydrogen and (protein around 3.5)",
    "not (solvent or organic) and (helix or sheet)",
    "name N+CA+C+O and index 1-5000 and alt A",
    "(resn HOH and ligand beyond 10) or (capping and frag 2)",
    "((chain A and resi 1-100) or (chain B and resi 200-300)) and heavy",
};

// Runs `work` until at least `budget` has passed and returns ns per call.
template <class Work>
double NanosecondsPerCall(Work&& work, std::chrono::milliseconds budget) {
    size_t calls = 0;
    const Clock::time_point start = Clock::now();
    Clock::time_point now = start;
    while (now - start < budget) {
        for (int i = 0; i < 64; ++i) work();
        calls += 64;
        now = Clock::now();
    }
    return std::chrono::duration<double, std::nano>(now - start).count() / static_cast<double>(calls);
}

}  // namespace

int main() {
    const std::chrono::milliseconds budget(100);
    size_t sink = 0;  // keeps the results observable
    double totalParse = 0.0;
    double totalCanonical = 0.0;
    std::printf("%10s %12s  %s\n", "parse ns", "canonical ns", "selection");
    for (const char* text : kSelections) {
        const std::string input = text;
        const double parse = NanosecondsPerCall([&] { sink += KaSel::KaSelection::Parse(input).IsEmpty(); }, budget);
        const KaSel::KaSelection selection = KaSel::KaSelection::Parse(input);
        const double canonical = NanosecondsPerCall([&] { sink += selection.ToCanonical().size(); }, budget);
        totalParse += parse;
        totalCanonical += canonical;
        std::printf("%10.0f %12.0f  %s\n", parse, canonical, text);
    }
    const double count = static_cast<double>(std::size(kSelections));
    std::printf("%10.0f %12.0f  (mean over %zu selections)\n", totalParse / count, totalCanonical / count,
                std::size(kSelections));
    return sink == 0 ? 1 : 0;
}
