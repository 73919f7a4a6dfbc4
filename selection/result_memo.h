// The whole-molecule results of grouping and distance sub-selections in one
// evaluation context: each computed once per key, kept until the context is
// destroyed, never invalidated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <utility>

#include "selection/atom_mask.h"
#include "selection/predicate.h"

namespace KaSel {

// What a memo entry holds. Kinds are kept apart: entries of different kinds
// never meet, whatever their key texts.
enum class ResultKind : uint8_t { ResidueGroup, ChainGroup, SpatialMask };

class ResultMemo {
public:
    // The result of `node`: remembered for the node when it was asked before,
    // else the entry under (kind, makeKey()), else `compute()` stored there.
    // For the nodes of the pinned tree the key is made at most once; later
    // calls for the node are one lookup by address. `compute` may ask the
    // memo for other results (nested sub-selections).
    template <class MakeKey, class Compute>
    const AtomMask& Get(const Predicate& node, ResultKind kind, MakeKey&& makeKey, Compute&& compute) {
        if (const AtomMask* known = Remembered(node)) return *known;
        Key key{kind, std::forward<MakeKey>(makeKey)()};
        const AtomMask* entry = Find(key);
        if (!entry) entry = &Store(std::move(key), std::forward<Compute>(compute)());
        Remember(node, *entry);
        return *entry;
    }

    // Keyed access to the entries of one kind: whether (kind, text) has an
    // entry; the entry, created empty when absent; the entry set to `result`.
    bool Contains(ResultKind kind, const std::string& text) const;
    AtomMask& Entry(ResultKind kind, const std::string& text);
    void Set(ResultKind kind, const std::string& text, AtomMask result);

    // Keeps `root`'s tree alive for the memo's life and lets its grouping and
    // distance nodes remember their result by address; a later Pin replaces
    // the tree (entries stay).
    void Pin(PredicatePtr root);

private:
    struct Key {
        ResultKind kind;
        std::string text;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const {
            return std::hash<std::string>{}(key.text) ^ (size_t(key.kind) * 0x9e3779b97f4a7c15u);
        }
    };

    const AtomMask* Find(const Key& key) const;
    const AtomMask& Store(Key key, AtomMask result);
    const AtomMask* Remembered(const Predicate& node) const;
    void Remember(const Predicate& node, const AtomMask& result);

    // Entries never move once made (the map's nodes are stable), so pointers
    // to them stay valid for the memo's life.
    std::unordered_map<Key, AtomMask, KeyHash> entries_;
    // The pinned tree and, for each of its grouping and distance nodes, its
    // entry once known.
    PredicatePtr pinnedRoot_;
    std::unordered_map<const Predicate*, const AtomMask*> byNode_;
};

}  // namespace KaSel
