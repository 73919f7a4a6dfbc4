// The KD-tree over a molecule's atom coordinates.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Kamol {
class KaAtomBase;
class KaMolBase;
}  // namespace Kamol

namespace KaSel {

// Whether all three coordinates are finite; other points are never within any distance.
inline bool IsFinitePoint(const float* xyz) {
    return std::isfinite(xyz[0]) && std::isfinite(xyz[1]) && std::isfinite(xyz[2]);
}

// The molecule's atoms as single-precision points and a nanoflann KD-tree
// over them (squared Euclidean distance in float, leaf size 10). It is also
// the data-set adaptor the tree reads its points from, so it never moves.
//
// Atoms with a non-finite coordinate are left out: their squared distance to
// anything is infinite or NaN, so they are never within any distance.
struct MoleculePointCloud {
    MoleculePointCloud();
    ~MoleculePointCloud();
    MoleculePointCloud(const MoleculePointCloud&) = delete;
    MoleculePointCloud& operator=(const MoleculePointCloud&) = delete;

    std::vector<float> points;          // x, y, z of point i at 3i, 3i+1, 3i+2
    std::vector<uint32_t> atomIndices;  // atom index of point i
    struct Index;
    std::unique_ptr<Index> index;       // null when there are no points

    // The data-set adaptor interface nanoflann reads.
    size_t kdtree_get_point_count() const { return atomIndices.size(); }
    float kdtree_get_pt(size_t i, size_t d) const { return points[3 * i + d]; }
    template <class BoundingBox>
    bool kdtree_get_bbox(BoundingBox&) const {
        return false;
    }
};

// The cloud of all live atoms of `molecule` in storage order, with its tree
// built on the calling thread.
std::unique_ptr<MoleculePointCloud> BuildPointCloud(const Kamol::KaMolBase& molecule);

// Squared distance as the tree decides it: ((0 + dx²) + dy²) + dz² in float.
inline float SquaredDistance(const float* a, const float* b) {
    float dx = a[0] - b[0];
    float dy = a[1] - b[1];
    float dz = a[2] - b[2];
    float sum = 0.0f;
    sum += dx * dx;
    sum += dy * dy;
    sum += dz * dz;
    return sum;
}

// Appends to `hits`, nearest first, the atom indices of the points whose
// squared distance from `query` is strictly below radius * radius (in float).
void FindPointsWithin(const MoleculePointCloud& cloud, const float query[3], float radius,
                      std::vector<uint32_t>& hits);

// The atoms within `radius` of `atom`'s position in its own molecule, nearest first.
std::vector<uint32_t> FindAtomsWithin(const MoleculePointCloud& cloud, const Kamol::KaAtomBase& atom,
                                      float radius);

// The molecule's tree for its current coordinates, kept with the molecule
// and built when missing or out of date.
std::shared_ptr<const MoleculePointCloud> SharedPointCloud(const Kamol::KaMolBase& molecule);

}  // namespace KaSel
