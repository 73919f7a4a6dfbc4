#include "selection/selection_context.h"

#include <unordered_map>
#include <utility>

#include "selection/spatial_index.h"

namespace KaSel {

struct SelectionContext::Impl {
    explicit Impl(Kamol::KaMolBase& molecule) : molecule(molecule) {}

    Kamol::KaMolBase& molecule;
    std::shared_ptr<const MoleculePointCloud> tree;
    std::unordered_map<std::string, AtomMask> residueGroups;
    std::unordered_map<std::string, AtomMask> chainGroups;
    std::unordered_map<std::string, AtomMask> spatialMasks;

    // The pinned tree and, for each of its grouping and distance nodes, the
    // map entry holding that node's result once it is known. Entries of the
    // maps never move, so the pointers stay valid for the context's life.
    PredicatePtr pinnedRoot;
    std::unordered_map<const Predicate*, const AtomMask*> remembered;
};

SelectionContext::SelectionContext(Kamol::KaMolBase& molecule) : impl_(std::make_unique<Impl>(molecule)) {}
SelectionContext::~SelectionContext() = default;

Kamol::KaMolBase& SelectionContext::GetMolecule() const { return impl_->molecule; }

const MoleculePointCloud& SelectionContext::GetTree() const {
    if (!impl_->tree) impl_->tree = SharedPointCloud(impl_->molecule);
    return *impl_->tree;
}

bool SelectionContext::HasResidueGroup(const std::string& key) const { return impl_->residueGroups.contains(key); }
AtomMask& SelectionContext::GetResidueGroup(const std::string& key) const { return impl_->residueGroups[key]; }
void SelectionContext::SetResidueGroup(const std::string& key, AtomMask members) const {
    impl_->residueGroups[key] = std::move(members);
}

bool SelectionContext::HasChainGroup(const std::string& key) const { return impl_->chainGroups.contains(key); }
AtomMask& SelectionContext::GetChainGroup(const std::string& key) const { return impl_->chainGroups[key]; }
void SelectionContext::SetChainGroup(const std::string& key, AtomMask members) const {
    impl_->chainGroups[key] = std::move(members);
}

bool SelectionContext::HasSpatialMask(const std::string& key) const { return impl_->spatialMasks.contains(key); }
AtomMask& SelectionContext::GetSpatialMask(const std::string& key) const { return impl_->spatialMasks[key]; }
void SelectionContext::SetSpatialMask(const std::string& key, AtomMask mask) const {
    impl_->spatialMasks[key] = std::move(mask);
}

void SelectionContext::Pin(PredicatePtr root) {
    impl_->remembered.clear();
    impl_->pinnedRoot = std::move(root);
    if (!impl_->pinnedRoot) return;
    std::vector<const Predicate*> pending{impl_->pinnedRoot.get()};
    while (!pending.empty()) {
        const Predicate* node = pending.back();
        pending.pop_back();
        switch (node->GetType()) {
            case PredicateType::BY_RES:
            case PredicateType::BY_CHAIN:
            case PredicateType::AROUND:
            case PredicateType::EXPAND:
            case PredicateType::BEYOND: impl_->remembered.emplace(node, nullptr); break;
            default: break;
        }
        for (const PredicatePtr& child : node->GetChildren()) pending.push_back(child.get());
    }
}

const AtomMask* SelectionContext::RememberedResult(const Predicate& node) const {
    if (impl_->remembered.empty()) return nullptr;
    auto it = impl_->remembered.find(&node);
    return it == impl_->remembered.end() ? nullptr : it->second;
}

void SelectionContext::Remember(const Predicate& node, const AtomMask& result) const {
    auto it = impl_->remembered.find(&node);
    if (it != impl_->remembered.end()) it->second = &result;
}

}  // namespace KaSel
