// Atoms, bonds and molecules of the toolkit.
//
// Atoms and bonds are owned by their molecule and keep their address for the
// molecule's lifetime, deleted ones included: a deleted atom is dropped from
// iteration and lookup but its object stays valid (IsDeleted() is true), so a
// stale reference never dangles. Indices are creation order and never reused.
//
// A molecule fills some of its state on first use, also through const calls:
// residue record objects (GetAtomResidue) and the bonds a reader left to
// perception (DeferBonds). Like evaluation, that makes a molecule serve one
// thread at a time.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "molecule/residue.h"
#include "molecule/unit_cell.h"
#include "system/base.h"

namespace Kamol {

class KaMolBase;
class KaBondBase;

class KaAtomBase : public KaSystem::KaBase {
public:
    uint32_t GetIndex() const { return index_; }
    uint32_t GetAtomicNum() const { return atomicNum_; }
    void SetAtomicNum(uint32_t atomicNum);
    const char* GetName() const { return Name().c_str(); }
    const std::string& Name() const;
    void SetName(const std::string& name);

    // The atom's bonds in the order they were made; the caller deletes the iterator.
    KaSystem::KaIterBase<KaBondBase>* GetBonds() const;
    const std::vector<KaBondBase*>& Bonds() const;
    KaMolBase& GetOwner() const { return *owner_; }
    bool IsDeleted() const { return deleted_; }

    KaAtomBase(KaMolBase& owner, uint32_t index, uint32_t atomicNum);

protected:
    void DataChanged(KaSystem::KaTag tag) override;
    KaSystem::KaDataSlot FindExternal(KaSystem::KaTag tag) const override;
    bool HasExternal(KaSystem::KaTag tag) const override;
    bool RemoveExternal(KaSystem::KaTag tag) override;

private:
    friend class KaMolBase;
    KaMolBase* owner_;
    uint32_t index_;
    uint32_t atomicNum_;
    bool deleted_ = false;
    uint32_t nameId_ = 0;  // into the molecule's atom names
    std::vector<KaBondBase*> bonds_;
};

class KaBondBase : public KaSystem::KaBase {
public:
    KaBondBase(KaAtomBase& bgn, KaAtomBase& end, uint32_t order, uint32_t index)
        : bgn_(&bgn), end_(&end), order_(order), index_(index) {}
    KaAtomBase& GetBgn() const { return *bgn_; }
    KaAtomBase& GetEnd() const { return *end_; }
    uint32_t GetOrder() const { return order_; }
    uint32_t GetIndex() const { return index_; }
    bool IsDeleted() const { return deleted_; }
    // The other atom of the bond, or null when `atom` is neither end.
    KaAtomBase* GetNeighbour(const KaAtomBase& atom) const {
        if (&atom == bgn_) return end_;
        if (&atom == end_) return bgn_;
        return nullptr;
    }

private:
    friend class KaMolBase;
    KaAtomBase* bgn_;
    KaAtomBase* end_;
    uint32_t order_;
    uint32_t index_;
    bool deleted_ = false;
};

// Texts each stored once, with dense ids in order of first use.
class KaTextTable {
public:
    uint32_t Id(std::string_view text);
    const std::vector<std::string>& Texts() const { return texts_; }

private:
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    std::vector<std::string> texts_;
    std::unordered_map<std::string, uint32_t, Hash, std::equal_to<>> ids_;
};

// Per-index tables of the atoms, kept up to date by the molecule as atoms,
// elements, names and residue records change, so that evaluation reads
// contiguous columns instead of chasing atom objects. Names are held as read
// through their NUL-terminated form; the text tables only grow.
struct KaAtomColumns {
    // Id 0 of the text tables: the name of a new atom, the default record's texts.
    KaAtomColumns() {
        atomNames.Id("");
        residueNames.Id(DefaultResidue().residueName);
        chainIds.Id(DefaultResidue().chainId);
    }
    std::vector<uint32_t> live;               // indices of live atoms, storage order
    std::vector<const KaAtomBase*> atoms;     // by index; null for deleted atoms
    std::vector<uint32_t> atomicNums;         // by index; 0 for deleted atoms
    std::vector<uint32_t> nameIds;            // by index, into atomNames
    KaTextTable atomNames;

    // The fields of the atom's residue record (the default record when it is
    // absent, of another type or deleted), by index.
    std::vector<uint32_t> residueNameIds;     // into residueNames
    KaTextTable residueNames;
    std::vector<uint32_t> chainIdIds;         // into chainIds
    KaTextTable chainIds;
    std::vector<int32_t> residueNumbers;
    std::vector<int32_t> serialNumbers;
    std::vector<uint32_t> fragmentNumbers;
    std::vector<uint32_t> secondaryStructures;
    std::vector<float> bFactors;
    std::vector<float> occupancies;
    std::vector<char> alternateLocations;
    std::vector<char> insertCodes;
    std::vector<uint8_t> hetAtoms;
};

// Int data of every atom under one tag, held by the molecule as a column.
// Atoms read and write these values through their generic-data operations
// exactly like items of their own (for tags their own list does not hold).
struct KaAtomIntColumn {
    explicit KaAtomIntColumn(KaSystem::KaTag tag) : tag(tag) {}
    KaSystem::KaTag tag;
    std::vector<int32_t> values;  // by index; 0 where absent
    std::vector<uint8_t> present;
};

// Coordinates of an atom index in a coordinate table (x, y, z per index);
// (0, 0, 0) beyond it.
inline void ReadCoords(const std::vector<float>& table, uint32_t index, float xyz[3]) {
    const size_t at = size_t(index) * 3;
    if (at + 2 < table.size()) {
        xyz[0] = table[at];
        xyz[1] = table[at + 1];
        xyz[2] = table[at + 2];
    } else {
        xyz[0] = xyz[1] = xyz[2] = 0.0f;
    }
}

// Residue records side by side, in chunks that never move, so that a
// record keeps its address as the store grows; a chunk's records are built
// as they are added (untouched space of the last chunk costs no memory).
class KaResidueStore {
public:
    KaResidueStore() = default;
    KaResidueStore(const KaResidueStore& other) { *this = other; }
    KaResidueStore& operator=(const KaResidueStore& other);
    ~KaResidueStore() { Clear(); }

    uint32_t Size() const { return size_; }
    // Appends a copy of the record; returns its place.
    uint32_t Add(const KaResidue& record);
    KaResidue& operator[](uint32_t i) { return chunks_[i / kChunk].get()[i % kChunk]; }
    const KaResidue& operator[](uint32_t i) const { return chunks_[i / kChunk].get()[i % kChunk]; }

private:
    static constexpr uint32_t kChunk = 8192;
    struct Release {
        void operator()(KaResidue* chunk) const { std::allocator<KaResidue>().deallocate(chunk, kChunk); }
    };
    void Clear();
    std::vector<std::unique_ptr<KaResidue, Release>> chunks_;
    uint32_t size_ = 0;
};

// Data derived from a molecule that another library keeps with it, such as
// the selection engine's spatial index. Its holder checks the molecule's
// version counters before trusting it.
class KaDerivedData {
public:
    virtual ~KaDerivedData() = default;
};

class KaMolBase : public KaSystem::KaBase {
public:
    KaMolBase() = default;
    KaMolBase(const KaMolBase&) = delete;
    KaMolBase& operator=(const KaMolBase&) = delete;
    ~KaMolBase() override;

    // A deep copy of the molecule: atoms, bonds, coordinates and data.
    virtual KaMolBase* Clone() const = 0;

    // Makes room for `atomCount` atoms in all, so that adding them moves no table.
    void Reserve(uint32_t atomCount);
    KaAtomBase& NewAtom(uint32_t atomicNum);
    // A new atom with its name, coordinates and residue record: what NewAtom,
    // SetName, SetCoords and SetAtomResidue do one after another, with each
    // column written once. For readers.
    KaAtomBase& AppendAtom(uint32_t atomicNum, const std::string& name, const float xyz[3], const KaResidue& record);
    // Adds `flags` to the secondary-structure field of the residue records of
    // atoms [first, first + count), as part of building the molecule: readers
    // flag a residue once the whole model is known. Atoms without a record
    // are left alone; no version changes.
    void AddSecondaryStructure(uint32_t first, uint32_t count, uint32_t flags);
    // Sets the HETATM field of those records likewise.
    void SetHetero(uint32_t first, uint32_t count, bool hetAtom);
    // Sets the chain id of those records likewise (segments given chains of
    // their own, SeparateSegmentChains).
    void SetChainId(uint32_t first, uint32_t count, const std::string& chainId);
    // The segment id field of the atom's residue record, without building
    // or copying the record; the default record's for an atom without one.
    const std::string& SegmentIdOf(uint32_t index) const;
    // Null when either atom is not a live atom of this molecule, or when
    // both are the same atom.
    KaBondBase* NewBond(KaAtomBase& a, KaAtomBase& b, uint32_t order = 1);
    // Single bonds between the atoms of each pair (atom indices), made in the
    // pairs' order as NewBond makes them, with room made for all at once;
    // pairs naming a deleted atom, or one atom twice, are passed over.
    // Returns the number of bonds made.
    uint32_t AddBonds(const std::vector<std::array<uint32_t, 2>>& pairs);
    // Removes a live atom of this molecule with its bonds; false otherwise.
    bool DeleteAtom(KaAtomBase& atom);

    uint32_t NumAtoms() const { return numLive_; }
    uint32_t NumBonds() const {
        CompleteBonds();
        return numLiveBonds_;
    }
    // One past the largest index ever given out.
    uint32_t IndexLimit() const { return static_cast<uint32_t>(atomTable_.size()); }

    // Atom indices of the two ends of each bond, by bond index; a deleted
    // bond holds kNoAtom twice.
    static constexpr uint32_t kNoAtom = UINT32_MAX;
    const std::vector<std::array<uint32_t, 2>>& BondEnds() const {
        CompleteBonds();
        return bondEnds_;
    }

    // Bonds made later: `make` runs once, on the first call that reads bonds
    // or changes bonds, the atom set, elements or coordinates, before that
    // call does anything else, so that the bonds are the ones `make` would
    // have made now. Making them changes no version counter: to every
    // caller they were there all along. Replaces a job still pending.
    void DeferBonds(std::function<void(KaMolBase&)> make);
    // Runs the deferred job, if any (see DeferBonds).
    void CompleteBonds() const {
        if (pendingBonds_) RunPendingBonds();
    }

    // Live atoms in storage order; the caller deletes the iterator.
    KaSystem::KaIterBase<KaAtomBase>* GetAtoms() const;
    KaSystem::KaIterBase<KaBondBase>* GetBondIter() const;
    // The live atom with that index, or null.
    KaAtomBase* GetAtom(uint32_t index) const;
    bool Owns(const KaAtomBase& atom) const { return &atom.GetOwner() == this && !atom.IsDeleted(); }

    // Coordinates from the table at the atom's index; (0, 0, 0) beyond it.
    bool GetCoords(const KaAtomBase& atom, float xyz[3]) const;
    bool SetCoords(const KaAtomBase& atom, const float xyz[3]);
    // Coordinates of every live atom at once: x, y, z per atom in storage
    // order (`count` = 3 * NumAtoms() values). Another count changes nothing
    // and gives false. Raises the coordinates version once and nothing else.
    bool SetLiveCoords(const float* xyz, size_t count);
    bool SetLiveCoords(const std::vector<float>& xyz) { return SetLiveCoords(xyz.data(), xyz.size()); }
    // x, y, z per index; deleted atoms keep their last coordinates.
    const std::vector<float>& CoordTable() const { return coords_; }

    // The periodic box the coordinates repeat in, if any. Setting a cell
    // that describes no box throws std::invalid_argument (with what is
    // wrong) and changes nothing; a change raises the coordinates version,
    // since every distance depends on it.
    const std::optional<UnitCell>& GetCell() const { return cell_; }
    void SetCell(const std::optional<UnitCell>& cell);

    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    const KaAtomColumns& Columns() const;

    // The column of atom int data under `tag`, created (every value absent)
    // on first use. Writing to it directly bypasses the atoms' change
    // notification: the caller raises the atom-data version.
    KaAtomIntColumn& AtomIntColumn(KaSystem::KaTag tag);
    // Whether any atom has had generic data other than its residue record
    // written or removed; while not, no atom holds an item of its own beside
    // the residue record, so columns of atom data are the whole truth.
    bool AtomDataWritten() const { return atomDataWritten_; }
    // Raised by every change of atoms, bonds, elements, names or residues.
    uint64_t StructureVersion() const { return structureVersion_; }
    // Raised by every change of coordinates or of the atom set.
    uint64_t CoordsVersion() const { return coordsVersion_; }
    void NoteStructureChange() { ++structureVersion_; }
    // Raised by every change of an atom's generic data other than its residue
    // record (which raises the structure version).
    uint64_t AtomDataVersion() const { return atomDataVersion_; }
    void NoteAtomDataChange() { ++atomDataVersion_; }

    // Writes the atom's residue record (see SetAtomResidue). A live atom's
    // record is kept in compact form: its fields in the columns, the rarely
    // varying rest shared (no record object per atom); the record object is
    // built in the store on the first request for its address (GetData,
    // GetAtomResidue) and kept there. An atom whose record was built, or was
    // removed, gets its next record in the store. When the atom's own data
    // list already holds an item under the residue tag, or another value is
    // kept there, the record is written as generic data (with its type check).
    bool StoreAtomResidue(KaAtomBase& atom, const KaResidue& record);
    // The atom's residue record as a value, as GetAtomResidue reads it but
    // without its mismatch warning and without building a compact record.
    KaResidue ResidueRecordOf(uint32_t index) const;
    // The record of an atom whose record is held in compact form; false
    // (and `record` untouched) for every other atom.
    bool CompactResidue(uint32_t index, KaResidue& record) const;
    // Whether the columns hold the atom's record exactly as GetAtomResidue
    // gives it: true unless its residue tag holds a value of another type
    // (which GetAtomResidue reads as the default record, with a warning).
    bool ResidueInColumns(uint32_t index) const;

    // A structure reader joins the atoms of a residue met again later in its
    // chain (such as those of a second copy of the chain under the same chain
    // id and numbering) to that residue, so its key no longer shows as
    // repeated. The reader notes the first atom of the first residue it
    // joined atoms to after residues of other keys; kNoAtom when none. The
    // note is kept by Clone and forgotten on any change of the atom set or of
    // a residue record, after which the keys alone tell.
    uint32_t JoinedResidueAtom() const { return joinedResidueAtom_; }
    void NoteJoinedResidue(uint32_t firstAtom) { joinedResidueAtom_ = firstAtom; }

    // The single slot for derived data (null until set); dropped with the
    // molecule and not copied by Clone.
    KaDerivedData* GetDerivedData() const { return derived_.get(); }
    void SetDerivedData(std::unique_ptr<KaDerivedData> data) const { derived_ = std::move(data); }

protected:
    void CopyInto(KaMolBase& target) const;

private:
    friend class KaAtomBase;
    void RunPendingBonds() const;
    // The id of `name` among the atom names, added when new.
    uint32_t AtomNameId(const std::string& name);
    void AtomNameChanged(const KaAtomBase& atom);
    void AtomResidueChanged(const KaAtomBase& atom);
    void StoreResidue(uint32_t index, const KaResidue& record);
    // Adds an atom at the end of every table, its columns holding `record`'s fields.
    KaAtomBase& PushAtom(uint32_t atomicNum, const float xyz[3], uint32_t residueSlot, uint32_t nameColumnId,
                         const KaResidue& record);
    void AtomDataChanged();
    KaSystem::KaDataSlot FindAtomItem(uint32_t index, KaSystem::KaTag tag) const;
    bool HasAtomItem(uint32_t index, KaSystem::KaTag tag) const;
    bool RemoveAtomItem(uint32_t index, KaSystem::KaTag tag);
    bool IsCompact(uint32_t index) const;
    // The slot of a compact record: its shared fields are those of the last
    // entry of residueShared_, added when they differ.
    uint32_t CompactSlotFor(const KaResidue& record);
    // Calls change(secondaryStructure, hetAtom) on the record fields of atoms
    // [first, first + count) that have a record.
    template <typename Change>
    void ChangeRecords(uint32_t first, uint32_t count, Change&& change);
    // Builds the compact record of the atom in the store and points its slot there.
    void BuildCompactRecord(uint32_t index) const;

    std::deque<KaAtomBase> atomStore_;
    std::deque<KaBondBase> bondStore_;
    std::vector<KaAtomBase*> atomTable_;  // by index, null when deleted
    std::vector<KaBondBase*> bondTable_;  // by index, null when deleted
    std::vector<std::array<uint32_t, 2>> bondEnds_;
    std::vector<float> coords_;
    uint32_t numLive_ = 0;
    uint32_t numLiveBonds_ = 0;
    std::string title_;
    std::optional<UnitCell> cell_;
    uint64_t structureVersion_ = 1;
    uint64_t coordsVersion_ = 1;
    uint64_t atomDataVersion_ = 1;
    mutable KaAtomColumns columns_;
    // Atom names, each stored once at an address that stays put (atoms hold
    // ids); with each, the id of its NUL-terminated form in the columns.
    std::deque<std::string> atomNames_{""};
    std::unordered_map<std::string_view, uint32_t> atomNameIds_{{atomNames_.front(), 0}};
    std::vector<uint32_t> atomNameColumnIds_{0};
    // Recent short names (up to 7 bytes, packed with their length) and their
    // ids, by a hash of the packed name: readers repeat a residue's few names.
    // The zero entry is the empty name, id 0.
    std::array<std::pair<uint64_t, uint32_t>, 64> shortNameIds_{};
    mutable bool liveStale_ = false;  // `live` is rebuilt after deletions
    std::vector<std::unique_ptr<KaAtomIntColumn>> intColumns_;
    // Residue records written through SetAtomResidue, kept side by side
    // rather than as an item per atom (no allocation per atom; addresses stay
    // put as the store grows). By index: the record's place in the store,
    // with kRemovedRecord added once the record was removed; kCompactRecord
    // plus the place of the shared fields in residueShared_ for a compact
    // record; or kNoRecord.
    static constexpr uint32_t kNoRecord = UINT32_MAX;
    static constexpr uint32_t kRemovedRecord = uint32_t(1) << 31;
    static constexpr uint32_t kCompactRecord = uint32_t(1) << 30;
    // The fields of a compact record that the columns do not hold; they
    // rarely change within a molecule, so runs of atoms share one entry.
    struct SharedResidueFields {
        int32_t modelNumber;
        int32_t reserved0;
        std::string segmentId, reserved2;
        bool Holds(const KaResidue& r) const {
            return modelNumber == r.modelNumber && reserved0 == r.reserved0 && segmentId == r.segmentId &&
                   reserved2 == r.reserved2;
        }
    };
    std::vector<SharedResidueFields> residueShared_;
    mutable KaResidueStore residueStore_;
    mutable std::vector<uint32_t> residueSlots_;
    bool atomDataWritten_ = false;
    uint32_t joinedResidueAtom_ = kNoAtom;
    mutable std::unique_ptr<KaDerivedData> derived_;
    mutable std::function<void(KaMolBase&)> pendingBonds_;
};

inline const std::vector<KaBondBase*>& KaAtomBase::Bonds() const {
    owner_->CompleteBonds();
    return bonds_;
}

// The toolkit's general molecule: an atom/bond graph with coordinates.
class KaGraphMol : public KaMolBase {
public:
    KaGraphMol() = default;
    KaMolBase* Clone() const override;
};

}  // namespace Kamol
