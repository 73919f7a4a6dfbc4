#include "selection/select.h"

#include <utility>

namespace KaSel {

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

}  // namespace KaSel
