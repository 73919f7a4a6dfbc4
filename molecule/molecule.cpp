#include "molecule/molecule.h"

#include <algorithm>
#include <new>
#include <stdexcept>
#include <type_traits>

namespace Kamol {

KaAtomBase::KaAtomBase(KaMolBase& owner, uint32_t index, uint32_t atomicNum)
    : owner_(&owner), index_(index), atomicNum_(atomicNum) {}

void KaAtomBase::SetAtomicNum(uint32_t atomicNum) {
    owner_->CompleteBonds();
    atomicNum_ = atomicNum;
    if (!deleted_) owner_->columns_.atomicNums[index_] = atomicNum;
    owner_->NoteStructureChange();
}

const std::string& KaAtomBase::Name() const { return owner_->atomNames_[nameId_]; }

void KaAtomBase::SetName(const std::string& name) {
    nameId_ = owner_->AtomNameId(name);
    owner_->AtomNameChanged(*this);
    owner_->NoteStructureChange();
}

KaSystem::KaIterBase<KaBondBase>* KaAtomBase::GetBonds() const {
    owner_->CompleteBonds();
    return new KaSystem::KaPtrVectorIter<KaBondBase>(bonds_);
}

void KaAtomBase::DataChanged(KaSystem::KaTag tag) {
    if (tag == ResidueTag) {
        owner_->AtomResidueChanged(*this);
        owner_->NoteStructureChange();
    } else {
        owner_->AtomDataChanged();
    }
}

KaSystem::KaDataSlot KaAtomBase::FindExternal(KaSystem::KaTag tag) const {
    return owner_->FindAtomItem(index_, tag);
}

bool KaAtomBase::HasExternal(KaSystem::KaTag tag) const { return owner_->HasAtomItem(index_, tag); }

bool KaAtomBase::RemoveExternal(KaSystem::KaTag tag) { return owner_->RemoveAtomItem(index_, tag); }

uint32_t KaTextTable::Id(std::string_view text) {
    auto it = ids_.find(text);
    if (it != ids_.end()) return it->second;
    const uint32_t id = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    ids_.emplace(texts_.back(), id);
    return id;
}

uint32_t KaResidueStore::Add(const KaResidue& record) {
    if (size_ % kChunk == 0) chunks_.emplace_back(std::allocator<KaResidue>().allocate(kChunk));
    new (&chunks_.back().get()[size_ % kChunk]) KaResidue(record);
    return size_++;
}

void KaResidueStore::Clear() {
    for (uint32_t i = 0; i < size_; ++i) (*this)[i].~KaResidue();
    chunks_.clear();
    size_ = 0;
}

KaResidueStore& KaResidueStore::operator=(const KaResidueStore& other) {
    if (this == &other) return *this;
    Clear();
    for (uint32_t i = 0; i < other.size_; ++i) Add(other[i]);
    return *this;
}

namespace {
// The record the atom holds under the residue tag; an item of another type
// reads as the default record, as GetAtomResidue does (here without warning).
const KaResidue& StoredRecord(const KaAtomBase& atom) {
    const KaResidue* record = atom.PeekData<KaResidue>(ResidueTag);
    return record ? *record : DefaultResidue();
}
}  // namespace

KaMolBase::~KaMolBase() = default;

void KaMolBase::DeferBonds(std::function<void(KaMolBase&)> make) { pendingBonds_ = std::move(make); }

void KaMolBase::RunPendingBonds() const {
    auto make = std::move(pendingBonds_);
    pendingBonds_ = nullptr;
    auto& self = const_cast<KaMolBase&>(*this);  // molecules are never made const
    const uint64_t structureVersion = structureVersion_;  // making bonds raises only this one
    make(self);
    self.structureVersion_ = structureVersion;
}

void KaMolBase::Reserve(uint32_t atomCount) {
    const size_t n = atomCount;
    atomTable_.reserve(n);
    coords_.reserve(3 * n);
    residueSlots_.reserve(n);
    KaAtomColumns& c = columns_;
    c.live.reserve(n);
    c.atoms.reserve(n);
    for (auto* column : {&c.atomicNums, &c.nameIds, &c.residueNameIds, &c.chainIdIds, &c.fragmentNumbers,
                         &c.secondaryStructures})
        column->reserve(n);
    c.residueNumbers.reserve(n);
    c.serialNumbers.reserve(n);
    c.bFactors.reserve(n);
    c.occupancies.reserve(n);
    c.alternateLocations.reserve(n);
    c.insertCodes.reserve(n);
    c.hetAtoms.reserve(n);
}

KaAtomBase& KaMolBase::NewAtom(uint32_t atomicNum) {
    CompleteBonds();
    const float origin[3] = {0.0f, 0.0f, 0.0f};
    KaAtomBase& atom = PushAtom(atomicNum, origin, kNoRecord, 0, DefaultResidue());
    ++structureVersion_;
    ++coordsVersion_;
    return atom;
}

uint32_t KaMolBase::AtomNameId(const std::string& name) {
    uint64_t packed = 0;
    std::pair<uint64_t, uint32_t>* cached = nullptr;
    if (name.size() < 8) {
        packed = uint64_t(name.size()) << 56;
        for (size_t i = 0; i < name.size(); ++i) packed |= uint64_t(static_cast<unsigned char>(name[i])) << (8 * i);
        cached = &shortNameIds_[(packed * 0x9e3779b97f4a7c15ULL) >> 58];
        if (cached->first == packed) return cached->second;
    }
    uint32_t id;
    if (auto it = atomNameIds_.find(name); it != atomNameIds_.end()) {
        id = it->second;
    } else {
        id = static_cast<uint32_t>(atomNames_.size());
        const std::string& stored = atomNames_.emplace_back(name);
        atomNameIds_.emplace(stored, id);
        atomNameColumnIds_.push_back(columns_.atomNames.Id(CText(stored)));
    }
    if (cached) *cached = {packed, id};
    return id;
}

void KaMolBase::AtomNameChanged(const KaAtomBase& atom) {
    columns_.nameIds[atom.index_] = atomNameColumnIds_[atom.nameId_];
}

void KaMolBase::AtomResidueChanged(const KaAtomBase& atom) {
    if (!atom.deleted_) StoreResidue(atom.index_, StoredRecord(atom));
}

namespace {
// The id of `text`; readers give runs of atoms of one residue, so the
// previous index's id is tried first.
uint32_t TextId(KaTextTable& table, std::vector<uint32_t>& ids, uint32_t index, std::string_view text) {
    if (index > 0 && table.Texts()[ids[index - 1]] == text) return ids[index - 1];
    return table.Id(text);
}
}  // namespace

void KaMolBase::StoreResidue(uint32_t index, const KaResidue& record) {
    joinedResidueAtom_ = kNoAtom;
    KaAtomColumns& c = columns_;
    c.residueNameIds[index] = TextId(c.residueNames, c.residueNameIds, index, CText(record.residueName));
    c.chainIdIds[index] = TextId(c.chainIds, c.chainIdIds, index, CText(record.chainId));
    c.residueNumbers[index] = record.residueNumber;
    c.serialNumbers[index] = record.serialNumber;
    c.fragmentNumbers[index] = record.fragmentNumber;
    c.secondaryStructures[index] = record.secondaryStructure;
    c.bFactors[index] = record.bFactor;
    c.occupancies[index] = record.occupancy;
    c.alternateLocations[index] = record.alternateLocation;
    c.insertCodes[index] = record.insertCode;
    c.hetAtoms[index] = record.hetAtom;
}

KaAtomBase& KaMolBase::PushAtom(uint32_t atomicNum, const float xyz[3], uint32_t residueSlot, uint32_t nameColumnId,
                                const KaResidue& record) {
    const uint32_t index = static_cast<uint32_t>(atomTable_.size());
    joinedResidueAtom_ = kNoAtom;
    KaAtomBase& atom = atomStore_.emplace_back(*this, index, atomicNum);
    atomTable_.push_back(&atom);
    coords_.insert(coords_.end(), {xyz[0], xyz[1], xyz[2]});
    residueSlots_.push_back(residueSlot);
    KaAtomColumns& c = columns_;
    if (!liveStale_) c.live.push_back(index);
    c.atoms.push_back(&atom);
    c.atomicNums.push_back(atomicNum);
    c.nameIds.push_back(nameColumnId);
    const uint32_t residueNameId = TextId(c.residueNames, c.residueNameIds, index, CText(record.residueName));
    const uint32_t chainIdId = TextId(c.chainIds, c.chainIdIds, index, CText(record.chainId));
    c.residueNameIds.push_back(residueNameId);
    c.chainIdIds.push_back(chainIdId);
    c.residueNumbers.push_back(record.residueNumber);
    c.serialNumbers.push_back(record.serialNumber);
    c.fragmentNumbers.push_back(record.fragmentNumber);
    c.secondaryStructures.push_back(record.secondaryStructure);
    c.bFactors.push_back(record.bFactor);
    c.occupancies.push_back(record.occupancy);
    c.alternateLocations.push_back(record.alternateLocation);
    c.insertCodes.push_back(record.insertCode);
    c.hetAtoms.push_back(record.hetAtom);
    for (auto& column : intColumns_) {
        column->values.push_back(0);
        column->present.push_back(0);
    }
    ++numLive_;
    return atom;
}

void KaMolBase::AtomDataChanged() {
    atomDataWritten_ = true;
    ++atomDataVersion_;
}

KaAtomIntColumn& KaMolBase::AtomIntColumn(KaSystem::KaTag tag) {
    for (auto& column : intColumns_)
        if (column->tag == tag) return *column;
    auto& column = intColumns_.emplace_back(std::make_unique<KaAtomIntColumn>(tag));
    column->values.assign(atomTable_.size(), 0);
    column->present.assign(atomTable_.size(), 0);
    return *column;
}

// Column values are the atoms' int data: the same type as far as readers see.
static_assert(std::is_same_v<int32_t, int>);

KaSystem::KaDataSlot KaMolBase::FindAtomItem(uint32_t index, KaSystem::KaTag tag) const {
    for (const auto& column : intColumns_)
        if (column->tag == tag && column->present[index])
            return {&typeid(int), const_cast<int32_t*>(&column->values[index])};
    if (tag == ResidueTag && residueSlots_[index] < kRemovedRecord) {
        if (IsCompact(index)) BuildCompactRecord(index);
        return {&typeid(KaResidue), &residueStore_[residueSlots_[index]]};
    }
    return {};
}

bool KaMolBase::HasAtomItem(uint32_t index, KaSystem::KaTag tag) const {
    for (const auto& column : intColumns_)
        if (column->tag == tag && column->present[index]) return true;
    return tag == ResidueTag && residueSlots_[index] < kRemovedRecord;
}

bool KaMolBase::IsCompact(uint32_t index) const {
    return (residueSlots_[index] & (kRemovedRecord | kCompactRecord)) == kCompactRecord;
}

bool KaMolBase::CompactResidue(uint32_t index, KaResidue& record) const {
    if (index >= residueSlots_.size() || !IsCompact(index)) return false;
    const KaAtomColumns& c = columns_;
    const SharedResidueFields& shared = residueShared_[residueSlots_[index] & ~kCompactRecord];
    record.residueName = c.residueNames.Texts()[c.residueNameIds[index]];
    record.occupancy = c.occupancies[index];
    record.bFactor = c.bFactors[index];
    record.residueNumber = c.residueNumbers[index];
    record.serialNumber = c.serialNumbers[index];
    record.modelNumber = shared.modelNumber;
    record.fragmentNumber = c.fragmentNumbers[index];
    record.secondaryStructure = c.secondaryStructures[index];
    record.alternateLocation = c.alternateLocations[index];
    record.insertCode = c.insertCodes[index];
    record.hetAtom = c.hetAtoms[index] != 0;
    record.reserved0 = shared.reserved0;
    record.segmentId = shared.segmentId;
    record.chainId = c.chainIds.Texts()[c.chainIdIds[index]];
    record.reserved2 = shared.reserved2;
    return true;
}

void KaMolBase::BuildCompactRecord(uint32_t index) const {
    KaResidue record;
    CompactResidue(index, record);
    residueSlots_[index] = residueStore_.Add(record);
}

KaResidue KaMolBase::ResidueRecordOf(uint32_t index) const {
    KaResidue record;
    if (CompactResidue(index, record)) return record;
    const KaAtomBase* atom = index < atomStore_.size() ? &atomStore_[index] : nullptr;
    return atom ? StoredRecord(*atom) : DefaultResidue();
}

bool KaMolBase::ResidueInColumns(uint32_t index) const {
    for (const auto& column : intColumns_)
        if (column->tag == ResidueTag && column->present[index]) return false;
    const KaAtomBase& atom = atomStore_[index];
    return !atom.HasOwnData(ResidueTag) || atom.PeekData<KaResidue>(ResidueTag) != nullptr;
}

bool KaMolBase::RemoveAtomItem(uint32_t index, KaSystem::KaTag tag) {
    for (auto& column : intColumns_) {
        if (column->tag == tag && column->present[index]) {
            column->present[index] = 0;
            column->values[index] = 0;
            return true;
        }
    }
    if (tag == ResidueTag && residueSlots_[index] < kRemovedRecord) {
        if (IsCompact(index)) {
            residueSlots_[index] = kNoRecord;
        } else {
            residueSlots_[index] |= kRemovedRecord;  // its place is used again by the next record
        }
        return true;
    }
    return false;
}

namespace {
// Whether the columns can give back the text exactly: they hold it up to its
// first NUL byte.
bool FitsColumn(const std::string& text) { return text.find('\0') == std::string::npos; }
}  // namespace

uint32_t KaMolBase::CompactSlotFor(const KaResidue& record) {
    if (residueShared_.empty() || !residueShared_.back().Holds(record))
        residueShared_.push_back({record.modelNumber, record.reserved0, record.segmentId, record.reserved2});
    return kCompactRecord | uint32_t(residueShared_.size() - 1);
}

bool KaMolBase::StoreAtomResidue(KaAtomBase& atom, const KaResidue& record) {
    if (atom.HasOwnData(ResidueTag) || !ResidueInColumns(atom.index_))
        return atom.SetData<KaResidue>(ResidueTag, record);
    uint32_t& slot = residueSlots_[atom.index_];
    if ((slot == kNoRecord || IsCompact(atom.index_)) && !atom.deleted_ && FitsColumn(record.residueName) &&
        FitsColumn(record.chainId)) {
        slot = CompactSlotFor(record);
        StoreResidue(atom.index_, record);
        NoteStructureChange();
        return true;
    }
    if (slot == kNoRecord || IsCompact(atom.index_)) {
        slot = residueStore_.Add(record);
    } else {
        slot &= ~kRemovedRecord;
        residueStore_[slot] = record;
    }
    atom.DataChanged(ResidueTag);
    return true;
}

KaAtomBase& KaMolBase::AppendAtom(uint32_t atomicNum, const std::string& name, const float xyz[3],
                                  const KaResidue& record) {
    if (!FitsColumn(record.residueName) || !FitsColumn(record.chainId)) {
        KaAtomBase& atom = NewAtom(atomicNum);
        atom.SetName(name);
        SetCoords(atom, xyz);
        StoreAtomResidue(atom, record);
        return atom;
    }
    CompleteBonds();
    const uint32_t nameId = AtomNameId(name);
    KaAtomBase& atom = PushAtom(atomicNum, xyz, CompactSlotFor(record), atomNameColumnIds_[nameId], record);
    atom.nameId_ = nameId;
    structureVersion_ += 3;  // as NewAtom, SetName and SetAtomResidue would
    coordsVersion_ += 2;     // as NewAtom and SetCoords would
    return atom;
}

template <typename Change>
void KaMolBase::ChangeRecords(uint32_t first, uint32_t count, Change&& change) {
    const uint32_t end = std::min<uint32_t>(first + count, static_cast<uint32_t>(residueSlots_.size()));
    for (uint32_t index = first; index < end; ++index) {
        const uint32_t slot = residueSlots_[index];
        if (slot >= kRemovedRecord) continue;  // no record, or a removed one
        if (!IsCompact(index)) change(residueStore_[slot].secondaryStructure, residueStore_[slot].hetAtom);
        bool hetAtom = columns_.hetAtoms[index] != 0;
        change(columns_.secondaryStructures[index], hetAtom);
        columns_.hetAtoms[index] = hetAtom;
    }
}

void KaMolBase::AddSecondaryStructure(uint32_t first, uint32_t count, uint32_t flags) {
    ChangeRecords(first, count, [flags](uint32_t& secondary, bool&) { secondary |= flags; });
}

void KaMolBase::SetHetero(uint32_t first, uint32_t count, bool hetAtom) {
    ChangeRecords(first, count, [hetAtom](uint32_t&, bool& het) { het = hetAtom; });
}

void KaMolBase::SetChainId(uint32_t first, uint32_t count, const std::string& chainId) {
    const uint32_t id = columns_.chainIds.Id(CText(chainId));
    const uint32_t end = std::min<uint32_t>(first + count, static_cast<uint32_t>(residueSlots_.size()));
    for (uint32_t index = first; index < end; ++index) {
        const uint32_t slot = residueSlots_[index];
        if (slot >= kRemovedRecord) continue;  // no record, or a removed one
        if (!IsCompact(index)) residueStore_[slot].chainId = chainId;
        columns_.chainIdIds[index] = id;
    }
}

const std::string& KaMolBase::SegmentIdOf(uint32_t index) const {
    if (index < residueSlots_.size() && IsCompact(index))
        return residueShared_[residueSlots_[index] & ~kCompactRecord].segmentId;
    const KaAtomBase* atom = index < atomStore_.size() ? &atomStore_[index] : nullptr;
    return atom ? StoredRecord(*atom).segmentId : DefaultResidue().segmentId;
}

KaBondBase* KaMolBase::NewBond(KaAtomBase& a, KaAtomBase& b, uint32_t order) {
    CompleteBonds();
    if (!Owns(a) || !Owns(b) || &a == &b) return nullptr;
    uint32_t index = static_cast<uint32_t>(bondTable_.size());
    KaBondBase& bond = bondStore_.emplace_back(a, b, order, index);
    bondTable_.push_back(&bond);
    bondEnds_.push_back({a.index_, b.index_});
    a.bonds_.push_back(&bond);
    b.bonds_.push_back(&bond);
    ++numLiveBonds_;
    ++structureVersion_;
    return &bond;
}

uint32_t KaMolBase::AddBonds(const std::vector<std::array<uint32_t, 2>>& pairs) {
    CompleteBonds();
    auto usable = [&](const std::array<uint32_t, 2>& p) {
        return p[0] != p[1] && p[0] < atomTable_.size() && p[1] < atomTable_.size() && atomTable_[p[0]] &&
               atomTable_[p[1]];
    };
    std::vector<uint32_t> extra(atomTable_.size(), 0);
    size_t count = 0;
    for (const auto& p : pairs)
        if (usable(p)) {
            ++extra[p[0]];
            ++extra[p[1]];
            ++count;
        }
    for (size_t i = 0; i < extra.size(); ++i)
        if (extra[i]) atomTable_[i]->bonds_.reserve(atomTable_[i]->bonds_.size() + extra[i]);
    bondTable_.reserve(bondTable_.size() + count);
    bondEnds_.reserve(bondEnds_.size() + count);
    uint32_t added = 0;
    for (const auto& p : pairs)
        if (usable(p) && NewBond(*atomTable_[p[0]], *atomTable_[p[1]])) ++added;
    return added;
}

bool KaMolBase::DeleteAtom(KaAtomBase& atom) {
    CompleteBonds();
    if (!Owns(atom)) return false;
    for (KaBondBase* bond : atom.bonds_) {
        KaAtomBase* other = bond->GetNeighbour(atom);
        auto& list = other->bonds_;
        std::erase(list, bond);
        bond->deleted_ = true;
        bondTable_[bond->index_] = nullptr;
        bondEnds_[bond->index_] = {kNoAtom, kNoAtom};
        --numLiveBonds_;
    }
    atom.bonds_.clear();
    // The columns forget a deleted atom's record; the atom keeps it.
    if (IsCompact(atom.index_)) BuildCompactRecord(atom.index_);
    atom.deleted_ = true;
    atomTable_[atom.index_] = nullptr;
    columns_.atoms[atom.index_] = nullptr;
    columns_.atomicNums[atom.index_] = 0;
    StoreResidue(atom.index_, DefaultResidue());
    liveStale_ = true;
    --numLive_;
    ++structureVersion_;
    ++coordsVersion_;
    return true;
}

KaSystem::KaIterBase<KaAtomBase>* KaMolBase::GetAtoms() const {
    return new KaSystem::KaPtrVectorIter<KaAtomBase>(atomTable_);
}

KaSystem::KaIterBase<KaBondBase>* KaMolBase::GetBondIter() const {
    CompleteBonds();
    return new KaSystem::KaPtrVectorIter<KaBondBase>(bondTable_);
}

KaAtomBase* KaMolBase::GetAtom(uint32_t index) const {
    return index < atomTable_.size() ? atomTable_[index] : nullptr;
}

bool KaMolBase::GetCoords(const KaAtomBase& atom, float xyz[3]) const {
    ReadCoords(coords_, atom.GetIndex(), xyz);
    return true;
}

bool KaMolBase::SetCoords(const KaAtomBase& atom, const float xyz[3]) {
    CompleteBonds();
    if (!Owns(atom)) return false;
    size_t at = size_t(atom.GetIndex()) * 3;
    coords_[at] = xyz[0];
    coords_[at + 1] = xyz[1];
    coords_[at + 2] = xyz[2];
    ++coordsVersion_;
    return true;
}

bool KaMolBase::SetLiveCoords(const float* xyz, size_t count) {
    CompleteBonds();
    if (count != size_t(numLive_) * 3) return false;
    if (numLive_ == atomTable_.size()) {
        std::copy(xyz, xyz + count, coords_.begin());
    } else {
        const float* from = xyz;
        for (uint32_t index : Columns().live) {
            std::copy(from, from + 3, coords_.begin() + size_t(index) * 3);
            from += 3;
        }
    }
    ++coordsVersion_;
    return true;
}

const KaAtomColumns& KaMolBase::Columns() const {
    if (liveStale_) {
        std::vector<uint32_t>& live = columns_.live;
        live.clear();
        live.reserve(numLive_);
        for (size_t i = 0; i < atomTable_.size(); ++i)
            if (atomTable_[i]) live.push_back(static_cast<uint32_t>(i));
        liveStale_ = false;
    }
    return columns_;
}

void KaMolBase::SetCell(const std::optional<UnitCell>& cell) {
    if (cell) {
        const std::string problem = CellProblem(*cell);
        if (!problem.empty()) throw std::invalid_argument(problem);
    }
    if (cell == cell_) return;
    cell_ = cell;
    ++coordsVersion_;
}

void KaMolBase::CopyInto(KaMolBase& target) const {
    CompleteBonds();
    static_cast<KaSystem::KaBase&>(target) = *this;
    target.title_ = title_;
    target.cell_ = cell_;
    for (const KaAtomBase& atom : atomStore_) {
        KaAtomBase& copy = target.atomStore_.emplace_back(target, atom.index_, atom.atomicNum_);
        static_cast<KaSystem::KaBase&>(copy) = atom;
        copy.nameId_ = atom.nameId_;
        copy.deleted_ = atom.deleted_;
        target.atomTable_.push_back(copy.deleted_ ? nullptr : &copy);
    }
    target.atomNames_ = atomNames_;
    target.atomNameIds_.clear();
    for (uint32_t id = 0; id < target.atomNames_.size(); ++id) target.atomNameIds_.emplace(target.atomNames_[id], id);
    target.atomNameColumnIds_ = atomNameColumnIds_;
    target.coords_ = coords_;
    target.numLive_ = numLive_;
    target.residueStore_ = residueStore_;
    target.residueSlots_ = residueSlots_;
    target.residueShared_ = residueShared_;
    // Every column but the atoms themselves is the same.
    target.columns_ = Columns();
    for (size_t i = 0; i < target.atomTable_.size(); ++i) target.columns_.atoms[i] = target.atomTable_[i];
    for (const auto& column : intColumns_) target.intColumns_.push_back(std::make_unique<KaAtomIntColumn>(*column));
    target.atomDataWritten_ = atomDataWritten_;
    target.joinedResidueAtom_ = joinedResidueAtom_;
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
