// Cost of evaluating selections over about a million atoms, made by tiling a
// real protein-ligand complex on a lattice: ns per atom for property, class,
// distance (small and large inner selection), grouping and composed
// selections, each cold (first call on a fresh copy of the molecule) and warm
// (repeated on the same copy), and the build times of the KD-tree and of the
// atom grid that distance masks use. Times are given as wall clock and as
// the thread's CPU time; on a busy machine the CPU time is the steadier one.
//
// Usage: bench_evaluate [atoms [selection]]   (default 1000000 atoms, the
// whole table; with a selection, only that one, 300 times: for profiling)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "molecule/io.h"
#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "selection/distance_mask.h"
#include "selection/select.h"
#include "selection/spatial_index.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double ThreadCpuMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) * 1e-6;
}

// Wall-clock and CPU milliseconds of one call of `work`.
struct Timing {
    double wall, cpu;
};
template <class Work>
Timing Measure(Work&& work) {
    const double cpuStart = ThreadCpuMilliseconds();
    const Clock::time_point start = Clock::now();
    work();
    return {Milliseconds(Clock::now() - start), ThreadCpuMilliseconds() - cpuStart};
}

Timing Median(std::vector<Timing> timings) {
    std::sort(timings.begin(), timings.end(), [](const Timing& a, const Timing& b) { return a.cpu < b.cpu; });
    return timings[timings.size() / 2];
}

// Copies of `source` on a cubic lattice with 4 A gaps, until `wanted` atoms.
// Each copy gets its own residue numbers (offset by 1000 per copy) and a chain
// identifier whose first byte cycles A..Z, so residues stay distinct.
std::unique_ptr<Kamol::KaGraphMol> Tile(const Kamol::KaMolBase& source, size_t wanted) {
    const Kamol::KaAtomColumns& columns = source.Columns();
    const std::vector<float>& coords = source.CoordTable();
    float low[3] = {1e30f, 1e30f, 1e30f}, high[3] = {-1e30f, -1e30f, -1e30f};
    for (uint32_t index : columns.live)
        for (int d = 0; d < 3; ++d) {
            low[d] = std::min(low[d], coords[3 * index + d]);
            high[d] = std::max(high[d], coords[3 * index + d]);
        }
    const size_t copies = (wanted + columns.live.size() - 1) / columns.live.size();
    int side = 1;
    while (size_t(side) * side * side < copies) ++side;

    auto tiled = std::make_unique<Kamol::KaGraphMol>();
    std::vector<Kamol::KaAtomBase*> map(source.IndexLimit(), nullptr);
    for (size_t copy = 0; copy < copies; ++copy) {
        const float shift[3] = {float(copy % side) * (high[0] - low[0] + 4.0f),
                                float((copy / side) % side) * (high[1] - low[1] + 4.0f),
                                float(copy / (size_t(side) * side)) * (high[2] - low[2] + 4.0f)};
        for (uint32_t index : columns.live) {
            const Kamol::KaAtomBase& atom = *columns.atoms[index];
            Kamol::KaAtomBase& made = tiled->NewAtom(atom.GetAtomicNum());
            made.SetName(atom.Name());
            Kamol::KaResidue residue = source.ResidueRecordOf(index);
            residue.residueNumber += int32_t(copy) * 1000;
            residue.chainId = std::string(1, char('A' + copy % 26)) + residue.chainId;
            Kamol::SetAtomResidue(made, residue);
            const float xyz[3] = {coords[3 * index] + shift[0], coords[3 * index + 1] + shift[1],
                                  coords[3 * index + 2] + shift[2]};
            tiled->SetCoords(made, xyz);
            map[index] = &made;
        }
        std::unique_ptr<KaSystem::KaIterBase<Kamol::KaBondBase>> bonds(source.GetBondIter());
        for (; bonds->IsValid(); bonds->Next())
            tiled->NewBond(*map[bonds->Current().GetBgn().GetIndex()], *map[bonds->Current().GetEnd().GetIndex()]);
    }
    return tiled;
}

struct Entry {
    const char* kind;
    const char* text;
};

const Entry kEntries[] = {
    {"property", "name CA"},
    {"property", "resn ALA+GLY+LEU"},
    {"property", "resi 10-50"},
    {"property", "chain B"},
    {"property", "b < 30"},
    {"property", "elem C"},
    {"property", "elem N or elem O"},
    {"class", "protein"},
    {"class", "water"},
    {"class", "backbone"},
    {"class", "not protein"},
    {"class", "protein and backbone"},
    {"class", "not (water or ligand)"},
    {"class", "organic"},
    {"class", "nonpolar_hydrogen"},
    {"spatial, small inner", "(index < 1631 and resn 478) around 5"},
    {"spatial, small inner", "(resi 25 and index < 1631) expand 8"},
    {"spatial, medium inner", "resn 478 around 5"},
    {"spatial, medium inner", "water around 3.5"},
    {"spatial, large inner", "protein around 4"},
    {"spatial, large inner", "protein beyond 6"},
    {"grouping", "byres name CA"},
    {"grouping", "bychain resi 25"},
    {"grouping", "byres (resn 478 around 5)"},
    {"composed", "protein and not (backbone or hydrogen) and resi 10-60"},
    {"composed", "byres (water around 3.5) and not water"},
    {"composed", "(chain A or chain B) and name C* and b > 10"},
};

}  // namespace

int main(int argc, char** argv) {
    const size_t wanted = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::unique_ptr<Kamol::KaGraphMol> source = Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/1hpv.pdb");
    Clock::time_point start = Clock::now();
    std::unique_ptr<Kamol::KaGraphMol> base = Tile(*source, wanted);
    const double atoms = base->NumAtoms();
    std::printf("%u atoms (1hpv tiled), built in %.0f ms\n", base->NumAtoms(), Milliseconds(Clock::now() - start));

    size_t sink = 0;
    if (argc > 2) {
        for (int round = 0; round < 300; ++round) sink += KaSel::EvaluateSelection(*base, argv[2]).size();
        return sink == 0 ? 1 : 0;
    }
    // Index builds, on a molecule whose columns are already made.
    base->Columns();
    {
        std::vector<Timing> tree, grid;
        for (int round = 0; round < 3; ++round) {
            tree.push_back(Measure([&] { sink += KaSel::BuildPointCloud(*base)->atomIndices.size(); }));
            grid.push_back(Measure([&] { sink += KaSel::BuildAtomGrid(*base, 5.0f) != nullptr; }));
        }
        const Timing t = Median(tree), g = Median(grid);
        std::printf("KD-tree build:            %8.1f ms wall, %6.1f ns/atom CPU\n", t.wall, t.cpu * 1e6 / atoms);
        std::printf("atom grid build (5 A):    %8.1f ms wall, %6.1f ns/atom CPU\n\n", g.wall, g.cpu * 1e6 / atoms);
    }

    std::printf("%-22s %9s %9s %10s %10s %9s  %s\n", "", "cold", "warm", "cold CPU", "warm CPU", "", "");
    std::printf("%-22s %9s %9s %10s %10s %9s  %s\n", "kind", "wall ms", "wall ms", "ns/atom", "ns/atom", "selected",
                "selection");
    for (const Entry& entry : kEntries) {
        std::unique_ptr<Kamol::KaMolBase> fresh(base->Clone());
        size_t selected = 0;
        const Timing cold = Measure([&] { selected = KaSel::EvaluateSelection(*fresh, entry.text).size(); });
        std::vector<Timing> warm;
        for (int round = 0; round < 15; ++round)
            warm.push_back(Measure([&] { sink += KaSel::EvaluateSelection(*fresh, entry.text).size(); }));
        const Timing w = Median(warm);
        std::printf("%-22s %9.2f %9.2f %10.2f %10.2f %9zu  %s\n", entry.kind, cold.wall, w.wall, cold.cpu * 1e6 / atoms,
                    w.cpu * 1e6 / atoms, selected, entry.text);
    }

    // One atom at a time through the atom predicate, for comparison.
    {
        std::unique_ptr<Kamol::KaMolBase> fresh(base->Clone());
        for (const char* text : {"name CA", "protein", "byres (resn 478 around 5)"}) {
            KaSel::KaSelect select(*fresh, text);
            size_t count = 0;
            const Timing t = Measure([&] {
                std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>> it(fresh->GetAtoms());
                for (; it->IsValid(); it->Next()) count += select(it->Current());
            });
            std::printf("%-22s %9.2f %9s %10.2f %10s %9zu  %s\n", "per atom (KaSelect)", t.wall, "", t.cpu * 1e6 / atoms,
                        "", count, text);
        }
    }
    return sink == 0 ? 1 : 0;
}
