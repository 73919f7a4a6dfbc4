// The predicate tree of a parsed selection: one immutable node class per kind.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Kamol {
class KaAtomBase;
}

namespace KaSel {

class SelectionContext;

enum class PredicateType : int {
    AND = 0,
    OR,
    NOT,
    XOR,
    NAME,
    RESN,
    RESI,
    CHAIN,
    ELEM,
    INDEX,
    ID,
    ALT,
    B_FACTOR,
    FRAGMENT,
    SECONDARY_STRUCTURE,
    PROTEIN,
    LIGAND,
    WATER,
    SOLVENT,
    ORGANIC,
    BACKBONE,
    METAL,
    CAPPING,
    HEAVY,
    HYDROGEN,
    POLAR_HYDROGEN,
    NONPOLAR_HYDROGEN,
    BY_RES,
    BY_CHAIN,
    AROUND,
    EXPAND,
    BEYOND,
    HELIX,
    SHEET,
    TURN,
    LOOP,
    ALL_MATCH,
    NO_MATCH,
};

// Comparison codes of the numeric predicates.
enum Comparison : int32_t { Equal = 0, Less = 1, LessEqual = 2, Greater = 3, GreaterEqual = 4, Range = 5 };

class Predicate;
using PredicatePtr = std::shared_ptr<const Predicate>;
using PredicateList = std::vector<PredicatePtr>;

class Predicate {
public:
    virtual ~Predicate() = default;
    // Whether one atom is selected.
    virtual bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const = 0;
    // Canonical text of the subtree.
    virtual std::string ToString() const = 0;
    virtual PredicateType GetType() const = 0;
    // A copy of the direct operands, in stored order.
    virtual PredicateList GetChildren() const { return {}; }
    // Batch form of Evaluate: appends to `accepted`, in order, those of
    // `atoms` (ascending indices of live atoms of the context's molecule)
    // that Evaluate would accept, running exactly the predicates that
    // per-atom evaluation would run.
    virtual void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                            std::vector<uint32_t>& accepted) const;
};

#define KASEL_PREDICATE_OPERATIONS                                                                   \
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;  \
    std::string ToString() const override;                                                         \
    PredicateType GetType() const override;                                                        \
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,              \
                    std::vector<uint32_t>& accepted) const override;

// ---- combinators -----------------------------------------------------------

class AndPredicate : public Predicate {
public:
    explicit AndPredicate(PredicateList children) : children(std::move(children)) {}
    KASEL_PREDICATE_OPERATIONS
    PredicateList GetChildren() const override { return children; }
    const PredicateList children;
};

class OrPredicate : public Predicate {
public:
    explicit OrPredicate(PredicateList children) : children(std::move(children)) {}
    KASEL_PREDICATE_OPERATIONS
    PredicateList GetChildren() const override { return children; }
    const PredicateList children;
};

#define KASEL_UNARY_PREDICATE(Class)                                       \
    class Class : public Predicate {                                       \
    public:                                                                \
        explicit Class(PredicatePtr inner) : inner(std::move(inner)) {}    \
        KASEL_PREDICATE_OPERATIONS                                         \
        PredicateList GetChildren() const override { return {inner}; }    \
        const PredicatePtr inner;                                          \
    };

KASEL_UNARY_PREDICATE(NotPredicate)
KASEL_UNARY_PREDICATE(ByResPredicate)
KASEL_UNARY_PREDICATE(ByChainPredicate)

#define KASEL_DISTANCE_PREDICATE(Class)                                                      \
    class Class : public Predicate {                                                         \
    public:                                                                                  \
        Class(float distance, PredicatePtr inner) : distance(distance), inner(std::move(inner)) {} \
        KASEL_PREDICATE_OPERATIONS                                                           \
        PredicateList GetChildren() const override { return {inner}; }                      \
        const float distance;                                                                \
        const PredicatePtr inner;                                                            \
    };

KASEL_DISTANCE_PREDICATE(AroundPredicate)
KASEL_DISTANCE_PREDICATE(ExpandPredicate)
KASEL_DISTANCE_PREDICATE(BeyondPredicate)

// ---- text predicates -------------------------------------------------------

#define KASEL_PATTERN_PREDICATE(Class)                                                       \
    class Class : public Predicate {                                                         \
    public:                                                                                  \
        explicit Class(std::string pattern)                                                  \
            : pattern(std::move(pattern)),                                                   \
              hasWildcard(this->pattern.find_first_of("*?") != std::string::npos) {}         \
        KASEL_PREDICATE_OPERATIONS                                                           \
        const std::string pattern;                                                           \
        const bool hasWildcard;                                                              \
    };

KASEL_PATTERN_PREDICATE(NamePredicate)
KASEL_PATTERN_PREDICATE(ResnPredicate)

#define KASEL_VALUE_PREDICATE(Class)                                   \
    class Class : public Predicate {                                   \
    public:                                                            \
        explicit Class(std::string value) : value(std::move(value)) {} \
        KASEL_PREDICATE_OPERATIONS                                     \
        const std::string value;                                       \
    };

KASEL_VALUE_PREDICATE(ChainPredicate)
KASEL_VALUE_PREDICATE(AltPredicate)

class ElemPredicate : public Predicate {
public:
    // atomicNumber from the element lookup of the text as given; symbol with
    // its first byte upper-cased and the rest lower-cased.
    explicit ElemPredicate(const std::string& text);
    KASEL_PREDICATE_OPERATIONS
    const uint32_t atomicNumber;
    const std::string symbol;
};

// ---- numeric predicates ----------------------------------------------------

// The (value, comparison) constructor takes the enumeration so that it stays
// distinct from (low, high) when T is itself a 32-bit signed integer.
#define KASEL_NUMERIC_PREDICATE(Class, T)                                                      \
    class Class : public Predicate {                                                           \
    public:                                                                                    \
        Class(T low, T high) : low(low), high(high), comparison(Range) {}                      \
        Class(T value, Comparison comparison) : low(value), high(0), comparison(comparison) {} \
        KASEL_PREDICATE_OPERATIONS                                                             \
        const T low;                                                                           \
        const T high;                                                                          \
        const int32_t comparison;                                                              \
    };

KASEL_NUMERIC_PREDICATE(ResiPredicate, int32_t)
KASEL_NUMERIC_PREDICATE(IdPredicate, int32_t)
KASEL_NUMERIC_PREDICATE(IndexPredicate, uint32_t)
KASEL_NUMERIC_PREDICATE(FragmentPredicate, uint32_t)
KASEL_NUMERIC_PREDICATE(BFactorPredicate, float)

// ---- classes, structure and constants ---------------------------------------

#define KASEL_LEAF_PREDICATE(Class) \
    class Class : public Predicate { \
    public:                          \
        KASEL_PREDICATE_OPERATIONS   \
    };

KASEL_LEAF_PREDICATE(ProteinPredicate)
KASEL_LEAF_PREDICATE(LigandPredicate)
KASEL_LEAF_PREDICATE(WaterPredicate)
KASEL_LEAF_PREDICATE(SolventPredicate)
KASEL_LEAF_PREDICATE(OrganicPredicate)
KASEL_LEAF_PREDICATE(BackbonePredicate)
KASEL_LEAF_PREDICATE(SidechainPredicate)
KASEL_LEAF_PREDICATE(MetalPredicate)
KASEL_LEAF_PREDICATE(CappingPredicate)
KASEL_LEAF_PREDICATE(HeavyPredicate)
KASEL_LEAF_PREDICATE(HydrogenPredicate)
KASEL_LEAF_PREDICATE(PolarHydrogenPredicate)
KASEL_LEAF_PREDICATE(NonpolarHydrogenPredicate)
KASEL_LEAF_PREDICATE(HelixPredicate)
KASEL_LEAF_PREDICATE(SheetPredicate)
KASEL_LEAF_PREDICATE(TurnPredicate)
KASEL_LEAF_PREDICATE(LoopPredicate)
KASEL_LEAF_PREDICATE(TruePredicate)      // made by KaSelection itself
KASEL_LEAF_PREDICATE(TruePredicateImpl)  // made by the parser
KASEL_LEAF_PREDICATE(FalsePredicateImpl)

#undef KASEL_LEAF_PREDICATE
#undef KASEL_NUMERIC_PREDICATE
#undef KASEL_VALUE_PREDICATE
#undef KASEL_PATTERN_PREDICATE
#undef KASEL_DISTANCE_PREDICATE
#undef KASEL_UNARY_PREDICATE

// "%g" with 6 significant digits, as used for distances and B-factors.
std::string FormatNumber(float value);

}  // namespace KaSel
