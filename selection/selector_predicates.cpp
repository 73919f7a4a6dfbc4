// The atom predicates built from residue keys and from residue and atom names.
#include <algorithm>

#include "selection/residue_key.h"
#include "selection/selector.h"
#include "selection/text.h"

namespace KaSel {

namespace {

// Lower case as the "C" locale defines it: ASCII letters only, whatever
// locale the process has set.
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view TrimNameBlanks(std::string_view text) { return Trim(text, kBlanksAndTabs, OnlyBlanks::Emptied); }

}  // namespace

// ---- KaResidueSelector -----------------------------------------------------

KaResidueSelector::KaResidueSelector(const std::string& text) : selectors_(parse_selector_set(text)) { BuildKeys(); }

KaResidueSelector::KaResidueSelector(const SelectorSet& selectors) : selectors_(selectors) { BuildKeys(); }

void KaResidueSelector::BuildKeys() {
    // An atom's key always has a one-byte chain and insert code; selectors
    // with longer or empty ones can never match and are left out.
    keys_.clear();
    for (const Selector& selector : selectors_) {
        if (selector.chain.size() != 1 || selector.insert_code.size() != 1) continue;
        keys_.push_back(ResidueKey(selector.chain[0], selector.insert_code[0], selector.residue_number));
    }
    std::sort(keys_.begin(), keys_.end());
}

bool KaResidueSelector::operator()(const Kamol::KaAtomBase& atom) const {
    return std::binary_search(keys_.begin(), keys_.end(), ResidueKeyOf(Kamol::GetAtomResidue(atom)));
}

// ---- name predicates -------------------------------------------------------

std::string NormalizeName(const std::string& text, bool caseSensitive, bool whitespaceSensitive) {
    std::string_view view(text);
    if (!whitespaceSensitive) view = TrimNameBlanks(view);
    std::string result(view);
    if (!caseSensitive) std::transform(result.begin(), result.end(), result.begin(), LowerAscii);
    return result;
}

bool NameMatcher::Matches(std::string_view candidate) const {
    if (!whitespaceSensitive_) candidate = TrimNameBlanks(candidate);
    if (candidate.size() != name_.size()) return false;
    if (caseSensitive_) return candidate == name_;
    for (size_t i = 0; i < candidate.size(); ++i) {
        if (LowerAscii(candidate[i]) != name_[i]) return false;
    }
    return true;
}

bool KaHasResidueName::operator()(const Kamol::KaAtomBase& atom) const {
    return matcher_.Matches(Kamol::CText(Kamol::GetAtomResidue(atom).residueName));
}

bool KaHasAtomNameAdvanced::operator()(const Kamol::KaAtomBase& atom) const {
    return matcher_.Matches(std::string_view(atom.GetName()));
}

}  // namespace KaSel
