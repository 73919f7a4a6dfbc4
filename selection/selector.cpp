#include "selection/selector.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "selection/molecule_cache.h"
#include "selection/residue_key.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/text.h"

namespace KaSel {

namespace {

bool IsListSeparator(char c) { return c == ',' || c == ';' || c == '&' || c == '\t' || c == '\n'; }

// The one character of the chain id a selector keeps.
char ChainChar(const Kamol::KaResidue& residue) { return Kamol::ChainKey(Kamol::CText(residue.chainId)); }

std::string_view ResidueName(const Kamol::KaResidue& residue) { return Kamol::CText(residue.residueName); }

// Deletes the toolkit iterator when the walk ends, also on exceptions.
using AtomIter = std::unique_ptr<KaSystem::KaIterBase<Kamol::KaAtomBase>>;

}  // namespace

// ---- Selector --------------------------------------------------------------

Selector::Selector() : residue_number(0), insert_code(" ") {}

Selector::Selector(std::string name, int residue_number, std::string chain)
    : name(std::move(name)), residue_number(residue_number), chain(std::move(chain)), insert_code(" ") {}

Selector::Selector(std::string name, int residue_number, std::string chain, std::string insert_code)
    : name(std::move(name)),
      residue_number(residue_number),
      chain(std::move(chain)),
      insert_code(std::move(insert_code)) {}

Selector Selector::FromString(const std::string& text) {
    // Fields end at each ':'; a ':' at the very end closes the last field
    // without opening an empty one after it (the getline rule).
    std::array<std::string_view, 4> fields;
    size_t count = 0;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t colon = rest.find(':');
        std::string_view field = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (count < fields.size()) fields[count] = field;
        ++count;
    }
    if (count != fields.size()) {
        throw SelectionError("Invalid selector format: " + text + " (expected NAME:NUMBER:ICODE:CHAIN)");
    }
    // A field made only of blanks stays as it is, so that a blank insert code
    // written by ToString reads back as a blank.
    for (std::string_view& field : fields) field = Trim(field, kBlanksAndTabs, OnlyBlanks::Kept);

    int number = 0;
    if (ReadLeadingInt(fields[1], number) != IntRead::Ok) {
        throw SelectionError("Invalid residue number in selector: " + std::string(fields[1]));
    }
    return Selector(std::string(fields[0]), number, std::string(fields[3]), std::string(fields[2]));
}

Selector Selector::FromAtom(const Kamol::KaAtomBase& atom) {
    const Kamol::KaResidue residue = Kamol::CopyAtomResidue(atom);
    return Selector(std::string(ResidueName(residue)), residue.residueNumber, std::string(1, ChainChar(residue)),
                    std::string(1, residue.insertCode));
}

std::string Selector::ToString() const {
    std::string number = std::to_string(residue_number);
    std::string text;
    text.reserve(name.size() + number.size() + insert_code.size() + chain.size() + 3);
    text.append(name).append(1, ':').append(number).append(1, ':').append(insert_code).append(1, ':').append(chain);
    return text;
}

// ---- selector sets ---------------------------------------------------------

SelectorSet parse_selector_set(const std::string& text) {
    // A hand-written splitter rather than std::regex: the library's regex
    // engine recurses once per repeated character and overflows the stack on
    // long separator runs, while this loop is linear and allocation-light.
    SelectorSet result;
    std::string_view rest(text);
    while (!rest.empty()) {
        size_t end = 0;
        while (end < rest.size() && !IsListSeparator(rest[end])) ++end;
        std::string_view piece = Trim(rest.substr(0, end), kLineBlanks, OnlyBlanks::Emptied);
        if (!piece.empty()) result.insert(Selector::FromString(std::string(piece)));
        while (end < rest.size() && IsListSeparator(rest[end])) ++end;
        rest.remove_prefix(end);
    }
    return result;
}

SelectorSet mol_to_selector_set(const Kamol::KaMolBase& mol) {
    SelectorSet result;
    // Atoms of one residue are usually stored together: an atom whose key
    // equals the previous atom's would not change the set, so only key
    // changes build a selector.
    std::optional<uint64_t> previous;
    for (AtomIter it(mol.GetAtoms()); it->IsValid(); it->Next()) {
        const uint64_t key = ResidueKeyOf(Kamol::CopyAtomResidue(it->Current()));
        if (previous == key) continue;
        result.insert(Selector::FromAtom(it->Current()));
        previous = key;
    }
    return result;
}

std::string get_selector_string(const Kamol::KaAtomBase& atom) { return Selector::FromAtom(atom).ToString(); }

namespace {

// Calls `visit(atom)` for each atom of `selected` (indices in storage order)
// whose residue key or name differs from the previous selected atom's.
template <class Visit>
void ForEachResidueOf(const Kamol::KaMolBase& mol, const std::vector<unsigned int>& selected, Visit&& visit) {
    std::optional<Kamol::KaResidue> previous;
    for (unsigned int index : selected) {
        const Kamol::KaAtomBase* atom = mol.GetAtom(index);
        if (!atom) continue;
        Kamol::KaResidue residue = Kamol::CopyAtomResidue(*atom);
        // Here the whole text is the key, so the name takes part in the comparison.
        if (previous && ResidueKeyOf(*previous) == ResidueKeyOf(residue) &&
            ResidueName(*previous) == ResidueName(residue)) {
            continue;
        }
        visit(*atom);
        previous = std::move(residue);
    }
}

template <class Visit>
void ForEachSelectedResidue(const Kamol::KaMolBase& mol, const std::string& selection, Visit&& visit) {
    // Evaluation only fills caches, including the residue-class marks it keeps
    // in the molecule's generic data; the molecule's atoms are not changed.
    ForEachResidueOf(mol, EvaluateSelection(const_cast<Kamol::KaMolBase&>(mol), selection), visit);
}

}  // namespace

StringSet str_selector_set(const Kamol::KaMolBase& mol, const std::string& selection) {
    StringSet result;
    ForEachSelectedResidue(mol, selection, [&](const Kamol::KaAtomBase& atom) {
        result.insert(Selector::FromAtom(atom).ToString());
    });
    return result;
}

std::vector<std::string> ordered_selector_strings(const Kamol::KaMolBase& mol, const std::string& selection) {
    return ordered_selector_strings(mol, EvaluateSelection(const_cast<Kamol::KaMolBase&>(mol), selection));
}

std::vector<std::string> ordered_selector_strings(const Kamol::KaMolBase& mol,
                                                  const std::vector<unsigned int>& selected) {
    std::set<std::pair<Selector, std::string>> residues;
    ForEachResidueOf(mol, selected, [&](const Kamol::KaAtomBase& atom) {
        Selector selector = Selector::FromAtom(atom);
        std::string text = selector.ToString();
        residues.emplace(std::move(selector), std::move(text));
    });
    std::vector<std::string> result;
    result.reserve(residues.size());
    for (const auto& [selector, text] : residues) result.push_back(text);
    return result;
}

std::optional<Selector> first_repeated_residue(const Kamol::KaMolBase& mol) {
    const ResidueColumns& residues = ResidueColumnsOf(mol);
    std::vector<char> seen(residues.residueCount, 0);
    uint32_t previous = UINT32_MAX;
    // A residue a reader joined later copies' atoms to holds its copies in one run.
    const uint32_t joined = mol.JoinedResidueAtom();
    for (uint32_t index : mol.Columns().live) {
        const uint32_t residue = residues.residueId[index];
        if (residue == previous) continue;
        if (seen[residue] || index == joined) return Selector::FromAtom(*mol.GetAtom(index));
        seen[residue] = 1;
        previous = residue;
    }
    return std::nullopt;
}

}  // namespace KaSel
