// Common base of atoms, bonds and molecules: a lazily created generic data
// store of typed items keyed by tags.
#pragma once

#include <cstdint>
#include <memory>
#include <typeinfo>
#include <utility>
#include <vector>

namespace KaSystem {

using KaTag = uint32_t;

// Process-wide registry: every distinct name gets one id, stable for the life
// of the process; a null name gives 0. Ids up to kLastPredefinedTag are the
// toolkit's predefined tags.
KaTag TagFromName(const char* name);
constexpr KaTag kLastPredefinedTag = 63;

// Sends the generic-data type-mismatch warning to the message handler.
void ReportDataTypeMismatch();

class KaBaseData {
public:
    KaBaseData(KaTag tag, const std::type_info& type) : tag_(tag), type_(&type) {}
    virtual ~KaBaseData() = default;
    KaTag GetTag() const { return tag_; }
    // Type identity is the type_info, which compares equal across shared
    // libraries (by name), unlike addresses of per-library statics.
    bool HoldsType(const std::type_info& type) const { return *type_ == type; }
    const std::type_info& Type() const { return *type_; }
    // Address of the held value (of the type Type() names).
    virtual void* Value() = 0;
    virtual KaBaseData* Clone() const = 0;

private:
    KaTag tag_;
    const std::type_info* type_;
};

template <class T>
class KaBaseDataT : public KaBaseData {
public:
    KaBaseDataT(KaTag tag, T value) : KaBaseData(tag, typeid(T)), value(std::move(value)) {}
    void* Value() override { return &value; }
    KaBaseData* Clone() const override { return new KaBaseDataT<T>(GetTag(), value); }
    T value;
};

// The data store proper: items in insertion order, at most one per tag.
class KaBaseImpl {
public:
    KaBaseImpl() = default;
    KaBaseImpl(const KaBaseImpl& other);
    KaBaseData* Find(KaTag tag) const;
    void Append(std::unique_ptr<KaBaseData> item) { items_.push_back(std::move(item)); }
    bool Remove(KaTag tag);
    size_t Size() const { return items_.size(); }

private:
    std::vector<std::unique_ptr<KaBaseData>> items_;
};

// Where a stored value is: its type and address, or two nulls.
struct KaDataSlot {
    const std::type_info* type = nullptr;
    void* value = nullptr;
};

class KaBase {
public:
    KaBase() = default;
    KaBase(const KaBase& other);
    KaBase& operator=(const KaBase& other);
    virtual ~KaBase();

    bool HasData(KaTag tag) const { return HasOwnData(tag) || HasExternal(tag); }
    // Whether the object's own list holds an item with the tag (values kept
    // outside it, see FindExternal, not counted).
    bool HasOwnData(KaTag tag) const { return impl_ && impl_->Find(tag); }

    // The stored value, or null when there is no item with the tag; an item
    // of another type sends the mismatch warning and also gives null.
    template <class T>
    const T* GetData(KaTag tag) const {
        KaDataSlot slot = FindSlot(tag);
        if (!slot.value) return nullptr;
        if (*slot.type != typeid(T)) {
            ReportDataTypeMismatch();
            return nullptr;
        }
        return static_cast<const T*>(slot.value);
    }

    // The stored value when the item with the tag holds a T; null otherwise,
    // without the mismatch warning (for callers that only probe).
    template <class T>
    const T* PeekData(KaTag tag) const {
        KaDataSlot slot = FindSlot(tag);
        return slot.value && *slot.type == typeid(T) ? static_cast<const T*>(slot.value) : nullptr;
    }

    // Writes or overwrites the value; false (after the mismatch warning) when
    // an item of another type holds the tag.
    template <class T>
    bool SetData(KaTag tag, T value) {
        KaDataSlot slot = FindSlot(tag);
        if (slot.value) {
            if (*slot.type != typeid(T)) {
                ReportDataTypeMismatch();
                return false;
            }
            *static_cast<T*>(slot.value) = std::move(value);
        } else {
            if (!impl_) impl_ = std::make_unique<KaBaseImpl>();
            impl_->Append(std::make_unique<KaBaseDataT<T>>(tag, std::move(value)));
        }
        DataChanged(tag);
        return true;
    }

    bool RemoveData(KaTag tag);

protected:
    // Called after every successful write or removal; lets owners track
    // changes that invalidate derived tables.
    virtual void DataChanged(KaTag) {}
    // Values kept outside the object's own list (an atom's value kept in a
    // column of its molecule). They are consulted only for tags the own list
    // does not hold, and read and written like own items.
    virtual KaDataSlot FindExternal(KaTag) const { return {}; }
    // Whether FindExternal would find a value, without needing its address.
    virtual bool HasExternal(KaTag tag) const { return FindExternal(tag).value != nullptr; }
    virtual bool RemoveExternal(KaTag) { return false; }

private:
    // The value under the tag, own list first.
    KaDataSlot FindSlot(KaTag tag) const {
        if (impl_)
            if (KaBaseData* item = impl_->Find(tag)) return {&item->Type(), item->Value()};
        return FindExternal(tag);
    }

    std::unique_ptr<KaBaseImpl> impl_;
};

// The toolkit's polymorphic iterator; whoever obtains one deletes it.
template <class T>
class KaIterBase {
public:
    virtual ~KaIterBase() = default;
    virtual bool IsValid() const = 0;
    virtual T& Current() const = 0;
    virtual void Next() = 0;
};

// Iterator over a vector of pointers, skipping null entries.
template <class T>
class KaPtrVectorIter : public KaIterBase<T> {
public:
    explicit KaPtrVectorIter(const std::vector<T*>& items) : items_(items) { Skip(); }
    bool IsValid() const override { return pos_ < items_.size(); }
    T& Current() const override { return *items_[pos_]; }
    void Next() override {
        ++pos_;
        Skip();
    }

private:
    void Skip() {
        while (pos_ < items_.size() && items_[pos_] == nullptr) ++pos_;
    }
    const std::vector<T*>& items_;
    size_t pos_ = 0;
};

// Functor interfaces of the toolkit.
template <class Arg, class Result, int NArgs, int Kind>
class KaUnaryFunction {
public:
    virtual ~KaUnaryFunction() = default;
    virtual Result operator()(const Arg& arg) const = 0;
};

template <class Arg>
class KaUnaryPredicate : public KaUnaryFunction<Arg, bool, 1, 1> {
public:
    virtual KaUnaryPredicate* Clone() const = 0;
};

}  // namespace KaSystem
