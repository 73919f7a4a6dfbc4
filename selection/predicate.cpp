// Kinds of the predicate node classes and the element node's constructor.

#include "selection/predicate.h"

#include "molecule/elements.h"

namespace KaSel {

namespace {

// Symbol spelling of an element: first byte upper case, the rest lower case
// (ASCII only, independent of the locale).
std::string NormalizeSymbol(const std::string& text) {
    std::string symbol = text;
    for (size_t i = 0; i < symbol.size(); ++i) {
        char& c = symbol[i];
        if (i == 0 && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (i > 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return symbol;
}

}  // namespace

ElemPredicate::ElemPredicate(const std::string& text)
    : atomicNumber(Kamol::GetAtomicNumFromSymbol(text.c_str())), symbol(NormalizeSymbol(text)) {}

#define KASEL_TYPE(Class, Type) \
    PredicateType Class::GetType() const { return PredicateType::Type; }

KASEL_TYPE(AndPredicate, AND)
KASEL_TYPE(OrPredicate, OR)
KASEL_TYPE(NotPredicate, NOT)
KASEL_TYPE(ByResPredicate, BY_RES)
KASEL_TYPE(ByChainPredicate, BY_CHAIN)
KASEL_TYPE(AroundPredicate, AROUND)
KASEL_TYPE(ExpandPredicate, EXPAND)
KASEL_TYPE(BeyondPredicate, BEYOND)
KASEL_TYPE(NamePredicate, NAME)
KASEL_TYPE(ResnPredicate, RESN)
KASEL_TYPE(ChainPredicate, CHAIN)
KASEL_TYPE(AltPredicate, ALT)
KASEL_TYPE(ElemPredicate, ELEM)
KASEL_TYPE(ResiPredicate, RESI)
KASEL_TYPE(IdPredicate, ID)
KASEL_TYPE(IndexPredicate, INDEX)
KASEL_TYPE(FragmentPredicate, FRAGMENT)
KASEL_TYPE(BFactorPredicate, B_FACTOR)
KASEL_TYPE(ProteinPredicate, PROTEIN)
KASEL_TYPE(LigandPredicate, LIGAND)
KASEL_TYPE(WaterPredicate, WATER)
KASEL_TYPE(SolventPredicate, SOLVENT)
KASEL_TYPE(OrganicPredicate, ORGANIC)
KASEL_TYPE(BackbonePredicate, BACKBONE)
// Side chains have no kind of their own.
KASEL_TYPE(SidechainPredicate, BACKBONE)
KASEL_TYPE(MetalPredicate, METAL)
KASEL_TYPE(CappingPredicate, CAPPING)
KASEL_TYPE(HeavyPredicate, HEAVY)
KASEL_TYPE(HydrogenPredicate, HYDROGEN)
KASEL_TYPE(PolarHydrogenPredicate, POLAR_HYDROGEN)
KASEL_TYPE(NonpolarHydrogenPredicate, NONPOLAR_HYDROGEN)
KASEL_TYPE(HelixPredicate, HELIX)
KASEL_TYPE(SheetPredicate, SHEET)
KASEL_TYPE(TurnPredicate, TURN)
KASEL_TYPE(LoopPredicate, LOOP)
KASEL_TYPE(TruePredicate, ALL_MATCH)
KASEL_TYPE(FalsePredicateImpl, NO_MATCH)

#undef KASEL_TYPE

}  // namespace KaSel
