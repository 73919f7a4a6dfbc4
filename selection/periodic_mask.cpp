#include "selection/periodic_mask.h"

#include <cmath>

#include "molecule/molecule.h"
#include "selection/bucket_grid.h"
#include "selection/molecule_cache.h"
#include "selection/spatial_index.h"

namespace KaSel {

namespace {

// The box as the lower-triangular matrix of its vectors, with what moving
// between Cartesian and fractional coordinates needs.
struct Box {
    explicit Box(const Kamol::UnitCell& cell) : v(Kamol::BoxVectors(cell)) {
        // Distance between the two faces crossed by each axis: the volume
        // over the area of the face the other two vectors span.
        const double volume = v[0][0] * v[1][1] * v[2][2];
        width[0] = volume / Norm(Cross(v[1], v[2]));
        width[1] = volume / Norm(Cross(v[0], v[2]));
        width[2] = volume / Norm(Cross(v[0], v[1]));
    }

    // Fractional coordinates of a point (the matrix is lower triangular).
    void Fractional(const double* p, double* s) const {
        s[2] = p[2] / v[2][2];
        s[1] = (p[1] - s[2] * v[2][1]) / v[1][1];
        s[0] = (p[0] - s[1] * v[1][0] - s[2] * v[2][0]) / v[0][0];
    }

    // p + n0 a + n1 b + n2 c.
    void Translate(const double* p, const double* n, double* out) const {
        for (int d = 0; d < 3; ++d) out[d] = p[d] + n[0] * v[0][d] + n[1] * v[1][d] + n[2] * v[2][d];
    }

    // The point moved into the box by whole box vectors; a point already in
    // it (every fractional coordinate in [0, 1)) comes back unchanged.
    void Wrap(const float* p, float* out) const {
        const double at[3] = {p[0], p[1], p[2]};
        double s[3];
        Fractional(at, s);
        double n[3];
        for (int d = 0; d < 3; ++d) n[d] = -std::floor(s[d]);
        if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) {
            std::copy_n(p, 3, out);
            return;
        }
        double moved[3];
        Translate(at, n, moved);
        for (int d = 0; d < 3; ++d) out[d] = float(moved[d]);
    }

    static std::array<double, 3> Cross(const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    }
    static double Norm(const std::array<double, 3>& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

    Kamol::CellVectors v;
    double width[3];
};

// Slack, in box lengths, by which wrapped points may lie outside the box
// after rounding to float; images are kept that generously.
constexpr double kFractionalSlack = 1e-4;

// The images of the sources that can lie within `radius` of a point of the
// box: along each axis, those whose fractional coordinate is within the
// radius (in that axis's face distance) of [0, 1].
SourcePoints SourceImages(const Box& box, const SourcePoints& sources, float radius) {
    double reach[3];
    for (int d = 0; d < 3; ++d) reach[d] = std::fabs(double(radius)) / box.width[d] + kFractionalSlack;
    SourcePoints images;
    images.xyz.reserve(sources.xyz.size() + sources.xyz.size() / 4);
    images.atoms.reserve(sources.atoms.size() + sources.atoms.size() / 4);
    for (size_t i = 0; i < sources.atoms.size(); ++i) {
        float wrapped[3];
        box.Wrap(&sources.xyz[3 * i], wrapped);
        const double p[3] = {wrapped[0], wrapped[1], wrapped[2]};
        double s[3];
        box.Fractional(p, s);
        double first[3], last[3];
        for (int d = 0; d < 3; ++d) {
            first[d] = std::ceil(-reach[d] - s[d]);
            last[d] = std::floor(1.0 + reach[d] - s[d]);
        }
        double n[3];
        for (n[2] = first[2]; n[2] <= last[2]; ++n[2])
            for (n[1] = first[1]; n[1] <= last[1]; ++n[1])
                for (n[0] = first[0]; n[0] <= last[0]; ++n[0]) {
                    if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) {
                        images.xyz.insert(images.xyz.end(), wrapped, wrapped + 3);
                    } else {
                        double moved[3];
                        box.Translate(p, n, moved);
                        images.xyz.insert(images.xyz.end(), {float(moved[0]), float(moved[1]), float(moved[2])});
                    }
                    images.atoms.push_back(sources.atoms[i]);
                }
    }
    return images;
}

}  // namespace

void MarkWithinPeriodic(const Kamol::KaMolBase& molecule, const Kamol::UnitCell& cell, const SourcePoints& sources,
                        float radius, AtomMask& mask) {
    const float squaredRadius = radius * radius;
    if (sources.atoms.empty() || !(squaredRadius > 0.0f)) return;
    const Box box(cell);
    const std::vector<uint32_t>& live = molecule.Columns().live;
    const uint32_t limit = mask.Size();
    const std::vector<float>& coords = molecule.CoordTable();
    // No two points of a box are further apart than half its three edges
    // together (the fractional difference of their nearest images is at most
    // one half along each axis). Beyond that, with room for rounding, every
    // atom is within, and no image need be made.
    const double farthest = 0.5 * (cell.a + cell.b + cell.c);
    if (std::fabs(double(radius)) > farthest * (1.0 + 1e-6)) {
        for (uint32_t index : live) {
            if (index >= limit) break;
            float p[3];
            Kamol::ReadCoords(coords, index, p);
            if (IsFinitePoint(p)) mask.Set(index);
        }
        return;
    }
    const SourcePoints images = SourceImages(box, sources, radius);
    BucketGrid grid(images.xyz.data(), images.atoms.data(), images.atoms.size(), CellFor(radius),
                    std::max<size_t>(4096, 4 * images.atoms.size() + live.size()));
    grid.MarkNearCells();
    // A source is at distance 0 from itself.
    for (uint32_t index : sources.atoms) mask.Set(index);
    for (uint32_t index : live) {
        if (index >= limit) break;  // ascending: no later atom fits the mask
        if (mask.Test(index)) continue;
        float p[3];
        Kamol::ReadCoords(coords, index, p);
        if (!IsFinitePoint(p)) continue;
        box.Wrap(p, p);
        if (grid.VisitNeighbourhood(p, [&](const float* q, uint32_t) { return SquaredDistance(p, q) < squaredRadius; }))
            mask.Set(index);
    }
}

}  // namespace KaSel
