#include "system/base.h"

#include <mutex>
#include <string>
#include <unordered_map>

#include "system/message.h"

namespace KaSystem {

namespace {
struct TagRegistry {
    // The residue record travels under predefined tag 35.
    TagRegistry() { ids.emplace("Residue", 35); }
    std::mutex mutex;
    std::unordered_map<std::string, KaTag> ids;
    KaTag next = kLastPredefinedTag + 1;
};

TagRegistry& Registry() {
    static TagRegistry* registry = new TagRegistry();
    return *registry;
}
}  // namespace

KaTag TagFromName(const char* name) {
    if (!name) return 0;
    TagRegistry& registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto [it, inserted] = registry.ids.try_emplace(name, registry.next);
    if (inserted) ++registry.next;
    return it->second;
}

void ReportDataTypeMismatch() { WarningText("data type mismatch found when using generic data"); }

KaBaseImpl::KaBaseImpl(const KaBaseImpl& other) {
    items_.reserve(other.items_.size());
    for (const auto& item : other.items_) items_.emplace_back(item->Clone());
}

KaBaseData* KaBaseImpl::Find(KaTag tag) const {
    for (const auto& item : items_)
        if (item->GetTag() == tag) return item.get();
    return nullptr;
}

bool KaBaseImpl::Remove(KaTag tag) {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
        if ((*it)->GetTag() == tag) {
            items_.erase(it);
            return true;
        }
    }
    return false;
}

KaBase::KaBase(const KaBase& other)
    : impl_(other.impl_ ? std::make_unique<KaBaseImpl>(*other.impl_) : nullptr) {}

KaBase& KaBase::operator=(const KaBase& other) {
    if (this != &other) impl_ = other.impl_ ? std::make_unique<KaBaseImpl>(*other.impl_) : nullptr;
    return *this;
}

KaBase::~KaBase() = default;

bool KaBase::RemoveData(KaTag tag) {
    bool removed = (impl_ && impl_->Remove(tag)) || RemoveExternal(tag);
    if (removed) DataChanged(tag);
    return removed;
}

}  // namespace KaSystem
