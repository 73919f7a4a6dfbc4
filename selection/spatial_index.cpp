#include "selection/spatial_index.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <nanoflann.hpp>

#include "molecule/molecule.h"
#include "selection/molecule_cache.h"

namespace KaSel {

namespace {

using Metric = nanoflann::L2_Simple_Adaptor<float, MoleculePointCloud, float, unsigned int>;
using KdTree = nanoflann::KDTreeSingleIndexAdaptor<Metric, MoleculePointCloud, 3, unsigned int>;

#if NANOFLANN_VERSION >= 0x150
using SearchOptions = nanoflann::SearchParameters;
nanoflann::KDTreeSingleIndexAdaptorParams TreeParams() {
    return nanoflann::KDTreeSingleIndexAdaptorParams(10, nanoflann::KDTreeSingleIndexAdaptorFlags::None, 1);
}
#else
using SearchOptions = nanoflann::SearchParams;
nanoflann::KDTreeSingleIndexAdaptorParams TreeParams() { return nanoflann::KDTreeSingleIndexAdaptorParams(10); }
#endif

// Collects the points strictly below the squared radius. The tree prunes its
// descent against a slightly larger bound, so that rounding in its running
// box distances can never drop a point the exact test accepts; the accepted
// set is then exactly the points passing the float test.
class ExactRadiusResult {
public:
    using DistanceType = float;
    using IndexType = unsigned int;

    ExactRadiusResult(float squaredRadius, std::vector<std::pair<float, unsigned int>>& hits)
        : squaredRadius_(squaredRadius),
          pruneBound_(squaredRadius * 1.001f + 1e-6f),
          hits_(hits) {}

    void init() {}
    void clear() { hits_.clear(); }
    size_t size() const { return hits_.size(); }
    bool empty() const { return hits_.empty(); }
    bool full() const { return true; }
    bool addPoint(float distance, unsigned int point) {
        if (distance < squaredRadius_) hits_.emplace_back(distance, point);
        return true;
    }
    float worstDist() const { return pruneBound_; }

private:
    float squaredRadius_;
    float pruneBound_;
    std::vector<std::pair<float, unsigned int>>& hits_;
};

// Sets the mask entry of every point strictly within the squared radius,
// pruning against a slightly larger bound as above.
class MaskingResult {
public:
    using DistanceType = float;
    using IndexType = unsigned int;

    MaskingResult(float squaredRadius, const std::vector<uint32_t>& atomIndices, AtomMask& mask)
        : squaredRadius_(squaredRadius), pruneBound_(squaredRadius * 1.001f + 1e-6f), atomIndices_(atomIndices), mask_(mask) {}

    void init() {}
    void clear() {}
    size_t size() const { return 0; }
    bool empty() const { return true; }
    bool full() const { return true; }
    bool addPoint(float distance, unsigned int point) {
        if (distance < squaredRadius_) mask_.Set(atomIndices_[point]);
        return true;
    }
    float worstDist() const { return pruneBound_; }

private:
    float squaredRadius_;
    float pruneBound_;
    const std::vector<uint32_t>& atomIndices_;
    AtomMask& mask_;
};

bool IsFinitePoint(const float* xyz) { return std::isfinite(xyz[0]) && std::isfinite(xyz[1]) && std::isfinite(xyz[2]); }

// Position of an atom index in the coordinate table; (0, 0, 0) beyond it.
void ReadPosition(const std::vector<float>& coords, uint32_t index, float xyz[3]) {
    size_t at = size_t(index) * 3;
    if (at + 2 < coords.size()) {
        xyz[0] = coords[at];
        xyz[1] = coords[at + 1];
        xyz[2] = coords[at + 2];
    } else {
        xyz[0] = xyz[1] = xyz[2] = 0.0f;
    }
}

}  // namespace

struct MoleculePointCloud::Index {
    explicit Index(const MoleculePointCloud& cloud) : tree(3, cloud, TreeParams()) {}
    KdTree tree;
};

MoleculePointCloud::MoleculePointCloud() = default;
MoleculePointCloud::~MoleculePointCloud() = default;

std::unique_ptr<MoleculePointCloud> BuildPointCloud(const Kamol::KaMolBase& molecule) {
    auto cloud = std::make_unique<MoleculePointCloud>();
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    const std::vector<float>& coords = molecule.CoordTable();
    cloud->points.reserve(columns.live.size() * 3);
    cloud->atomIndices.reserve(columns.live.size());
    for (uint32_t index : columns.live) {
        float xyz[3];
        ReadPosition(coords, index, xyz);
        if (!IsFinitePoint(xyz)) continue;
        cloud->points.insert(cloud->points.end(), xyz, xyz + 3);
        cloud->atomIndices.push_back(index);
    }
    if (!cloud->atomIndices.empty()) cloud->index = std::make_unique<MoleculePointCloud::Index>(*cloud);
    return cloud;
}

void FindPointsWithin(const MoleculePointCloud& cloud, const float query[3], float radius,
                      std::vector<uint32_t>& hits) {
    if (!cloud.index) return;
    std::vector<std::pair<float, unsigned int>> found;
    ExactRadiusResult result(radius * radius, found);
    cloud.index->tree.findNeighbors(result, query, SearchOptions());
    std::sort(found.begin(), found.end());
    for (const auto& [distance, point] : found) hits.push_back(cloud.atomIndices[point]);
}

std::vector<uint32_t> FindAtomsWithin(const MoleculePointCloud& cloud, const Kamol::KaAtomBase& atom,
                                      float radius) {
    std::vector<uint32_t> hits;
    float xyz[3];
    atom.GetOwner().GetCoords(atom, xyz);
    FindPointsWithin(cloud, xyz, radius, hits);
    return hits;
}

std::shared_ptr<const MoleculePointCloud> SharedPointCloud(const Kamol::KaMolBase& molecule) {
    MoleculeCache& cache = CacheOf(molecule);
    if (!cache.tree || cache.treeCoordsVersion != molecule.CoordsVersion()) {
        cache.tree = BuildPointCloud(molecule);
        cache.treeCoordsVersion = molecule.CoordsVersion();
    }
    return cache.tree;
}

// ---- distance masks ------------------------------------------------------------

SourcePoints GatherSourcePoints(const Kamol::KaMolBase& molecule, const std::vector<uint32_t>& atoms) {
    SourcePoints sources;
    sources.xyz.reserve(atoms.size() * 3);
    sources.atoms.reserve(atoms.size());
    const std::vector<float>& coords = molecule.CoordTable();
    for (uint32_t index : atoms) {
        float xyz[3];
        ReadPosition(coords, index, xyz);
        if (!IsFinitePoint(xyz)) continue;
        sources.xyz.insert(sources.xyz.end(), xyz, xyz + 3);
        sources.atoms.push_back(index);
    }
    return sources;
}

void MarkWithinByTree(const MoleculePointCloud& cloud, const SourcePoints& sources, float radius, AtomMask& mask) {
    if (!cloud.index) return;
    MaskingResult result(radius * radius, cloud.atomIndices, mask);
    for (size_t i = 0; i < sources.atoms.size(); ++i)
        cloud.index->tree.findNeighbors(result, &sources.xyz[3 * i], SearchOptions());
}

namespace {

// Sources bucketed by cell of a regular grid over their bounding box. Cells
// are a little wider than the radius, so that any atom within the radius of a
// source lies in the source's cell or one of its 26 neighbours.
class SourceGrid {
public:
    SourceGrid(const SourcePoints& sources, float radius) {
        const size_t count = sources.atoms.size();
        for (int d = 0; d < 3; ++d) {
            low_[d] = high_[d] = sources.xyz[d];
        }
        for (size_t i = 0; i < count; ++i)
            for (int d = 0; d < 3; ++d) {
                low_[d] = std::min(low_[d], double(sources.xyz[3 * i + d]));
                high_[d] = std::max(high_[d], double(sources.xyz[3 * i + d]));
            }
        // At most a few cells per source: a tiny radius over a wide box
        // widens the cells instead of making the grid huge.
        const double maxCells = std::max<double>(4096.0, 2.0 * double(count));
        cell_ = std::fabs(double(radius)) * (1.0 + 1.0 / 1024.0);
        for (;;) {
            double cells = 1.0;
            for (int d = 0; d < 3; ++d) {
                double extent = high_[d] - low_[d];
                double n = std::isfinite(cell_) ? std::floor(extent / cell_) + 1.0 : 1.0;
                dims_[d] = n;
                cells *= n;
            }
            if (cells <= maxCells) break;
            cell_ *= 2.0;
        }
        nx_ = int64_t(dims_[0]);
        ny_ = int64_t(dims_[1]);
        nz_ = int64_t(dims_[2]);
        start_.assign(size_t(nx_ * ny_ * nz_) + 1, 0);
        std::vector<uint32_t> cellOf(count);
        for (size_t i = 0; i < count; ++i) {
            int64_t c[3];
            for (int d = 0; d < 3; ++d) c[d] = ClampedCell(sources.xyz[3 * i + d], d);
            cellOf[i] = uint32_t((c[2] * ny_ + c[1]) * nx_ + c[0]);
            ++start_[cellOf[i] + 1];
        }
        for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
        points_.resize(3 * count);
        std::vector<uint32_t> cursor(start_.begin(), start_.end() - 1);
        for (size_t i = 0; i < count; ++i) {
            uint32_t at = cursor[cellOf[i]]++;
            std::copy_n(&sources.xyz[3 * i], 3, &points_[3 * at]);
        }
    }

    // Whether some source lies strictly within the squared radius of `p`.
    bool AnyWithin(const float* p, float squaredRadius) const {
        int64_t c[3];
        for (int d = 0; d < 3; ++d) {
            double f = std::isfinite(cell_) ? (double(p[d]) - low_[d]) / cell_ : 0.0;
            if (!(f >= -1.0 && f < dims_[d] + 1.0)) return false;
            c[d] = int64_t(std::floor(f));
        }
        if (c[0] >= 0 && c[0] < nx_ && c[1] >= 0 && c[1] < ny_ && c[2] >= 0 && c[2] < nz_ &&
            CellHas(c[0], c[1], c[2], p, squaredRadius))
            return true;
        for (int64_t z = std::max<int64_t>(c[2] - 1, 0); z <= std::min(c[2] + 1, nz_ - 1); ++z)
            for (int64_t y = std::max<int64_t>(c[1] - 1, 0); y <= std::min(c[1] + 1, ny_ - 1); ++y)
                for (int64_t x = std::max<int64_t>(c[0] - 1, 0); x <= std::min(c[0] + 1, nx_ - 1); ++x) {
                    if (x == c[0] && y == c[1] && z == c[2]) continue;
                    if (CellHas(x, y, z, p, squaredRadius)) return true;
                }
        return false;
    }

private:
    int64_t ClampedCell(float value, int d) const {
        if (!std::isfinite(cell_)) return 0;
        double f = std::floor((double(value) - low_[d]) / cell_);
        return std::clamp<int64_t>(int64_t(f), 0, int64_t(dims_[d]) - 1);
    }

    bool CellHas(int64_t x, int64_t y, int64_t z, const float* p, float squaredRadius) const {
        size_t c = size_t((z * ny_ + y) * nx_ + x);
        for (uint32_t i = start_[c]; i < start_[c + 1]; ++i)
            if (SquaredDistance(p, &points_[3 * size_t(i)]) < squaredRadius) return true;
        return false;
    }

    double low_[3], high_[3], dims_[3];
    double cell_;
    int64_t nx_, ny_, nz_;
    std::vector<uint32_t> start_;
    std::vector<float> points_;
};

}  // namespace

void MarkWithinByGrid(const Kamol::KaMolBase& molecule, const SourcePoints& sources, float radius, AtomMask& mask) {
    const float squaredRadius = radius * radius;
    if (sources.atoms.empty() || !(squaredRadius > 0.0f)) return;
    const uint32_t limit = mask.Size();
    // A source is at distance 0 from itself, which is below any positive
    // squared radius (its coordinates are finite).
    AtomMask isSource(limit);
    for (uint32_t index : sources.atoms) isSource.Set(index);
    const SourceGrid grid(sources, radius);
    const std::vector<float>& coords = molecule.CoordTable();
    for (uint32_t index : molecule.Columns().live) {
        if (index >= limit) break;  // ascending: no later atom fits the mask
        if (isSource.Test(index)) {
            mask.Set(index);
            continue;
        }
        float p[3];
        ReadPosition(coords, index, p);
        if (grid.AnyWithin(p, squaredRadius)) mask.Set(index);
    }
}

}  // namespace KaSel
