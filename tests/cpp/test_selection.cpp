// The selection object: the default selection, parse failures, queries over
// the tree, and sharing of trees between copies.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "selection/predicate.h"
#include "selection/selection.h"

using namespace KaSel;

namespace {

TEST(KaSelection, DefaultAndEmptyTextSelectEverything) {
    for (const KaSelection& selection : {KaSelection(), KaSelection::Parse("")}) {
        EXPECT_EQ(selection.ToCanonical(), "all");
        EXPECT_TRUE(selection.IsEmpty());
        EXPECT_TRUE(selection.ContainsPredicate(PredicateType::ALL_MATCH));
    }
    // IsEmpty looks only at the root.
    EXPECT_TRUE(KaSelection::Parse("////").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("all and all").IsEmpty());
    EXPECT_FALSE(KaSelection::Parse("none").IsEmpty());
}

TEST(KaSelection, ContainsPredicateWalksTheWholeTree) {
    const std::tuple<const char*, PredicateType, bool> cases[] = {
        {"sidechain", PredicateType::BACKBONE, true},
        {"byres (ligand and not water)", PredicateType::NOT, true},
        {"byres (ligand and not water)", PredicateType::OR, false},
        {"name CA+CB", PredicateType::OR, true},
        {"water or (protein and (chain A or not (ligand around 5)))", PredicateType::LIGAND, true},
        {"water or (protein and (chain A or not (ligand around 5)))", PredicateType::METAL, false},
        {"water xor protein", PredicateType::WATER, false},
        {"water", static_cast<PredicateType>(99), false}};
    for (auto [text, type, expected] : cases)
        EXPECT_EQ(KaSelection::Parse(text).ContainsPredicate(type), expected) << text << " " << int(type);
}

}  // namespace
