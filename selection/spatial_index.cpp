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
    void sort() {}  // newer releases ask for it; FindPointsWithin sorts itself
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
        Kamol::ReadCoords(coords, index, xyz);
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

}  // namespace KaSel
