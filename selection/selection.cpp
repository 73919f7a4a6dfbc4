// KaSelection: a handle on a shared, immutable predicate tree.

#include "selection/selection.h"

namespace KaSel {

struct KaSelection::Impl {
    PredicatePtr root;  // never null
};

KaSelection::KaSelection() : KaSelection(std::make_shared<TruePredicate>()) {}

KaSelection::KaSelection(PredicatePtr root) : impl_(std::make_unique<Impl>(Impl{std::move(root)})) {}

KaSelection::KaSelection(const KaSelection& other) : KaSelection(other.impl_->root) {}

// Swapping hands the old record to the temporary, which releases it; a
// selection moved from this way still holds a valid tree.
KaSelection& KaSelection::operator=(KaSelection&& other) noexcept {
    impl_.swap(other.impl_);
    return *this;
}

KaSelection::~KaSelection() = default;

KaSelection KaSelection::Parse(const std::string& text) {
    if (text.empty()) return KaSelection();
    return KaSelection(ParseSelectionText(text));
}

std::string KaSelection::ToCanonical() const { return impl_->root->ToString(); }

bool KaSelection::IsEmpty() const { return impl_->root->GetType() == PredicateType::ALL_MATCH; }

namespace {

bool Contains(const Predicate& node, PredicateType type) {
    if (node.GetType() == type) return true;
    for (const PredicatePtr& child : node.GetChildren()) {
        if (Contains(*child, type)) return true;
    }
    return false;
}

}  // namespace

bool KaSelection::ContainsPredicate(PredicateType type) const { return Contains(*impl_->root, type); }

const Predicate& KaSelection::GetRoot() const { return *impl_->root; }

const PredicatePtr& KaSelection::GetRootPtr() const { return impl_->root; }

}  // namespace KaSel
