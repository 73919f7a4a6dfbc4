// Canonical text of every predicate node: one spelling per keyword, sorted
// "and"/"or" operands, numbers in one fixed form. Two selections that differ
// only in spelling, case of keywords, blanks, parentheses or operand order
// print alike; the text is also the key of the evaluation caches.

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "selection/predicate.h"

namespace KaSel {

std::string FormatNumber(float value) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return std::string(buffer, static_cast<size_t>(length));
}

namespace {

// Operand texts sorted byte-wise (std::string orders bytes as unsigned) and
// joined in parentheses; duplicates are kept.
std::string JoinSorted(const PredicateList& children, const char* separator, const char* whenEmpty) {
    if (children.empty()) return whenEmpty;
    if (children.size() == 1) return children.front()->ToString();
    std::vector<std::string> texts;
    texts.reserve(children.size());
    for (const PredicatePtr& child : children) texts.push_back(child->ToString());
    std::sort(texts.begin(), texts.end());
    std::string result = "(";
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) result += separator;
        result += texts[i];
    }
    result += ')';
    return result;
}

std::string NumberText(int32_t value) { return std::to_string(value); }
std::string NumberText(uint32_t value) { return std::to_string(value); }
std::string NumberText(float value) { return FormatNumber(value); }

template <class T>
std::string NumericText(const char* keyword, T low, T high, int32_t comparison) {
    std::string result = keyword;
    switch (comparison) {
        case Less: result += " < "; break;
        case LessEqual: result += " <= "; break;
        case Greater: result += " > "; break;
        case GreaterEqual: result += " >= "; break;
        case Range: return result + ' ' + NumberText(low) + '-' + NumberText(high);
        default: result += ' '; break;  // Equal and unknown codes
    }
    return result + NumberText(low);
}

}  // namespace

std::string AndPredicate::ToString() const { return JoinSorted(children, " and ", "all"); }
std::string OrPredicate::ToString() const { return JoinSorted(children, " or ", "none"); }

std::string NotPredicate::ToString() const { return "not " + inner->ToString(); }
std::string ByResPredicate::ToString() const { return "byres " + inner->ToString(); }
std::string ByChainPredicate::ToString() const { return "bychain " + inner->ToString(); }

std::string AroundPredicate::ToString() const { return inner->ToString() + " around " + FormatNumber(distance); }
std::string ExpandPredicate::ToString() const { return inner->ToString() + " expand " + FormatNumber(distance); }
std::string BeyondPredicate::ToString() const { return inner->ToString() + " beyond " + FormatNumber(distance); }

std::string NamePredicate::ToString() const { return "name " + pattern; }
std::string ResnPredicate::ToString() const { return "resn " + pattern; }
std::string ChainPredicate::ToString() const { return "chain " + value; }
std::string AltPredicate::ToString() const { return "alt " + value; }
std::string ElemPredicate::ToString() const { return "elem " + symbol; }

std::string ResiPredicate::ToString() const { return NumericText("resi", low, high, comparison); }
std::string IdPredicate::ToString() const { return NumericText("id", low, high, comparison); }
std::string IndexPredicate::ToString() const { return NumericText("index", low, high, comparison); }
std::string FragmentPredicate::ToString() const { return NumericText("frag", low, high, comparison); }
std::string BFactorPredicate::ToString() const { return NumericText("b", low, high, comparison); }

#define KASEL_FIXED_TEXT(Class, Text) \
    std::string Class::ToString() const { return Text; }

KASEL_FIXED_TEXT(ProteinPredicate, "protein")
KASEL_FIXED_TEXT(LigandPredicate, "ligand")
KASEL_FIXED_TEXT(WaterPredicate, "water")
KASEL_FIXED_TEXT(SolventPredicate, "solvent")
KASEL_FIXED_TEXT(OrganicPredicate, "organic")
KASEL_FIXED_TEXT(BackbonePredicate, "backbone")
KASEL_FIXED_TEXT(SidechainPredicate, "sidechain")
KASEL_FIXED_TEXT(MetalPredicate, "metal")
KASEL_FIXED_TEXT(CappingPredicate, "capping")
KASEL_FIXED_TEXT(HeavyPredicate, "heavy")
KASEL_FIXED_TEXT(HydrogenPredicate, "hydrogen")
KASEL_FIXED_TEXT(PolarHydrogenPredicate, "polar_hydrogen")
KASEL_FIXED_TEXT(NonpolarHydrogenPredicate, "nonpolar_hydrogen")
KASEL_FIXED_TEXT(HelixPredicate, "helix")
KASEL_FIXED_TEXT(SheetPredicate, "sheet")
KASEL_FIXED_TEXT(TurnPredicate, "turn")
KASEL_FIXED_TEXT(LoopPredicate, "loop")
KASEL_FIXED_TEXT(TruePredicate, "all")
KASEL_FIXED_TEXT(FalsePredicateImpl, "none")

#undef KASEL_FIXED_TEXT

}  // namespace KaSel
