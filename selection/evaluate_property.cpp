// Atom property predicates: names, residue fields, element, index.
//
// The batch forms read the molecule's per-index columns (atomic numbers,
// interned atom names, residue-record fields), so no string is built per atom.
#include <algorithm>
#include <string_view>

#include "molecule/residue.h"
#include "selection/evaluate_internal.h"
#include "selection/molecule_cache.h"
#include "selection/text.h"

namespace KaSel {

using detail::AtomSpan;
using detail::CText;
using detail::FilterAtoms;
using detail::PerText;

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

// Atom names are compared without surrounding spaces; a name made only of
// spaces stays as it is.
std::string_view TrimSpaces(std::string_view text) { return Trim(text, kSpaces, OnlyBlanks::Kept); }

bool MatchesPattern(const std::string& pattern, bool hasWildcard, std::string_view text) {
    return hasWildcard ? WildcardMatch(pattern, text) : text == pattern;
}

std::string_view AtomName(const Kamol::KaAtomBase& atom) { return TrimSpaces(CText(atom.Name())); }


// Calls `use(test)` with the comparison as a test of one value, chosen once:
// per atom `use` applies it to the atom's value, in batch it runs the filter
// over a whole column with the comparison already resolved. Unknown codes
// accept nothing.
template <class T, class Use>
decltype(auto) WithComparison(int32_t comparison, T low, T high, Use&& use) {
    switch (comparison) {
        case Equal: return use([low](T v) { return v == low; });
        case Less: return use([low](T v) { return v < low; });
        case LessEqual: return use([low](T v) { return v <= low; });
        case Greater: return use([low](T v) { return v > low; });
        case GreaterEqual: return use([low](T v) { return v >= low; });
        case Range: return use([low, high](T v) { return low <= v && v <= high; });
        default: return use([](T) { return false; });
    }
}

template <class T>
bool Compare(T value, T low, T high, int32_t comparison) {
    return WithComparison(comparison, low, high, [value](auto test) { return test(value); });
}

// Which of the distinct texts of a column the pattern accepts, once per call.
template <class Read>
std::vector<char> MatchTable(const std::vector<std::string>& texts, Read read, const std::string& pattern,
                             bool hasWildcard) {
    return PerText<char>(texts,
                         [&](const std::string& text) { return MatchesPattern(pattern, hasWildcard, read(text)); });
}

// Batch form of a numeric comparison of the value `valueOf(index)`.
template <class T, class ValueOf>
void CompareEach(AtomSpan atoms, std::vector<uint32_t>& accepted, ValueOf valueOf, T low, T high,
                 int32_t comparison) {
    WithComparison(comparison, low, high, [&](auto test) {
        FilterAtoms(atoms, accepted, [&](uint32_t index) { return test(valueOf(index)); });
    });
}

template <class T>
void CompareColumn(AtomSpan atoms, std::vector<uint32_t>& accepted, const std::vector<T>& column, T low, T high,
                   int32_t comparison) {
    CompareEach<T>(atoms, accepted, [&](uint32_t index) { return column[index]; }, low, high, comparison);
}

const Kamol::KaAtomColumns& AtomColumns(const SelectionContext& context) { return context.GetMolecule().Columns(); }

}  // namespace

// ---- name, resn ---------------------------------------------------------------

bool NamePredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return MatchesPattern(pattern, hasWildcard, AtomName(atom));
}

void NamePredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const Kamol::KaAtomColumns& columns = context.GetMolecule().Columns();
    const std::vector<char> matches = MatchTable(
        columns.atomNames.Texts(), [](const std::string& name) { return TrimSpaces(name); }, pattern, hasWildcard);
    const uint32_t* nameIds = columns.nameIds.data();
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return matches[nameIds[index]] != 0; });
}

bool ResnPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return MatchesPattern(pattern, hasWildcard, CText(Kamol::GetAtomResidue(atom).residueName));
}

void ResnPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const Kamol::KaAtomColumns& columns = context.GetMolecule().Columns();
    const std::vector<char> matches = MatchTable(
        columns.residueNames.Texts(), [](const std::string& name) { return std::string_view(name); }, pattern,
        hasWildcard);
    const uint32_t* nameIds = columns.residueNameIds.data();
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return matches[nameIds[index]] != 0; });
}

// ---- chain, alt ---------------------------------------------------------------

bool ChainPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return value.size() == 1 && Kamol::ChainKey(CText(Kamol::GetAtomResidue(atom).chainId)) == value[0];
}

void ChainPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (value.size() != 1 || atoms.empty()) return;
    const char wanted = value[0];
    const Kamol::KaAtomColumns& columns = AtomColumns(context);
    const std::vector<char> keys = ChainKeys(columns);
    const uint32_t* chainIdIds = columns.chainIdIds.data();
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return keys[chainIdIds[index]] == wanted; });
}

bool AltPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return value.size() == 1 && Kamol::GetAtomResidue(atom).alternateLocation == value[0];
}

void AltPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (value.size() != 1 || atoms.empty()) return;
    const char wanted = value[0];
    const std::vector<char>& alternates = AtomColumns(context).alternateLocations;
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return alternates[index] == wanted; });
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

bool detail::SelectElementSet(const SelectionContext& context, const Predicate& node, AtomSpan atoms,
                              std::vector<uint32_t>& accepted) {
    const auto* either = dynamic_cast<const OrPredicate*>(&node);
    if (!either || either->children.size() < 2) return false;
    // Atomic numbers below 256 are looked up in a bit table (no element has
    // a larger one; a child asking for one takes the general way).
    uint64_t wanted[4] = {0, 0, 0, 0};
    for (const PredicatePtr& child : either->children) {
        const auto* elem = dynamic_cast<const ElemPredicate*>(child.get());
        if (!elem || elem->atomicNumber >= 256) return false;
        wanted[elem->atomicNumber >> 6] |= uint64_t(1) << (elem->atomicNumber & 63);
    }
    const std::vector<uint32_t>& atomicNums = context.GetMolecule().Columns().atomicNums;
    FilterAtoms(atoms, accepted, [&](uint32_t index) {
        const uint32_t number = atomicNums[index];
        return number < 256 && (wanted[number >> 6] >> (number & 63)) & 1;
    });
    return true;
}

bool IndexPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<uint32_t>(atom.GetIndex(), low, high, comparison);
}

void IndexPredicate::SelectFrom(const SelectionContext&, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    CompareEach<uint32_t>(atoms, accepted, [](uint32_t index) { return index; }, low, high, comparison);
}

// ---- residue numbers, serials, fragments, B-factors -----------------------------

bool ResiPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<int32_t>(Kamol::GetAtomResidue(atom).residueNumber, low, high, comparison);
}

void ResiPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    CompareColumn<int32_t>(atoms, accepted, AtomColumns(context).residueNumbers, low, high, comparison);
}

bool IdPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<int32_t>(Kamol::GetAtomResidue(atom).serialNumber, low, high, comparison);
}

void IdPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    CompareColumn<int32_t>(atoms, accepted, AtomColumns(context).serialNumbers, low, high, comparison);
}

bool FragmentPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<uint32_t>(Kamol::GetAtomResidue(atom).fragmentNumber, low, high, comparison);
}

void FragmentPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms,
                                   std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    CompareColumn<uint32_t>(atoms, accepted, AtomColumns(context).fragmentNumbers, low, high, comparison);
}

bool BFactorPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return Compare<float>(Kamol::GetAtomResidue(atom).bFactor, low, high, comparison);
}

void BFactorPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    CompareColumn<float>(atoms, accepted, AtomColumns(context).bFactors, low, high, comparison);
}

}  // namespace KaSel
