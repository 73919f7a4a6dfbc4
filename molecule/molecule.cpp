#include "molecule/molecule.h"

namespace Kamol {

KaAtomBase::KaAtomBase(KaMolBase& owner, uint32_t index, uint32_t atomicNum)
    : owner_(&owner), index_(index), atomicNum_(atomicNum) {}

void KaAtomBase::SetAtomicNum(uint32_t atomicNum) {
    atomicNum_ = atomicNum;
    owner_->NoteStructureChange();
}

void KaAtomBase::SetName(const std::string& name) {
    name_ = name;
    owner_->NoteStructureChange();
}

KaSystem::KaIterBase<KaBondBase>* KaAtomBase::GetBonds() const {
    return new KaSystem::KaPtrVectorIter<KaBondBase>(bonds_);
}

void KaAtomBase::DataChanged(KaSystem::KaTag tag) {
    if (tag == ResidueTag)
        owner_->NoteStructureChange();
    else
        owner_->NoteAtomDataChange();
}

KaMolBase::~KaMolBase() = default;

KaAtomBase& KaMolBase::NewAtom(uint32_t atomicNum) {
    uint32_t index = static_cast<uint32_t>(atomTable_.size());
    KaAtomBase& atom = atomStore_.emplace_back(*this, index, atomicNum);
    atomTable_.push_back(&atom);
    coords_.insert(coords_.end(), {0.0f, 0.0f, 0.0f});
    ++numLive_;
    ++structureVersion_;
    ++coordsVersion_;
    return atom;
}

KaBondBase* KaMolBase::NewBond(KaAtomBase& a, KaAtomBase& b, uint32_t order) {
    if (!Owns(a) || !Owns(b) || &a == &b) return nullptr;
    uint32_t index = static_cast<uint32_t>(bondTable_.size());
    KaBondBase& bond = bondStore_.emplace_back(a, b, order, index);
    bondTable_.push_back(&bond);
    a.bonds_.push_back(&bond);
    b.bonds_.push_back(&bond);
    ++numLiveBonds_;
    ++structureVersion_;
    return &bond;
}

bool KaMolBase::DeleteAtom(KaAtomBase& atom) {
    if (!Owns(atom)) return false;
    for (KaBondBase* bond : atom.bonds_) {
        KaAtomBase* other = bond->GetNeighbour(atom);
        auto& list = other->bonds_;
        std::erase(list, bond);
        bond->deleted_ = true;
        bondTable_[bond->index_] = nullptr;
        --numLiveBonds_;
    }
    atom.bonds_.clear();
    atom.deleted_ = true;
    atomTable_[atom.index_] = nullptr;
    --numLive_;
    ++structureVersion_;
    ++coordsVersion_;
    return true;
}

KaSystem::KaIterBase<KaAtomBase>* KaMolBase::GetAtoms() const {
    return new KaSystem::KaPtrVectorIter<KaAtomBase>(atomTable_);
}

KaSystem::KaIterBase<KaBondBase>* KaMolBase::GetBondIter() const {
    return new KaSystem::KaPtrVectorIter<KaBondBase>(bondTable_);
}

KaAtomBase* KaMolBase::GetAtom(uint32_t index) const {
    return index < atomTable_.size() ? atomTable_[index] : nullptr;
}

bool KaMolBase::GetCoords(const KaAtomBase& atom, float xyz[3]) const {
    size_t at = size_t(atom.GetIndex()) * 3;
    if (at + 2 < coords_.size()) {
        xyz[0] = coords_[at];
        xyz[1] = coords_[at + 1];
        xyz[2] = coords_[at + 2];
    } else {
        xyz[0] = xyz[1] = xyz[2] = 0.0f;
    }
    return true;
}

bool KaMolBase::SetCoords(const KaAtomBase& atom, const float xyz[3]) {
    if (!Owns(atom)) return false;
    size_t at = size_t(atom.GetIndex()) * 3;
    coords_[at] = xyz[0];
    coords_[at + 1] = xyz[1];
    coords_[at + 2] = xyz[2];
    ++coordsVersion_;
    return true;
}

const KaAtomColumns& KaMolBase::Columns() const {
    if (columnsVersion_ == structureVersion_) return columns_;
    size_t n = atomTable_.size();
    KaAtomColumns& c = columns_;
    c.live.clear();
    c.live.reserve(numLive_);
    c.atoms.assign(atomTable_.begin(), atomTable_.end());
    c.residues.resize(n);
    c.atomicNums.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const KaAtomBase* atom = atomTable_[i];
        if (atom) {
            c.live.push_back(static_cast<uint32_t>(i));
            c.residues[i] = &GetAtomResidue(*atom);
            c.atomicNums[i] = atom->GetAtomicNum();
        } else {
            c.residues[i] = &DefaultResidue();
            c.atomicNums[i] = 0;
        }
    }
    columnsVersion_ = structureVersion_;
    return c;
}

void KaMolBase::CopyInto(KaMolBase& target) const {
    static_cast<KaSystem::KaBase&>(target) = *this;
    target.title_ = title_;
    for (const KaAtomBase& atom : atomStore_) {
        KaAtomBase& copy = target.atomStore_.emplace_back(target, atom.index_, atom.atomicNum_);
        static_cast<KaSystem::KaBase&>(copy) = atom;
        copy.name_ = atom.name_;
        copy.deleted_ = atom.deleted_;
        target.atomTable_.push_back(copy.deleted_ ? nullptr : &copy);
    }
    target.coords_ = coords_;
    target.numLive_ = numLive_;
    for (const KaBondBase* bond : bondTable_) {
        if (!bond) continue;
        target.NewBond(*target.atomTable_[bond->bgn_->index_], *target.atomTable_[bond->end_->index_],
                       bond->order_);
    }
    ++target.structureVersion_;
    ++target.coordsVersion_;
}

KaMolBase* KaGraphMol::Clone() const {
    auto* copy = new KaGraphMol();
    CopyInto(*copy);
    return copy;
}

}  // namespace Kamol
