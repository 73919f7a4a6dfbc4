#include "molecule/perceive_bonds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "molecule/elements.h"
#include "molecule/residue.h"
#include "system/message.h"

namespace Kamol {

namespace {

// No real structure packs this many atoms into one cell (a few Angstrom on a
// side); such a cell comes from broken coordinates and would make the pair
// search quadratic.
constexpr uint32_t kMaxAtomsPerCell = 512;
// Coordinates beyond this are not from a real structure; they are left out
// so that a cell key (three cell indices) fits in 64 bits.
constexpr float kMaxCoordinate = 1.0e6f;

bool IsMetal(uint32_t z) {
    switch (z) {
        case 3: case 4: case 11: case 12: case 13: case 19: case 20: case 31:
        case 37: case 38: case 49: case 50: case 55: case 56: case 81: case 82:
        case 83: case 87: case 88:
            return true;
        default:
            return (z >= 21 && z <= 30) || (z >= 39 && z <= 48) || (z >= 57 && z <= 80) || z >= 89;
    }
}

// An atom taking part, with what the pair test needs kept side by side.
struct Point {
    float x, y, z, radius;
    uint32_t atom;
    char altloc;
    bool given;
    bool hydrogen;
};

struct Cell {
    uint64_t key;
    uint32_t begin, end;  // range in the cell-ordered point list
};

struct Candidate {
    uint32_t low, high;  // atom indices, low < high
    float d2;
    bool hydrogen;  // either atom is a hydrogen
};

// Cell (x, y, z) packed as x:y:z with `bits` bits each. Indices start at 1,
// so that a neighbour one step below never underflows; a neighbour's key is
// then the cell's key plus a constant, and keys rise in (x, y, z) order.
class CellGrid {
public:
    CellGrid(const float lo[3], float size, uint32_t maxIndex) : size_(size) {
        for (int k = 0; k < 3; ++k) lo_[k] = lo[k];
        while ((uint64_t(1) << bits_) < uint64_t(maxIndex) + 3) ++bits_;
    }
    uint64_t Key(const Point& p) const {
        return Pack(Index(p.x, 0), Index(p.y, 1), Index(p.z, 2));
    }
    uint64_t Offset(int64_t dx, int64_t dy, int64_t dz) const {
        return uint64_t((dx << (2 * bits_)) + (dy << bits_) + dz);
    }
    int Bits() const { return 3 * bits_; }

private:
    uint64_t Index(float v, int axis) const { return uint64_t((v - lo_[axis]) / size_) + 1; }
    uint64_t Pack(uint64_t x, uint64_t y, uint64_t z) const { return (x << (2 * bits_)) | (y << bits_) | z; }
    float lo_[3];
    float size_;
    int bits_ = 1;
};

// Points ordered by cell key, atoms in index order within a cell: a stable
// radix sort in 16-bit digits over the key bits in use.
std::vector<Point> SortByCell(const std::vector<Point>& points, const CellGrid& grid, std::vector<uint64_t>& keys) {
    const size_t n = points.size();
    std::vector<uint64_t> key(n);
    std::vector<uint32_t> order(n), next(n);
    for (size_t i = 0; i < n; ++i) {
        key[i] = grid.Key(points[i]);
        order[i] = uint32_t(i);
    }
    std::vector<uint32_t> count(1 << 16);
    for (int shift = 0; shift < grid.Bits(); shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (uint32_t i : order) ++count[(key[i] >> shift) & 0xffff];
        uint32_t sum = 0;
        for (uint32_t& c : count) sum += std::exchange(c, sum);
        for (uint32_t i : order) next[count[(key[i] >> shift) & 0xffff]++] = i;
        order.swap(next);
    }
    std::vector<Point> sorted(n);
    keys.resize(n);
    for (size_t i = 0; i < n; ++i) {
        sorted[i] = points[order[i]];
        keys[i] = key[order[i]];
    }
    return sorted;
}

// Candidates in (low, high) order: a counting sort by the lower atom, then
// the few candidates of each lower atom by the higher one.
void SortByAtoms(std::vector<Candidate>& candidates, uint32_t limit) {
    std::vector<uint32_t> start(size_t(limit) + 1, 0);
    for (const Candidate& c : candidates) ++start[c.low + 1];
    for (uint32_t i = 0; i < limit; ++i) start[i + 1] += start[i];
    std::vector<Candidate> sorted(candidates.size());
    std::vector<uint32_t> fill(start.begin(), start.end() - 1);
    for (const Candidate& c : candidates) sorted[fill[c.low]++] = c;
    for (uint32_t i = 0; i < limit; ++i)
        std::sort(sorted.begin() + start[i], sorted.begin() + start[i + 1],
                  [](const Candidate& x, const Candidate& y) { return x.high < y.high; });
    candidates.swap(sorted);
}

}  // namespace

bool AreBonded(const KaAtomBase& a, const KaAtomBase& b) {
    const KaAtomBase& shorter = a.Bonds().size() <= b.Bonds().size() ? a : b;
    const KaAtomBase& other = &shorter == &a ? b : a;
    for (const KaBondBase* bond : shorter.Bonds())
        if (bond->GetNeighbour(shorter) == &other) return true;
    return false;
}

namespace {

// The atoms taking part, with what the pair search needs of each.
struct PointSet {
    std::vector<Point> points;
    std::vector<uint8_t> hadBonds;  // by index: the atom had a bond before perception
    float lo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                   std::numeric_limits<float>::max()};
    float hi[3] = {std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest(),
                   std::numeric_limits<float>::lowest()};
    float maxRadius = 0.0f;
};

// `alternateLocations` (by index), when given, stands for the atoms' records.
PointSet CollectPoints(const KaMolBase& mol, const std::vector<uint8_t>& bondsGiven,
                       const std::vector<char>* alternateLocations) {
    const std::vector<float>& coords = mol.CoordTable();
    const uint32_t limit = mol.IndexLimit();
    PointSet set;
    set.points.reserve(limit);
    set.hadBonds.assign(limit, 0);
    const KaAtomColumns& columns = mol.Columns();
    for (uint32_t index = 0; index < limit; ++index) {
        const KaAtomBase* atom = mol.GetAtom(index);
        if (!atom) continue;
        set.hadBonds[index] = !atom->Bonds().empty();
        uint32_t z = atom->GetAtomicNum();
        float r = GetCovalentRadius(z);
        if (r <= 0.0f || IsMetal(z)) continue;
        // A hydrogen bonded by the file keeps exactly that bond.
        if (z == 1 && set.hadBonds[index]) continue;
        const float* p = &coords[size_t(index) * 3];
        if (!(std::fabs(p[0]) <= kMaxCoordinate && std::fabs(p[1]) <= kMaxCoordinate &&
              std::fabs(p[2]) <= kMaxCoordinate))  // also rejects NaN
            continue;
        for (int k = 0; k < 3; ++k) {
            set.lo[k] = std::min(set.lo[k], p[k]);
            set.hi[k] = std::max(set.hi[k], p[k]);
        }
        set.maxRadius = std::max(set.maxRadius, r);
        bool given = index < bondsGiven.size() && bondsGiven[index];
        const char altloc = alternateLocations           ? (*alternateLocations)[index]
                            : mol.ResidueInColumns(index) ? columns.alternateLocations[index]
                                                          : GetAtomResidue(*atom).alternateLocation;
        set.points.push_back({p[0], p[1], p[2], r, index, altloc, given, z == 1});
    }
    return set;
}

// The points sorted by cell, and the cells as ranges of them.
struct CellList {
    std::vector<Point> points;
    std::vector<uint64_t> keys;  // of each point
    std::vector<Cell> cells;
    float cellSize = 0.0f;
    CellGrid grid;
};

float CellSizeOf(const PointSet& set) { return 2.0f * set.maxRadius + kBondTolerance; }

CellGrid GridOf(const PointSet& set) {
    const float cellSize = CellSizeOf(set);
    float extent = std::max({set.hi[0] - set.lo[0], set.hi[1] - set.lo[1], set.hi[2] - set.lo[2]});
    return CellGrid(set.lo, cellSize, uint32_t(extent / cellSize) + 1);
}

CellList ArrangeInCells(const PointSet& set) {
    CellList list{{}, {}, {}, CellSizeOf(set), GridOf(set)};
    list.points = SortByCell(set.points, list.grid, list.keys);
    for (uint32_t i = 0; i < list.points.size(); ++i) {
        if (list.cells.empty() || list.cells.back().key != list.keys[i]) list.cells.push_back({list.keys[i], i, i});
        list.cells.back().end = i + 1;
    }
    return list;
}

bool Crowded(const Cell& c) { return c.end - c.begin > kMaxAtomsPerCell; }

// Whether a cell holds more than kMaxAtomsPerCell points. Points are first
// counted by a hash of their cell, where cells that share a count only add
// up: when no count passes the limit, no cell does, and the cells need not
// be sorted.
bool AnyCrowdedCell(const PointSet& set) {
    if (set.points.size() <= kMaxAtomsPerCell) return false;
    const CellGrid grid = GridOf(set);
    std::vector<uint32_t> counts(size_t(1) << 16, 0);
    bool over = false;
    for (const Point& p : set.points)
        if (++counts[(grid.Key(p) * 0x9e3779b97f4a7c15ULL) >> 48] > kMaxAtomsPerCell) {
            over = true;
            break;
        }
    if (!over) return false;
    const CellList list = ArrangeInCells(set);
    return std::any_of(list.cells.begin(), list.cells.end(), Crowded);
}

void WarnCrowded(float cellSize) {
    KaSystem::Warning("more than %u atoms crowd into one %.2f A cell; no bonds perceived among them",
                      kMaxAtomsPerCell, static_cast<double>(cellSize));
}

// PerceiveBonds, with the atoms' alternate locations from `alternateLocations`
// when given, and the crowding warning only when `warnCrowded`.
uint32_t Perceive(KaMolBase& mol, const std::vector<uint8_t>& bondsGiven,
                  const std::vector<char>* alternateLocations, bool warnCrowded) {
    const uint32_t limit = mol.IndexLimit();
    PointSet set = CollectPoints(mol, bondsGiven, alternateLocations);
    if (set.points.size() < 2) return 0;
    CellList list = ArrangeInCells(set);
    std::vector<Point>().swap(set.points);
    const std::vector<uint8_t>& hadBonds = set.hadBonds;
    const std::vector<Point>& points = list.points;
    const std::vector<Cell>& cells = list.cells;
    const CellGrid& grid = list.grid;

    const float minD2 = kMinBondDistance * kMinBondDistance;
    std::vector<Candidate> candidates;
    candidates.reserve(points.size() + points.size() / 4);
    bool anyHydrogen = false;
    auto consider = [&](const Point& a, const Point& b) {
        if (a.given && b.given) return;
        float dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
        float d2 = dx * dx + dy * dy + dz * dz;
        float cutoff = a.radius + b.radius + kBondTolerance;
        if (d2 >= cutoff * cutoff || d2 < minD2) return;
        if (a.altloc != ' ' && b.altloc != ' ' && a.altloc != b.altloc) return;
        bool hydrogen = a.hydrogen || b.hydrogen;
        anyHydrogen |= hydrogen;
        candidates.push_back({std::min(a.atom, b.atom), std::max(a.atom, b.atom), d2, hydrogen});
    };
    auto pairCells = [&](const Cell& c, const Cell& d) {
        for (uint32_t i = c.begin; i < c.end; ++i)
            for (uint32_t j = d.begin; j < d.end; ++j) consider(points[i], points[j]);
    };

    // Each cell meets itself and the 13 neighbours that follow it in key
    // order: z + 1 in its own column, then the three cells (z - 1 .. z + 1)
    // of the columns (x, y + 1), (x + 1, y - 1), (x + 1, y), (x + 1, y + 1).
    // Targets rise with the cell's key, so each column keeps a cursor that
    // only moves forward.
    const uint64_t columnOffset[4] = {grid.Offset(0, 1, -1), grid.Offset(1, -1, -1), grid.Offset(1, 0, -1),
                                      grid.Offset(1, 1, -1)};
    size_t cursor[4] = {0, 0, 0, 0};
    bool sawCrowded = false;
    for (size_t ci = 0; ci < cells.size(); ++ci) {
        const Cell& cell = cells[ci];
        if (Crowded(cell)) {
            sawCrowded = true;
            continue;
        }
        for (uint32_t i = cell.begin; i < cell.end; ++i)
            for (uint32_t j = i + 1; j < cell.end; ++j) consider(points[i], points[j]);
        if (ci + 1 < cells.size() && cells[ci + 1].key == cell.key + 1 && !Crowded(cells[ci + 1]))
            pairCells(cell, cells[ci + 1]);
        for (int c = 0; c < 4; ++c) {
            const uint64_t first = cell.key + columnOffset[c], last = first + 2;
            size_t& k = cursor[c];
            while (k < cells.size() && cells[k].key < first) ++k;
            for (size_t m = k; m < cells.size() && cells[m].key <= last; ++m)
                if (!Crowded(cells[m])) pairCells(cell, cells[m]);
        }
    }
    if (sawCrowded && warnCrowded) WarnCrowded(list.cellSize);

    // A hydrogen keeps only its nearest partner (ties to the lower index).
    constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> nearest;
    if (anyHydrogen) {
        nearest.assign(limit, kNone);
        std::vector<float> nearestD2(limit, 0.0f);
        auto offer = [&](uint32_t h, uint32_t partner, float d2) {
            if (nearest[h] == kNone || d2 < nearestD2[h] || (d2 == nearestD2[h] && partner < nearest[h])) {
                nearest[h] = partner;
                nearestD2[h] = d2;
            }
        };
        for (const Candidate& c : candidates) {
            if (!c.hydrogen) continue;
            if (mol.GetAtom(c.low)->GetAtomicNum() == 1) offer(c.low, c.high, c.d2);
            if (mol.GetAtom(c.high)->GetAtomicNum() == 1) offer(c.high, c.low, c.d2);
        }
    }

    // The cell lists are done with: their memory goes before the bonds are made.
    std::vector<Point>().swap(list.points);
    std::vector<uint64_t>().swap(list.keys);
    std::vector<Cell>().swap(list.cells);
    // Bonds are made in atom order, whatever order the cells gave.
    SortByAtoms(candidates, limit);
    std::vector<std::array<uint32_t, 2>> pairs;
    pairs.reserve(candidates.size());
    for (const Candidate& c : candidates) {
        if (c.hydrogen && ((nearest[c.low] != kNone && nearest[c.low] != c.high) ||
                           (nearest[c.high] != kNone && nearest[c.high] != c.low)))
            continue;
        // Only bonds the file gave can be there already.
        if (hadBonds[c.low] && hadBonds[c.high] && AreBonded(*mol.GetAtom(c.low), *mol.GetAtom(c.high))) continue;
        pairs.push_back({c.low, c.high});
    }
    std::vector<Candidate>().swap(candidates);
    return mol.AddBonds(pairs);
}

}  // namespace

uint32_t PerceiveBonds(KaMolBase& mol, const std::vector<uint8_t>& bondsGiven) {
    return Perceive(mol, bondsGiven, nullptr, true);
}

void DeferBondPerception(KaMolBase& mol, std::vector<uint8_t> bondsGiven) {
    // The crowding warning comes now, as it would from PerceiveBonds; the
    // alternate locations are kept as they are now.
    std::vector<char> alternateLocations(mol.IndexLimit(), ' ');
    {
        PointSet set = CollectPoints(mol, bondsGiven, nullptr);
        if (set.points.size() >= 2 && AnyCrowdedCell(set)) WarnCrowded(CellSizeOf(set));
        for (const Point& p : set.points) alternateLocations[p.atom] = p.altloc;
    }
    mol.DeferBonds([given = std::move(bondsGiven), alternateLocations = std::move(alternateLocations)](
                       KaMolBase& target) { Perceive(target, given, &alternateLocations, false); });
}

}  // namespace Kamol
