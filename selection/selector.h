// Residue selectors: keys NAME:NUMBER:ICODE:CHAIN that name residues, sets of
// them, and the atom predicates built from residue keys and names.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "molecule/molecule.h"
#include "system/base.h"

namespace KaSel {

// One residue of a molecule. Identity (ordering) is (chain, residue_number,
// insert_code); the name takes no part in it, but equality compares all four
// fields, so two selectors can be equivalent in a set and still unequal.
struct Selector {
    std::string name;
    int residue_number;
    std::string chain;
    std::string insert_code;

    // Empty name and chain, number 0, insert code one blank.
    Selector();
    // Insert code one blank. Note the order: name, number, chain[, insert code],
    // while the text form is NAME:NUMBER:ICODE:CHAIN. Nothing is checked or trimmed.
    Selector(std::string name, int residue_number, std::string chain);
    Selector(std::string name, int residue_number, std::string chain, std::string insert_code);

    // Parses NAME:NUMBER:ICODE:CHAIN. Fields are trimmed of blanks and tabs
    // unless they hold nothing else (so a blank insert code survives); the
    // number is read like std::stoi. Throws SelectionError.
    static Selector FromString(const std::string& text);
    // The residue of the atom, from its residue record: chain is the first
    // character of the chain id (a blank when empty), insert code one character.
    static Selector FromAtom(const Kamol::KaAtomBase& atom);
    // name:number:insert_code:chain, nothing trimmed or padded.
    std::string ToString() const;

    bool operator<(const Selector& other) const {
        if (chain != other.chain) return chain < other.chain;
        if (residue_number != other.residue_number) return residue_number < other.residue_number;
        return insert_code < other.insert_code;
    }
    bool operator>(const Selector& other) const { return other < *this; }
    bool operator<=(const Selector& other) const { return !(other < *this); }
    bool operator>=(const Selector& other) const { return !(*this < other); }
    bool operator==(const Selector& other) const {
        return residue_number == other.residue_number && name == other.name && chain == other.chain &&
               insert_code == other.insert_code;
    }
    bool operator!=(const Selector& other) const { return !(*this == other); }
};

using SelectorSet = std::set<Selector>;
using StringSet = std::set<std::string>;

// Selectors from a list separated by runs of commas, semicolons, ampersands,
// tabs or line feeds; pieces are trimmed of blanks, tabs, CR and LF and empty
// pieces skipped. The first piece with a given residue key wins. The first
// malformed piece throws its SelectionError; nothing is returned then.
SelectorSet parse_selector_set(const std::string& text);

// One selector per residue key of the molecule, named after the first atom met.
SelectorSet mol_to_selector_set(const Kamol::KaMolBase& mol);

// Selector::FromAtom(atom).ToString().
std::string get_selector_string(const Kamol::KaAtomBase& atom);

// Text forms of the residues of the atoms the selection selects (empty text
// selects every atom). Parse errors propagate as SelectionError.
StringSet str_selector_set(const Kamol::KaMolBase& mol, const std::string& selection);

// The same texts in residue order, as a residue list is read: by chain, then
// residue number, then insert code (the order of selector sets); texts of one
// residue key under different names follow in string order.
std::vector<std::string> ordered_selector_strings(const Kamol::KaMolBase& mol, const std::string& selection);
// The same for atoms already selected: `selected` holds atom indices in
// storage order, as EvaluateSelection and KaSelect::SelectAll return them.
std::vector<std::string> ordered_selector_strings(const Kamol::KaMolBase& mol,
                                                  const std::vector<unsigned int>& selected);

// The residue of the first atom, in storage order, whose residue key was met
// before in a separate run of atoms (other residues in between), or that
// starts the residue a structure reader joined atoms of a later copy to
// (KaMolBase::JoinedResidueAtom); none when each key forms one run and no
// residue was joined. Such a key names several copies of a residue (an
// assembly, a lattice, a solvent box, chains repeated under one chain id),
// and byres and bychain take them all.
std::optional<Selector> first_repeated_residue(const Kamol::KaMolBase& mol);

// ---- atom predicates -------------------------------------------------------

using AtomPredicate = KaSystem::KaUnaryPredicate<Kamol::KaAtomBase>;

// True for atoms whose residue key (chain, number, insert code) is in the set;
// the residue name plays no part.
class KaResidueSelector : public AtomPredicate {
public:
    // Parses the text with parse_selector_set; its SelectionError propagates.
    explicit KaResidueSelector(const std::string& text);
    explicit KaResidueSelector(const SelectorSet& selectors);
    KaResidueSelector(const KaResidueSelector& other) = default;

    bool operator()(const Kamol::KaAtomBase& atom) const override;
    KaResidueSelector* Clone() const override { return new KaResidueSelector(*this); }

    const SelectorSet& GetSelectors() const { return selectors_; }

private:
    void BuildKeys();

    SelectorSet selectors_;
    // Packed (chain byte, insert code byte, number) of the selectors an atom
    // can match (one-byte chain and insert code), sorted; lookups allocate nothing.
    std::vector<uint64_t> keys_;
};

// Lower-cases ASCII letters unless caseSensitive; strips blanks and tabs at
// both ends unless whitespaceSensitive.
std::string NormalizeName(const std::string& text, bool caseSensitive, bool whitespaceSensitive);

// Equality with a name normalised once at construction; candidates are
// normalised on the fly, without copying them.
class NameMatcher {
public:
    NameMatcher(const std::string& name, bool caseSensitive, bool whitespaceSensitive)
        : name_(NormalizeName(name, caseSensitive, whitespaceSensitive)),
          caseSensitive_(caseSensitive),
          whitespaceSensitive_(whitespaceSensitive) {}
    bool Matches(std::string_view candidate) const;

    const std::string& GetName() const { return name_; }
    bool IsCaseSensitive() const { return caseSensitive_; }
    bool IsWhitespaceSensitive() const { return whitespaceSensitive_; }

private:
    std::string name_;
    bool caseSensitive_;
    bool whitespaceSensitive_;
};

// True for atoms whose residue name (up to its first NUL) matches.
class KaHasResidueName : public AtomPredicate {
public:
    explicit KaHasResidueName(const std::string& name, bool caseSensitive = false,
                              bool whitespaceSensitive = false)
        : matcher_(name, caseSensitive, whitespaceSensitive) {}
    KaHasResidueName(const KaHasResidueName& other) = default;

    bool operator()(const Kamol::KaAtomBase& atom) const override;
    KaHasResidueName* Clone() const override { return new KaHasResidueName(*this); }

    const NameMatcher& GetMatcher() const { return matcher_; }

private:
    NameMatcher matcher_;
};

// True for atoms whose own name matches.
class KaHasAtomNameAdvanced : public AtomPredicate {
public:
    explicit KaHasAtomNameAdvanced(const std::string& name, bool caseSensitive = false,
                                   bool whitespaceSensitive = false)
        : matcher_(name, caseSensitive, whitespaceSensitive) {}
    KaHasAtomNameAdvanced(const KaHasAtomNameAdvanced& other) = default;

    bool operator()(const Kamol::KaAtomBase& atom) const override;
    KaHasAtomNameAdvanced* Clone() const override { return new KaHasAtomNameAdvanced(*this); }

    const NameMatcher& GetMatcher() const { return matcher_; }

private:
    NameMatcher matcher_;
};

}  // namespace KaSel
