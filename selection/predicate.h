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
    // Leaves keep both forms, sharing their test: Evaluate reads the atom's
    // own records (it may belong to another molecule), the batch form reads
    // the bound molecule's columns with tables resolved once per call, and
    // one index through the batch form would cost a vector per atom.
    virtual void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                            std::vector<uint32_t>& accepted) const;
};

// Every node class below overrides Evaluate, ToString, GetType and SelectFrom;
// the intermediate bases only hold the operands and values a kind stores.

// ---- combinators -----------------------------------------------------------

class CombinationPredicate : public Predicate {
public:
    explicit CombinationPredicate(PredicateList children) : children(std::move(children)) {}
    PredicateList GetChildren() const override { return children; }
    const PredicateList children;
};

// True when every operand is, asked in order; true for none.
class AndPredicate : public CombinationPredicate {
public:
    explicit AndPredicate(PredicateList children) : CombinationPredicate(std::move(children)) {}
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// True when some operand is, asked in order; false for none.
class OrPredicate : public CombinationPredicate {
public:
    explicit OrPredicate(PredicateList children) : CombinationPredicate(std::move(children)) {}
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class UnaryPredicate : public Predicate {
public:
    explicit UnaryPredicate(PredicatePtr inner) : inner(std::move(inner)) {}
    PredicateList GetChildren() const override { return {inner}; }
    const PredicatePtr inner;
};

class NotPredicate : public UnaryPredicate {
public:
    using UnaryPredicate::UnaryPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Every atom of every residue holding an atom of `inner`.
class ByResPredicate : public UnaryPredicate {
public:
    using UnaryPredicate::UnaryPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Every atom of every chain holding an atom of `inner`.
class ByChainPredicate : public UnaryPredicate {
public:
    using UnaryPredicate::UnaryPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Atoms strictly within `distance` of an atom of `inner` (its magnitude counts).
class DistancePredicate : public Predicate {
public:
    DistancePredicate(float distance, PredicatePtr inner) : distance(distance), inner(std::move(inner)) {}
    PredicateList GetChildren() const override { return {inner}; }
    const float distance;
    const PredicatePtr inner;
};

// Within the distance, the inner atoms themselves excluded.
class AroundPredicate : public DistancePredicate {
public:
    using DistancePredicate::DistancePredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Within the distance, the inner atoms included.
class ExpandPredicate : public DistancePredicate {
public:
    using DistancePredicate::DistancePredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Not within the distance of any inner atom.
class BeyondPredicate : public DistancePredicate {
public:
    using DistancePredicate::DistancePredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// ---- text predicates -------------------------------------------------------

// A name pattern: "*" matches any run of bytes, "?" one byte.
class PatternPredicate : public Predicate {
public:
    explicit PatternPredicate(std::string pattern)
        : pattern(std::move(pattern)), hasWildcard(this->pattern.find_first_of("*?") != std::string::npos) {}
    const std::string pattern;
    const bool hasWildcard;
};

// The atom name, spaces around it trimmed.
class NamePredicate : public PatternPredicate {
public:
    using PatternPredicate::PatternPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The residue name as stored.
class ResnPredicate : public PatternPredicate {
public:
    using PatternPredicate::PatternPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// One character compared with one field; a value of another length matches nothing.
class ValuePredicate : public Predicate {
public:
    explicit ValuePredicate(std::string value) : value(std::move(value)) {}
    const std::string value;
};

// The first character of the chain id (a blank when empty).
class ChainPredicate : public ValuePredicate {
public:
    using ValuePredicate::ValuePredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The alternate location.
class AltPredicate : public ValuePredicate {
public:
    using ValuePredicate::ValuePredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class ElemPredicate : public Predicate {
public:
    // atomicNumber from the element lookup of the text as given; symbol with
    // its first byte upper-cased and the rest lower-cased.
    explicit ElemPredicate(const std::string& text);
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
    const uint32_t atomicNumber;
    const std::string symbol;
};

// ---- numeric predicates ----------------------------------------------------

// A value compared with `low` (or, for Range, with low..high inclusive). The
// (value, comparison) constructor takes the enumeration so that it stays
// distinct from (low, high) when T is itself a 32-bit signed integer.
template <class T>
class NumericPredicate : public Predicate {
public:
    NumericPredicate(T low, T high) : low(low), high(high), comparison(Range) {}
    NumericPredicate(T value, Comparison comparison) : low(value), high(0), comparison(comparison) {}
    const T low;
    const T high;
    const int32_t comparison;
};

// The residue number.
class ResiPredicate : public NumericPredicate<int32_t> {
public:
    using NumericPredicate::NumericPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The serial number from the file.
class IdPredicate : public NumericPredicate<int32_t> {
public:
    using NumericPredicate::NumericPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The atom index.
class IndexPredicate : public NumericPredicate<uint32_t> {
public:
    using NumericPredicate::NumericPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The fragment number.
class FragmentPredicate : public NumericPredicate<uint32_t> {
public:
    using NumericPredicate::NumericPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The B-factor.
class BFactorPredicate : public NumericPredicate<float> {
public:
    using NumericPredicate::NumericPredicate;
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// ---- classes, structure and constants ---------------------------------------

// Residues named as amino acids (component marks).
class ProteinPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Residues in none of the name tables.
class LigandPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class WaterPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Water and solvent residues.
class SolventPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Carbon or bonded to carbon, outside protein and nucleic acids.
class OrganicPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// N, CA, C, O of protein residues.
class BackbonePredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Protein atoms other than N, CA, C, O and OXT (kind BACKBONE: side chains have no kind of their own).
class SidechainPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class MetalPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Residues ACE and NME.
class CappingPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Atomic number above 1.
class HeavyPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class HydrogenPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Hydrogens bonded to N, O or S.
class PolarHydrogenPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class NonpolarHydrogenPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Secondary-structure flags of the residue record.
class HelixPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class SheetPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

class TurnPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// None of helix, sheet and turn.
class LoopPredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Selects every atom (text "all"); made by KaSelection itself and, as TruePredicateImpl, by the parser.
class TruePredicate : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// Selects nothing (text "none").
class FalsePredicateImpl : public Predicate {
public:
    bool Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const override;
    std::string ToString() const override;
    PredicateType GetType() const override;
    void SelectFrom(const SelectionContext& context, std::span<const uint32_t> atoms,
                    std::vector<uint32_t>& accepted) const override;
};

// The parser's name for the node that selects every atom: one class, two names.
using TruePredicateImpl = TruePredicate;

// "%g" with 6 significant digits, as used for distances and B-factors.
std::string FormatNumber(float value);

}  // namespace KaSel
