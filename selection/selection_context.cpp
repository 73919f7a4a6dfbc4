#include "selection/selection_context.h"

#include <utility>

#include "selection/spatial_index.h"

namespace KaSel {

struct SelectionContext::Impl {
    explicit Impl(Kamol::KaMolBase& molecule) : molecule(molecule) {}

    Kamol::KaMolBase& molecule;
    std::shared_ptr<const MoleculePointCloud> tree;
    ResultMemo memo;
};

SelectionContext::SelectionContext(Kamol::KaMolBase& molecule) : impl_(std::make_unique<Impl>(molecule)) {}
SelectionContext::~SelectionContext() = default;

Kamol::KaMolBase& SelectionContext::GetMolecule() const { return impl_->molecule; }

const MoleculePointCloud& SelectionContext::GetTree() const {
    if (!impl_->tree) impl_->tree = SharedPointCloud(impl_->molecule);
    return *impl_->tree;
}

ResultMemo& SelectionContext::Memo() const { return impl_->memo; }

bool SelectionContext::HasResidueGroup(const std::string& key) const {
    return Memo().Contains(ResultKind::ResidueGroup, key);
}
AtomMask& SelectionContext::GetResidueGroup(const std::string& key) const {
    return Memo().Entry(ResultKind::ResidueGroup, key);
}
void SelectionContext::SetResidueGroup(const std::string& key, AtomMask members) const {
    Memo().Set(ResultKind::ResidueGroup, key, std::move(members));
}

bool SelectionContext::HasChainGroup(const std::string& key) const { return Memo().Contains(ResultKind::ChainGroup, key); }
AtomMask& SelectionContext::GetChainGroup(const std::string& key) const {
    return Memo().Entry(ResultKind::ChainGroup, key);
}
void SelectionContext::SetChainGroup(const std::string& key, AtomMask members) const {
    Memo().Set(ResultKind::ChainGroup, key, std::move(members));
}

bool SelectionContext::HasSpatialMask(const std::string& key) const {
    return Memo().Contains(ResultKind::SpatialMask, key);
}
AtomMask& SelectionContext::GetSpatialMask(const std::string& key) const {
    return Memo().Entry(ResultKind::SpatialMask, key);
}
void SelectionContext::SetSpatialMask(const std::string& key, AtomMask mask) const {
    Memo().Set(ResultKind::SpatialMask, key, std::move(mask));
}

void SelectionContext::Pin(PredicatePtr root) { impl_->memo.Pin(std::move(root)); }

}  // namespace KaSel
