#include "selection/periodic_mask.h"

#include <algorithm>
#include <array>
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
        for (int d = 0; d < 3; ++d) inverseDiagonal[d] = 1.0 / v[d][d];
        // Distance between the two faces crossed by each axis: the volume
        // over the area of the face the other two vectors span.
        const double volume = v[0][0] * v[1][1] * v[2][2];
        width[0] = volume / Norm(Cross(v[1], v[2]));
        width[1] = volume / Norm(Cross(v[0], v[2]));
        width[2] = volume / Norm(Cross(v[0], v[1]));
    }

    // Fractional coordinates of a point (the matrix is lower triangular).
    void Fractional(const float* p, double* s) const {
        s[2] = p[2] * inverseDiagonal[2];
        s[1] = (p[1] - s[2] * v[2][1]) * inverseDiagonal[1];
        s[0] = (p[0] - s[1] * v[1][0] - s[2] * v[2][0]) * inverseDiagonal[0];
    }

    // p + n0 a + n1 b + n2 c, rounded to float.
    void Translate(const float* p, const double* n, float* out) const {
        for (int d = 0; d < 3; ++d) out[d] = float(p[d] + n[0] * v[0][d] + n[1] * v[1][d] + n[2] * v[2][d]);
    }

    // The point moved into the box by whole box vectors, and its fractional
    // coordinates there. A point already in it (every fractional coordinate
    // in [0, 1)) keeps its coordinates bit for bit.
    void Wrap(const float* p, float* out, double* s) const {
        Fractional(p, s);
        if (s[0] >= 0.0 && s[0] < 1.0 && s[1] >= 0.0 && s[1] < 1.0 && s[2] >= 0.0 && s[2] < 1.0) {
            std::copy_n(p, 3, out);
            return;
        }
        double n[3];
        for (int d = 0; d < 3; ++d) {
            n[d] = -std::floor(s[d]);
            s[d] += n[d];
        }
        Translate(p, n, out);
    }

    static std::array<double, 3> Cross(const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    }
    static double Norm(const std::array<double, 3>& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }

    Kamol::CellVectors v;
    double inverseDiagonal[3];
    double width[3];
};

// Slack, in box lengths, by which wrapped points may lie outside the box
// after rounding to float; images are kept that generously.
constexpr double kFractionalSlack = 1e-4;

// The images of the sources that can lie within `radius` of a point of the
// box: along each axis, those whose fractional coordinate is within the
// radius (in that axis's face distance) of [0, 1]. Most sources lie further
// than that from every face and have one image, themselves in the box.
SourcePoints SourceImages(const Box& box, const SourcePoints& sources, float radius) {
    double reach[3];
    for (int d = 0; d < 3; ++d) reach[d] = std::fabs(double(radius)) / box.width[d] + kFractionalSlack;
    SourcePoints images;
    size_t count = 0;
    auto add = [&](const float* xyz, uint32_t atom) {
        if (count == images.atoms.size()) {
            const size_t room = std::max<size_t>(64, count + count / 2);
            images.atoms.resize(room);
            images.xyz.resize(3 * room);
        }
        std::copy_n(xyz, 3, &images.xyz[3 * count]);
        images.atoms[count++] = atom;
    };
    images.atoms.resize(sources.atoms.size() + sources.atoms.size() / 8);
    images.xyz.resize(3 * images.atoms.size());
    for (size_t i = 0; i < sources.atoms.size(); ++i) {
        float wrapped[3];
        double s[3];
        box.Wrap(&sources.xyz[3 * i], wrapped, s);
        const uint32_t atom = sources.atoms[i];
        add(wrapped, atom);
        if (s[0] >= reach[0] && s[0] <= 1.0 - reach[0] && s[1] >= reach[1] && s[1] <= 1.0 - reach[1] &&
            s[2] >= reach[2] && s[2] <= 1.0 - reach[2])
            continue;
        double first[3], last[3];
        for (int d = 0; d < 3; ++d) {
            first[d] = std::ceil(-reach[d] - s[d]);
            last[d] = std::floor(1.0 + reach[d] - s[d]);
        }
        double n[3];
        for (n[2] = first[2]; n[2] <= last[2]; ++n[2])
            for (n[1] = first[1]; n[1] <= last[1]; ++n[1])
                for (n[0] = first[0]; n[0] <= last[0]; ++n[0]) {
                    if (n[0] == 0.0 && n[1] == 0.0 && n[2] == 0.0) continue;  // the wrapped source itself
                    float moved[3];
                    box.Translate(wrapped, n, moved);
                    add(moved, atom);
                }
    }
    images.atoms.resize(count);
    images.xyz.resize(3 * count);
    return images;
}

// Each atom not marked yet, brought into the box, asks a grid of the images
// around it. With few images, near-cell marks turn most atoms away at one
// lookup; with images as many as the atoms every cell is near one anyway,
// and a grid as coarse as the atom grid is cheaper to build.
void MarkByImageGrid(const Box& box, const Kamol::KaMolBase& molecule, const SourcePoints& images, float radius,
                     bool fewImages, AtomMask& mask) {
    const size_t atoms = molecule.Columns().live.size();
    BucketGrid grid(images.xyz.data(), images.atoms.data(), images.atoms.size(), CellFor(radius),
                    std::max<size_t>(4096, fewImages ? 4 * images.atoms.size() + atoms : 2 * images.atoms.size()));
    if (fewImages) grid.MarkNearCells();
    MarkAtomsNearGrid(molecule, grid, radius, mask, [&](float* p) {
        if (!IsFinitePoint(p)) return false;
        double fractional[3];
        box.Wrap(p, p, fractional);
        return true;
    });
}

// Each image asks a grid of all atoms, brought into the box, around it:
// cheaper than the other way round when the images are fewer than the
// atoms but too many for near-cell marks to turn atoms away.
void MarkByWrappedAtoms(const Box& box, const Kamol::KaMolBase& molecule, const SourcePoints& images, float radius,
                        AtomMask& mask) {
    const float squaredRadius = radius * radius;
    SourcePoints atoms;
    atoms.xyz.resize(3 * molecule.Columns().live.size());
    atoms.atoms.resize(molecule.Columns().live.size());
    size_t count = 0;
    const std::vector<float>& coords = molecule.CoordTable();
    for (uint32_t index : molecule.Columns().live) {
        float* p = &atoms.xyz[3 * count];
        Kamol::ReadCoords(coords, index, p);
        if (!IsFinitePoint(p)) continue;
        double fractional[3];
        box.Wrap(p, p, fractional);
        atoms.atoms[count++] = index;
    }
    const BucketGrid grid(atoms.xyz.data(), atoms.atoms.data(), count, CellFor(radius), std::max<size_t>(4096, 2 * count));
    for (size_t i = 0; i < images.atoms.size(); ++i) {
        const float* p = &images.xyz[3 * i];
        grid.VisitNeighbourhood(p, radius, [&](const float* q, uint32_t atom) {
            if (!mask.Test(atom) && SquaredDistance(p, q) < squaredRadius) mask.Set(atom);
            return false;
        });
    }
}

}  // namespace

void MarkWithinPeriodic(const Kamol::KaMolBase& molecule, const Kamol::UnitCell& cell, const SourcePoints& sources,
                        float radius, AtomMask& mask, PeriodicPath path) {
    const float squaredRadius = radius * radius;
    if (sources.atoms.empty() || !(squaredRadius > 0.0f)) return;
    const std::vector<uint32_t>& live = molecule.Columns().live;
    // No two points of a box are further apart than half its three edges
    // together (the fractional difference of their nearest images is at most
    // one half along each axis). Beyond that, with room for rounding, every
    // atom is within, and no image need be made.
    if (std::fabs(double(radius)) > 0.5 * (cell.a + cell.b + cell.c) * (1.0 + 1e-6)) {
        const std::vector<float>& coords = molecule.CoordTable();
        for (uint32_t index : live) {
            float p[3];
            Kamol::ReadCoords(coords, index, p);
            if (IsFinitePoint(p)) mask.Set(index);
        }
        return;
    }
    const Box box(cell);
    const SourcePoints images = SourceImages(box, sources, radius);
    // A source is at distance 0 from itself.
    for (uint32_t index : sources.atoms) mask.Set(index);
    // The same choice of path as without a box (see ComputeSpatialMask and
    // MarkWithinByAtoms), by the number of images.
    if (path == PeriodicPath::Auto)
        path = images.atoms.size() * 64 < live.size()  ? PeriodicPath::ImageGridNearCells
               : images.atoms.size() * 2 <= live.size() ? PeriodicPath::WrappedAtomGrid
                                                        : PeriodicPath::ImageGrid;
    if (path == PeriodicPath::WrappedAtomGrid)
        MarkByWrappedAtoms(box, molecule, images, radius, mask);
    else
        MarkByImageGrid(box, molecule, images, radius, path == PeriodicPath::ImageGridNearCells, mask);
}

}  // namespace KaSel
