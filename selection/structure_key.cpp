#include "selection/structure_key.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace KaSel {

namespace {

void AppendKey(const Predicate& node, std::string& out);

// A float by its bits, so that values which print alike stay apart.
void AppendExact(float value, std::string& out) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    out += std::to_string(bits);
}

template <class T>
const T* As(const Predicate& node) {
    return dynamic_cast<const T*>(&node);
}

const float* DistanceOf(const Predicate& node) {
    if (auto* around = As<AroundPredicate>(node)) return &around->distance;
    if (auto* expand = As<ExpandPredicate>(node)) return &expand->distance;
    if (auto* beyond = As<BeyondPredicate>(node)) return &beyond->distance;
    return nullptr;
}

// Operands sorted, as "and"/"or" select alike in any order.
void AppendOperands(const PredicateList& children, std::string& out) {
    std::vector<std::string> keys;
    keys.reserve(children.size());
    for (const PredicatePtr& child : children) {
        keys.emplace_back();
        AppendKey(*child, keys.back());
    }
    std::sort(keys.begin(), keys.end());
    for (const std::string& key : keys) out += key;
}

// Every node's key is "(" kind ... ")" with its operands' keys inside and
// leaf texts prefixed by their length, so a key never reads as another.
void AppendKey(const Predicate& node, std::string& out) {
    out += '(';
    out += std::to_string(static_cast<int>(node.GetType()));
    const PredicateList children = node.GetChildren();
    if (const float* distance = DistanceOf(node)) {
        out += ' ';
        out += FormatNumber(*distance);
        AppendOperands(children, out);
    } else if (auto* b = As<BFactorPredicate>(node)) {
        out += ' ';
        out += std::to_string(b->comparison);
        out += ' ';
        AppendExact(b->low, out);
        out += ' ';
        AppendExact(b->high, out);
    } else if (!children.empty()) {
        AppendOperands(children, out);
    } else {
        // The other leaves print every value they hold exactly; the text also
        // tells apart kinds that share a type (backbone and sidechain).
        const std::string text = node.ToString();
        out += ' ';
        out += std::to_string(text.size());
        out += ':';
        out += text;
    }
    out += ')';
}

}  // namespace

std::string StructureKey(const Predicate& node) {
    std::string key;
    AppendKey(node, key);
    return key;
}

}  // namespace KaSel
