#include "molecule/perceive_bonds.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "molecule/elements.h"
#include "system/message.h"

namespace Kamol {

namespace {

// No real structure packs this many atoms into one cell (a few Angstrom on a
// side); such a cell comes from broken coordinates and would make the pair
// search quadratic.
constexpr uint32_t kMaxAtomsPerCell = 512;
// Coordinates beyond this are not from a real structure; they are left out
// so that cell indices stay within 32 bits.
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

struct GridItem {
    int32_t cx, cy, cz;
    uint32_t atom;
};

struct Cell {
    int32_t cx, cy, cz;
    uint32_t begin, end;  // range in the sorted item list
};

struct Candidate {
    uint32_t a, b;  // a < b
    float d2;
};

}  // namespace

bool AreBonded(const KaAtomBase& a, const KaAtomBase& b) {
    const KaAtomBase& shorter = a.Bonds().size() <= b.Bonds().size() ? a : b;
    const KaAtomBase& other = &shorter == &a ? b : a;
    for (const KaBondBase* bond : shorter.Bonds())
        if (bond->GetNeighbour(shorter) == &other) return true;
    return false;
}

uint32_t PerceiveBonds(KaMolBase& mol, const std::vector<uint8_t>& bondsGiven) {
    const KaAtomColumns& columns = mol.Columns();
    const std::vector<float>& coords = mol.CoordTable();
    const size_t limit = mol.IndexLimit();

    std::vector<GridItem> items;
    items.reserve(columns.live.size());
    std::vector<float> radius(limit, 0.0f);
    float maxRadius = 0.0f;
    float lo[3] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                   std::numeric_limits<float>::max()};
    for (uint32_t index : columns.live) {
        uint32_t z = columns.atomicNums[index];
        float r = GetCovalentRadius(z);
        if (r <= 0.0f || IsMetal(z)) continue;
        // A hydrogen bonded by the file keeps exactly that bond.
        if (z == 1 && !columns.atoms[index]->Bonds().empty()) continue;
        const float* p = &coords[size_t(index) * 3];
        bool usable = true;
        for (int k = 0; k < 3; ++k)
            if (!(std::fabs(p[k]) <= kMaxCoordinate)) usable = false;  // also rejects NaN
        if (!usable) continue;
        for (int k = 0; k < 3; ++k) lo[k] = std::min(lo[k], p[k]);
        radius[index] = r;
        maxRadius = std::max(maxRadius, r);
        items.push_back({0, 0, 0, index});
    }
    if (items.size() < 2) return 0;

    const float cellSize = 2.0f * maxRadius + kBondTolerance;
    for (GridItem& item : items) {
        const float* p = &coords[size_t(item.atom) * 3];
        item.cx = static_cast<int32_t>((p[0] - lo[0]) / cellSize);
        item.cy = static_cast<int32_t>((p[1] - lo[1]) / cellSize);
        item.cz = static_cast<int32_t>((p[2] - lo[2]) / cellSize);
    }
    auto key = [](const auto& c) { return std::tie(c.cx, c.cy, c.cz); };
    std::sort(items.begin(), items.end(), [&](const GridItem& x, const GridItem& y) {
        return std::tie(x.cx, x.cy, x.cz, x.atom) < std::tie(y.cx, y.cy, y.cz, y.atom);
    });
    std::vector<Cell> cells;
    for (uint32_t i = 0; i < items.size(); ++i) {
        if (cells.empty() || key(cells.back()) != key(items[i]))
            cells.push_back({items[i].cx, items[i].cy, items[i].cz, i, i});
        cells.back().end = i + 1;
    }

    const bool haveGiven = !bondsGiven.empty();
    const float minD2 = kMinBondDistance * kMinBondDistance;
    const std::vector<const KaResidue*>& residues = columns.residues;
    std::vector<Candidate> candidates;
    auto consider = [&](uint32_t a, uint32_t b) {
        if (haveGiven && a < bondsGiven.size() && b < bondsGiven.size() && bondsGiven[a] && bondsGiven[b])
            return;
        const float* p = &coords[size_t(a) * 3];
        const float* q = &coords[size_t(b) * 3];
        float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
        float d2 = dx * dx + dy * dy + dz * dz;
        float cutoff = radius[a] + radius[b] + kBondTolerance;
        if (d2 >= cutoff * cutoff || d2 < minD2) return;
        char altA = residues[a]->alternateLocation, altB = residues[b]->alternateLocation;
        if (altA != ' ' && altB != ' ' && altA != altB) return;
        candidates.push_back({std::min(a, b), std::max(a, b), d2});
    };

    // Each cell meets itself and the 13 neighbours that follow it in
    // (x, y, z) order, so every neighbouring pair of cells is visited once.
    static const int kForward[13][3] = {{0, 0, 1},  {0, 1, -1}, {0, 1, 0},  {0, 1, 1},   {1, -1, -1},
                                        {1, -1, 0}, {1, -1, 1}, {1, 0, -1}, {1, 0, 0},   {1, 0, 1},
                                        {1, 1, -1}, {1, 1, 0},  {1, 1, 1}};
    bool crowded = false;
    for (const Cell& cell : cells) {
        if (cell.end - cell.begin > kMaxAtomsPerCell) {
            crowded = true;
            continue;
        }
        for (uint32_t i = cell.begin; i < cell.end; ++i)
            for (uint32_t j = i + 1; j < cell.end; ++j) consider(items[i].atom, items[j].atom);
        for (const auto& d : kForward) {
            Cell probe{cell.cx + d[0], cell.cy + d[1], cell.cz + d[2], 0, 0};
            auto it = std::lower_bound(cells.begin(), cells.end(), probe,
                                       [&](const Cell& x, const Cell& y) { return key(x) < key(y); });
            if (it == cells.end() || key(*it) != key(probe)) continue;
            if (it->end - it->begin > kMaxAtomsPerCell) continue;
            for (uint32_t i = cell.begin; i < cell.end; ++i)
                for (uint32_t j = it->begin; j < it->end; ++j) consider(items[i].atom, items[j].atom);
        }
    }
    if (crowded)
        KaSystem::Warning("more than %u atoms crowd into one %.2f A cell; no bonds perceived among them",
                          kMaxAtomsPerCell, static_cast<double>(cellSize));

    // A hydrogen keeps only its nearest partner (ties to the lower index).
    const std::vector<uint32_t>& elements = columns.atomicNums;
    constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> nearest;
    auto closer = [&](uint32_t h, uint32_t partner, float d2) {
        uint32_t best = nearest[h];
        if (best == kNone) return true;
        const float* p = &coords[size_t(h) * 3];
        const float* q = &coords[size_t(best) * 3];
        float dx = p[0] - q[0], dy = p[1] - q[1], dz = p[2] - q[2];
        float bestD2 = dx * dx + dy * dy + dz * dz;
        return d2 < bestD2 || (d2 == bestD2 && partner < best);
    };
    for (const Candidate& c : candidates) {
        if (elements[c.a] != 1 && elements[c.b] != 1) continue;
        if (nearest.empty()) nearest.assign(limit, kNone);
        if (elements[c.a] == 1 && closer(c.a, c.b, c.d2)) nearest[c.a] = c.b;
        if (elements[c.b] == 1 && closer(c.b, c.a, c.d2)) nearest[c.b] = c.a;
    }

    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& x, const Candidate& y) { return std::tie(x.a, x.b) < std::tie(y.a, y.b); });
    uint32_t added = 0;
    for (const Candidate& c : candidates) {
        if (elements[c.a] == 1 && nearest[c.a] != c.b) continue;
        if (elements[c.b] == 1 && nearest[c.b] != c.a) continue;
        KaAtomBase* a = mol.GetAtom(c.a);
        KaAtomBase* b = mol.GetAtom(c.b);
        if (AreBonded(*a, *b)) continue;
        if (mol.NewBond(*a, *b)) ++added;
    }
    return added;
}

}  // namespace Kamol
