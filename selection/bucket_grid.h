// Points bucketed by the cells of a regular grid over their bounding box, for
// the distance masks: any two points closer than the cell width lie in the
// same or in neighbouring cells.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "molecule/molecule.h"
#include "selection/atom_mask.h"
#include "selection/spatial_index.h"

namespace KaSel {

// Cell width for a radius: slightly above its magnitude, so that rounding in
// the float distance and in the cell arithmetic can never put a pair that
// the float test accepts more than one cell apart.
inline double CellFor(float radius) { return std::fabs(double(radius)) * (1.0 + 1.0 / 1024.0); }

class BucketGrid {
public:
    // `xyz` holds `count` finite points; `ids` names them. The cells are as
    // wide as `cell`, or wider when more than `cellBudget` cells would be needed.
    BucketGrid(const float* xyz, const uint32_t* ids, size_t count, double cell, size_t cellBudget) {
        for (int d = 0; d < 3; ++d) low_[d] = high_[d] = count ? xyz[d] : 0.0;
        for (size_t i = 0; i < count; ++i)
            for (int d = 0; d < 3; ++d) {
                low_[d] = std::min(low_[d], double(xyz[3 * i + d]));
                high_[d] = std::max(high_[d], double(xyz[3 * i + d]));
            }
        if (!(cell > 0.0)) cell = 1.0;  // a zero radius holds nothing; any width will do
        for (;;) {
            double cells = 1.0;
            for (int d = 0; d < 3; ++d) {
                dims_[d] = std::isfinite(cell) ? std::floor((high_[d] - low_[d]) / cell) + 1.0 : 1.0;
                cells *= dims_[d];
            }
            if (cells <= double(cellBudget)) break;
            cell *= 2.0;
            widened_ = true;
        }
        cell_ = cell;
        inverse_ = std::isfinite(cell) ? 1.0 / cell : 0.0;
        n_[0] = int64_t(dims_[0]);
        n_[1] = int64_t(dims_[1]);
        n_[2] = int64_t(dims_[2]);

        // Counting sort of the points by cell.
        start_.assign(size_t(n_[0] * n_[1] * n_[2]) + 1, 0);
        std::vector<uint32_t> cellOf(count);
        for (size_t i = 0; i < count; ++i) {
            int64_t c[3];
            for (int d = 0; d < 3; ++d)
                c[d] = std::clamp<int64_t>(int64_t(std::floor(Scaled(xyz[3 * i + d], d))), 0, n_[d] - 1);
            cellOf[i] = uint32_t(CellIndex(c));
            ++start_[cellOf[i] + 1];
        }
        for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
        points_.resize(3 * count);
        ids_.resize(count);
        std::vector<uint32_t> cursor(start_.begin(), start_.end() - 1);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t at = cursor[cellOf[i]]++;
            std::copy_n(&xyz[3 * i], 3, &points_[3 * size_t(at)]);
            ids_[at] = ids[i];
        }
    }

    double Cell() const { return cell_; }
    // Whether the cells were widened to keep within the budget.
    bool Widened() const { return widened_; }

    // Marks the cells that have a point in their 3x3x3 neighbourhood, so that
    // NearAny can turn most far queries away with one lookup.
    void MarkNearCells() {
        near_.assign(start_.size() - 1, 0);
        int64_t c[3];
        for (c[2] = 0; c[2] < n_[2]; ++c[2])
            for (c[1] = 0; c[1] < n_[1]; ++c[1])
                for (c[0] = 0; c[0] < n_[0]; ++c[0]) {
                    const size_t own = CellIndex(c);
                    if (start_[own] == start_[own + 1]) continue;
                    ForNeighbourCells(c, [&](size_t cell) {
                        near_[cell] = 1;
                        return false;
                    });
                }
    }

    // Calls `visit(point, id)` for every point, cell by cell in memory order,
    // so that points met one after another lie close together.
    template <class Visit>
    void ForEachPoint(Visit&& visit) const {
        for (size_t i = 0; i < ids_.size(); ++i) visit(&points_[3 * i], ids_[i]);
    }

    // Calls `visit(point, id)` for the points of the cells that can hold a
    // point within `radius` of `p` (the cell of `p` first), until it returns
    // true; returns whether it did. Those are the cells of the 3x3x3 block
    // around `p` that the box of half-width `radius` (with room for the
    // float test's rounding) around `p` meets: all 27 when the cells fit the
    // radius, fewer when they are wider.
    template <class Visit>
    bool VisitNeighbourhood(const float* p, float radius, Visit&& visit) const {
        const double reach = std::min(1.0, std::fabs(double(radius)) * (1.0 + 1e-5) * inverse_);
        int64_t c[3], first[3], last[3];
        for (int d = 0; d < 3; ++d) {
            const double f = Scaled(p[d], d);
            if (!(f >= -1.0 && f < dims_[d] + 1.0)) return false;  // no cell of the grid is near (or p is not finite)
            c[d] = int64_t(std::floor(f));
            first[d] = std::max<int64_t>(int64_t(std::floor(f - reach)), 0);
            last[d] = std::min<int64_t>(int64_t(std::floor(f + reach)), n_[d] - 1);
        }
        size_t own = SIZE_MAX;
        if (c[0] >= 0 && c[0] < n_[0] && c[1] >= 0 && c[1] < n_[1] && c[2] >= 0 && c[2] < n_[2]) {
            own = CellIndex(c);
            if (!near_.empty() && !near_[own]) return false;
            if (VisitCell(own, visit)) return true;
        }
        int64_t at[3];
        for (at[2] = first[2]; at[2] <= last[2]; ++at[2])
            for (at[1] = first[1]; at[1] <= last[1]; ++at[1])
                for (at[0] = first[0]; at[0] <= last[0]; ++at[0]) {
                    const size_t cell = CellIndex(at);
                    if (cell != own && VisitCell(cell, visit)) return true;
                }
        return false;
    }

private:
    double Scaled(float value, int d) const { return (double(value) - low_[d]) * inverse_; }
    size_t CellIndex(const int64_t* c) const { return size_t((c[2] * n_[1] + c[1]) * n_[0] + c[0]); }

    // Calls `visit(cell)` for the cells of the 3x3x3 block around `c` that lie
    // in the grid, until it returns true.
    template <class Visit>
    bool ForNeighbourCells(const int64_t* c, Visit&& visit) const {
        int64_t at[3];
        for (at[2] = std::max<int64_t>(c[2] - 1, 0); at[2] <= std::min(c[2] + 1, n_[2] - 1); ++at[2])
            for (at[1] = std::max<int64_t>(c[1] - 1, 0); at[1] <= std::min(c[1] + 1, n_[1] - 1); ++at[1])
                for (at[0] = std::max<int64_t>(c[0] - 1, 0); at[0] <= std::min(c[0] + 1, n_[0] - 1); ++at[0])
                    if (visit(CellIndex(at))) return true;
        return false;
    }

    template <class Visit>
    bool VisitCell(size_t cell, Visit& visit) const {
        for (uint32_t i = start_[cell]; i < start_[cell + 1]; ++i)
            if (visit(&points_[3 * size_t(i)], ids_[i])) return true;
        return false;
    }

    double low_[3], high_[3], dims_[3];
    double cell_ = 0.0, inverse_ = 0.0;
    bool widened_ = false;
    int64_t n_[3];
    std::vector<uint32_t> start_;
    std::vector<float> points_;
    std::vector<uint32_t> ids_;
    std::vector<uint8_t> near_;
};

// Sets the mask entry of every live atom, not set yet, whose squared
// distance from some point of `grid` is strictly below radius * radius (the
// float test). `place(p)` sees each atom's position first: it may move it
// (into a periodic box) and returns false for an atom that is within
// nothing. Entries beyond the mask's size are skipped.
template <class Place>
void MarkAtomsNearGrid(const Kamol::KaMolBase& molecule, const BucketGrid& grid, float radius, AtomMask& mask,
                       Place&& place) {
    const float squaredRadius = radius * radius;
    const uint32_t limit = mask.Size();
    const std::vector<float>& coords = molecule.CoordTable();
    for (uint32_t index : molecule.Columns().live) {
        if (index >= limit) break;  // ascending: no later atom fits the mask
        if (mask.Test(index)) continue;
        float p[3];
        Kamol::ReadCoords(coords, index, p);
        if (place(p) &&
            grid.VisitNeighbourhood(p, radius, [&](const float* q, uint32_t) { return SquaredDistance(p, q) < squaredRadius; }))
            mask.Set(index);
    }
}

}  // namespace KaSel
