#include "selection/result_memo.h"

#include <vector>

namespace KaSel {

bool ResultMemo::Contains(ResultKind kind, const std::string& text) const {
    return entries_.contains(Key{kind, text});
}

AtomMask& ResultMemo::Entry(ResultKind kind, const std::string& text) { return entries_[Key{kind, text}]; }

void ResultMemo::Set(ResultKind kind, const std::string& text, AtomMask result) {
    entries_[Key{kind, text}] = std::move(result);
}

const AtomMask* ResultMemo::Find(const Key& key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

const AtomMask& ResultMemo::Store(Key key, AtomMask result) {
    return entries_.insert_or_assign(std::move(key), std::move(result)).first->second;
}

void ResultMemo::Pin(PredicatePtr root) {
    byNode_.clear();
    pinnedRoot_ = std::move(root);
    if (!pinnedRoot_) return;
    std::vector<const Predicate*> pending{pinnedRoot_.get()};
    while (!pending.empty()) {
        const Predicate* node = pending.back();
        pending.pop_back();
        switch (node->GetType()) {
            case PredicateType::BY_RES:
            case PredicateType::BY_CHAIN:
            case PredicateType::AROUND:
            case PredicateType::EXPAND:
            case PredicateType::BEYOND: byNode_.emplace(node, nullptr); break;
            default: break;
        }
        for (const PredicatePtr& child : node->GetChildren()) pending.push_back(child.get());
    }
}

const AtomMask* ResultMemo::Remembered(const Predicate& node) const {
    if (byNode_.empty()) return nullptr;
    auto it = byNode_.find(&node);
    return it == byNode_.end() ? nullptr : it->second;
}

void ResultMemo::Remember(const Predicate& node, const AtomMask& result) {
    auto it = byNode_.find(&node);
    if (it != byNode_.end()) it->second = &result;
}

}  // namespace KaSel
