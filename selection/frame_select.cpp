#include "selection/frame_select.h"

#include "selection/evaluate_internal.h"
#include "selection/select.h"

namespace KaSel {

namespace {

// Stands in for a subtree that does not depend on coordinates: its result
// over all live atoms is computed on first request (so that class marks are
// written only when a class test actually runs) and kept until Reset.
class KeptResultPredicate : public Predicate {
public:
    explicit KeptResultPredicate(PredicatePtr original) : original_(std::move(original)) {}

    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override {
        return original_->Evaluate(context, atom);
    }
    std::string ToString() const override { return original_->ToString(); }
    PredicateType GetType() const override { return original_->GetType(); }

    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override {
        if (atoms.empty()) return;
        if (!known_) {
            const Kamol::KaMolBase& molecule = context.GetMolecule();
            selected_.clear();
            original_->SelectFrom(context, molecule.Columns().live, selected_);
            mask_ = AtomMask(molecule.IndexLimit());
            for (uint32_t index : selected_) mask_.Set(index);
            known_ = true;
        }
        if (detail::CoversAllAtoms(context, atoms)) {
            accepted.insert(accepted.end(), selected_.begin(), selected_.end());
            return;
        }
        detail::FilterAtoms(atoms, accepted, [&](uint32_t index) { return mask_.Test(index); });
    }

    void Reset() { known_ = false; }

private:
    const PredicatePtr original_;
    mutable bool known_ = false;
    mutable std::vector<uint32_t> selected_;
    mutable AtomMask mask_;
};

using KeptList = std::vector<std::shared_ptr<KeptResultPredicate>>;

PredicateList RewriteAll(const PredicateList& nodes, KeptList& kept);

// The tree with each largest subtree that does not depend on coordinates
// replaced by a kept result; nodes above them are rebuilt around the
// replacements.
PredicatePtr Rewrite(const PredicatePtr& node, KeptList& kept) {
    if (!DependsOnCoordinates(*node)) {
        auto replacement = std::make_shared<KeptResultPredicate>(node);
        kept.push_back(replacement);
        return replacement;
    }
    const Predicate* raw = node.get();
    if (auto* n = dynamic_cast<const AndPredicate*>(raw)) return std::make_shared<AndPredicate>(RewriteAll(n->children, kept));
    if (auto* n = dynamic_cast<const OrPredicate*>(raw)) return std::make_shared<OrPredicate>(RewriteAll(n->children, kept));
    if (auto* n = dynamic_cast<const NotPredicate*>(raw)) return std::make_shared<NotPredicate>(Rewrite(n->inner, kept));
    if (auto* n = dynamic_cast<const ByResPredicate*>(raw)) return std::make_shared<ByResPredicate>(Rewrite(n->inner, kept));
    if (auto* n = dynamic_cast<const ByChainPredicate*>(raw))
        return std::make_shared<ByChainPredicate>(Rewrite(n->inner, kept));
    if (auto* n = dynamic_cast<const AroundPredicate*>(raw))
        return std::make_shared<AroundPredicate>(n->distance, Rewrite(n->inner, kept));
    if (auto* n = dynamic_cast<const ExpandPredicate*>(raw))
        return std::make_shared<ExpandPredicate>(n->distance, Rewrite(n->inner, kept));
    if (auto* n = dynamic_cast<const BeyondPredicate*>(raw))
        return std::make_shared<BeyondPredicate>(n->distance, Rewrite(n->inner, kept));
    return node;  // a kind this rewrite does not know: evaluated whole every frame
}

PredicateList RewriteAll(const PredicateList& nodes, KeptList& kept) {
    PredicateList out;
    out.reserve(nodes.size());
    for (const PredicatePtr& child : nodes) out.push_back(Rewrite(child, kept));
    return out;
}

}  // namespace

bool DependsOnCoordinates(const Predicate& node) {
    switch (node.GetType()) {
        case PredicateType::AROUND:
        case PredicateType::EXPAND:
        case PredicateType::BEYOND: return true;
        default: break;
    }
    for (const PredicatePtr& child : node.GetChildren())
        if (DependsOnCoordinates(*child)) return true;
    return false;
}

struct FrameSelect::Impl {
    Impl(Kamol::KaMolBase& molecule, const PredicatePtr& original) : molecule(molecule), root(Rewrite(original, kept)) {}

    Kamol::KaMolBase& molecule;
    KeptList kept;
    PredicatePtr root;
    // The molecule's versions when the kept results were last used.
    uint64_t structureVersion = 0;
    uint64_t atomDataVersion = 0;
};

FrameSelect::FrameSelect(Kamol::KaMolBase& molecule, const KaSelection& selection)
    : FrameSelect(molecule, selection.GetRootPtr()) {}

FrameSelect::FrameSelect(Kamol::KaMolBase& molecule, PredicatePtr root)
    : impl_(std::make_unique<Impl>(molecule, root)) {}

FrameSelect::~FrameSelect() = default;

std::vector<uint32_t> FrameSelect::Select() {
    Impl& s = *impl_;
    if (s.structureVersion != s.molecule.StructureVersion() || s.atomDataVersion != s.molecule.AtomDataVersion())
        for (const auto& kept : s.kept) kept->Reset();
    // A fresh context: its distance masks and groups belong to this frame.
    SelectionContext context(s.molecule);
    context.Pin(s.root);
    std::vector<uint32_t> selected;
    s.root->SelectFrom(context, s.molecule.Columns().live, selected);
    // Marking residue classes on the first frame moves the atom-data version;
    // the kept results were computed with those marks.
    s.structureVersion = s.molecule.StructureVersion();
    s.atomDataVersion = s.molecule.AtomDataVersion();
    return selected;
}

}  // namespace KaSel
