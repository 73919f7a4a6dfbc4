#include "selection/select.h"

#include <unordered_map>
#include <utility>

#include "selection/spatial_index.h"

namespace KaSel {

// ---- SelectionContext --------------------------------------------------------

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

// ---- KaSelect ------------------------------------------------------------------

struct KaSelect::Impl {
    Impl(Kamol::KaMolBase& molecule, const KaSelection& selection) : context(molecule), selection(selection) {
        context.Pin(this->selection.GetRootPtr());
    }
    SelectionContext context;
    KaSelection selection;
};

KaSelect::KaSelect(Kamol::KaMolBase& molecule, const KaSelection& selection)
    : impl_(std::make_unique<Impl>(molecule, selection)) {}

KaSelect::KaSelect(Kamol::KaMolBase& molecule, const std::string& text)
    : KaSelect(molecule, KaSelection::Parse(text)) {}

KaSelect::KaSelect(const KaSelect& other)
    : KaSystem::KaUnaryPredicate<Kamol::KaAtomBase>(other),
      impl_(std::make_unique<Impl>(other.impl_->context.GetMolecule(), other.impl_->selection)) {}

KaSelect::~KaSelect() = default;

bool KaSelect::operator()(const Kamol::KaAtomBase& atom) const {
    return impl_->selection.GetRoot().Evaluate(impl_->context, atom);
}

KaSelect* KaSelect::Clone() const { return new KaSelect(*this); }

const KaSelection& KaSelect::GetSelection() const { return impl_->selection; }

std::vector<uint32_t> KaSelect::SelectAll() const {
    std::vector<uint32_t> selected;
    // The live-atom column is not rebuilt during evaluation: predicates write
    // only their own generic data, which leaves the structure version alone.
    const std::vector<uint32_t>& live = impl_->context.GetMolecule().Columns().live;
    impl_->selection.GetRoot().SelectFrom(impl_->context, live, selected);
    // Batch filters reserve room for every atom they are given; a result much
    // smaller than that gives the room back.
    if (selected.capacity() > 2 * selected.size() + 1024) selected.shrink_to_fit();
    return selected;
}

// ---- whole-molecule queries ----------------------------------------------------

std::vector<unsigned int> EvaluateSelection(Kamol::KaMolBase& molecule, const std::string& text) {
    return KaSelect(molecule, text).SelectAll();
}

unsigned int CountSelection(Kamol::KaMolBase& molecule, const std::string& text) {
    return static_cast<unsigned int>(KaSelect(molecule, text).SelectAll().size());
}

}  // namespace KaSel
