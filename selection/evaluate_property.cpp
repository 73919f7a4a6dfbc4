// Atom property predicates: names, residue fields, element, index.
//
// The batch forms read the molecule's per-index columns (atomic numbers,
// residue records) and view text fields in place, so no string is built per atom.
#include <string_view>

#include "molecule/residue.h"
#include "selection/evaluate_internal.h"

namespace KaSel {

using detail::AtomSpan;
using detail::CText;
using detail::FilterAtoms;

namespace {

// "*" matches any run of bytes (including none), "?" exactly one byte; a "*"
// in the text meeting a "*" in the pattern is consumed as a plain byte first.
bool WildcardMatch(std::string_view pattern, std::string_view text) {
    size_t i = 0, j = 0;
    size_t star = std::string_view::npos, mark = 0;
    const size_t m = pattern.size(), n = text.size();
    while (j < n) {
        if (i < m && (pattern[i] == '?' || pattern[i] == text[j])) {
            ++i;
            ++j;
        } else if (i < m && pattern[i] == '*') {
            star = i + 1;
            mark = j;
            ++i;
        } else if (star == std::string_view::npos) {
            return false;
        } else {
            ++mark;
            i = star;
            j = mark;
        }
    }
    while (i < m && pattern[i] == '*') ++i;
    return i == m;
}

// Spaces stripped from both ends; a text made only of spaces stays as it is.
std::string_view TrimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return text;
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool MatchesPattern(const std::string& pattern, bool hasWildcard, std::string_view text) {
    return hasWildcard ? WildcardMatch(pattern, text) : text == pattern;
}

std::string_view AtomName(const Kamol::KaAtomBase& atom) { return TrimSpaces(CText(atom.Name())); }

char ChainKey(const Kamol::KaResidue& residue) {
    char first = residue.chainId.c_str()[0];
    return first == '\0' ? ' ' : first;
}

template <class T>
bool Compare(T value, T low, T high, int32_t comparison) {
    switch (comparison) {
        case Equal: return value == low;
        case Less: return value < low;
        case LessEqual: return value <= low;
        case Greater: return value > low;
        case GreaterEqual: return value >= low;
        case Range: return low <= value && value <= high;
        default: return false;
    }
}

// Batch form of a test on the residue record.
template <class Test>
void FilterByResidue(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted, Test&& test) {
    const std::vector<const Kamol::KaResidue*>& residues = context.GetMolecule().Columns().residues;
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return test(*residues[index]); });
}

// Batch form of a numeric comparison of one residue field; the comparison is
// resolved once per call, not per atom.
template <class T, class Field>
void CompareResidueField(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted,
                         T low, T high, int32_t comparison, Field field) {
    auto run = [&](auto test) {
        FilterByResidue(context, atoms, accepted, [&](const Kamol::KaResidue& residue) { return test(field(residue)); });
    };
    switch (comparison) {
        case Equal: return run([low](T v) { return v == low; });
        case Less: return run([low](T v) { return v < low; });
        case LessEqual: return run([low](T v) { return v <= low; });
        case Greater: return run([low](T v) { return v > low; });
        case GreaterEqual: return run([low](T v) { return v >= low; });
        case Range: return run([low, high](T v) { return low <= v && v <= high; });
        default: return;
    }
}

}  // namespace

// ---- name, resn ---------------------------------------------------------------

bool NamePredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return MatchesPattern(pattern, hasWildcard, AtomName(atom));
}

void NamePredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    const std::vector<const Kamol::KaAtomBase*>& table = context.GetMolecule().Columns().atoms;
    FilterAtoms(atoms, accepted,
                [&](uint32_t index) { return MatchesPattern(pattern, hasWildcard, AtomName(*table[index])); });
}

bool ResnPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return MatchesPattern(pattern, hasWildcard, CText(Kamol::GetAtomResidue(atom).residueName));
}

void ResnPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    FilterByResidue(context, atoms, accepted, [&](const Kamol::KaResidue& residue) {
        return MatchesPattern(pattern, hasWildcard, CText(residue.residueName));
    });
}

// ---- chain, alt ---------------------------------------------------------------

bool ChainPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return value.size() == 1 && ChainKey(Kamol::GetAtomResidue(atom)) == value[0];
}

void ChainPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (value.size() != 1) return;
    const char wanted = value[0];
    FilterByResidue(context, atoms, accepted,
                    [wanted](const Kamol::KaResidue& residue) { return ChainKey(residue) == wanted; });
}

bool AltPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return value.size() == 1 && Kamol::GetAtomResidue(atom).alternateLocation == value[0];
}

void AltPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (value.size() != 1) return;
    const char wanted = value[0];
    FilterByResidue(context, atoms, accepted,
                    [wanted](const Kamol::KaResidue& residue) { return residue.alternateLocation == wanted; });
}

// ---- elem, index ----------------------------------------------------------------

bool ElemPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return atom.GetAtomicNum() == atomicNumber;
}

void ElemPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    const std::vector<uint32_t>& atomicNums = context.GetMolecule().Columns().atomicNums;
    const uint32_t wanted = atomicNumber;
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return atomicNums[index] == wanted; });
}

bool IndexPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<uint32_t>(atom.GetIndex(), low, high, comparison);
}

void IndexPredicate::SelectFrom(const SelectionContext&, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return Compare<uint32_t>(index, low, high, comparison); });
}

// ---- residue numbers, serials, fragments, B-factors -----------------------------

bool ResiPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<int32_t>(Kamol::GetAtomResidue(atom).residueNumber, low, high, comparison);
}

void ResiPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    CompareResidueField<int32_t>(context, atoms, accepted, low, high, comparison,
                                 [](const Kamol::KaResidue& r) { return r.residueNumber; });
}

bool IdPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<int32_t>(Kamol::GetAtomResidue(atom).serialNumber, low, high, comparison);
}

void IdPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    CompareResidueField<int32_t>(context, atoms, accepted, low, high, comparison,
                                 [](const Kamol::KaResidue& r) { return r.serialNumber; });
}

bool FragmentPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<uint32_t>(Kamol::GetAtomResidue(atom).fragmentNumber, low, high, comparison);
}

void FragmentPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms,
                                   std::vector<uint32_t>& accepted) const {
    CompareResidueField<uint32_t>(context, atoms, accepted, low, high, comparison,
                                  [](const Kamol::KaResidue& r) { return r.fragmentNumber; });
}

bool BFactorPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<float>(Kamol::GetAtomResidue(atom).bFactor, low, high, comparison);
}

void BFactorPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    CompareResidueField<float>(context, atoms, accepted, low, high, comparison,
                               [](const Kamol::KaResidue& r) { return r.bFactor; });
}

}  // namespace KaSel
