// A parsed selection: the shared, immutable root of a predicate tree.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>

#include "selection/predicate.h"

namespace KaSel {

// Faults in selection and selector text.
class SelectionError : public std::runtime_error {
public:
    explicit SelectionError(const std::string& message) : std::runtime_error(message), position_(0) {}
    SelectionError(const std::string& message, size_t position)
        : std::runtime_error(message), position_(position) {}
    size_t Position() const { return position_; }

private:
    size_t position_;
};

class KaSelection {
public:
    // Selects every atom (root is a TruePredicate).
    KaSelection();
    // Shares the other selection's tree.
    KaSelection(const KaSelection& other);
    KaSelection& operator=(KaSelection&& other) noexcept;
    ~KaSelection();

    // Empty text selects everything; other text is parsed. Throws
    // SelectionError for grammar faults and std::out_of_range for numbers
    // that do not fit their type.
    static KaSelection Parse(const std::string& text);

    std::string ToCanonical() const;
    // Whether the root is an always-true node.
    bool IsEmpty() const;
    // Whether any node of the tree reports `type` (pre-order walk).
    bool ContainsPredicate(PredicateType type) const;
    const Predicate& GetRoot() const;
    const PredicatePtr& GetRootPtr() const;

private:
    struct Impl;
    explicit KaSelection(PredicatePtr root);
    std::unique_ptr<Impl> impl_;
};

// Parser entry point: the root of the tree for non-empty text.
PredicatePtr ParseSelectionText(const std::string& text);

}  // namespace KaSel
