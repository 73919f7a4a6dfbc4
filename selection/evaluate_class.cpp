// Residue class predicates on the component marks, element classes, hydrogens by
// their neighbours, and secondary structure.
#include <string>
#include <string_view>

#include "molecule/residue.h"
#include "selection/evaluate_internal.h"
#include "selection/molecule_cache.h"
#include "selection/residue_class.h"

namespace KaSel {

using detail::AtomSpan;
using detail::CText;
using detail::FilterAtoms;
using detail::PerText;

namespace {

// The marks as the atoms carry them now: the molecule's column itself while
// no atom has data of its own, else read back from the atoms (again only
// after some atom's data changed).
const ComponentColumn& ComponentsOf(Kamol::KaMolBase& molecule) {
    MoleculeCache& cache = CacheOf(molecule);
    ComponentColumn& column = cache.components;
    if (!molecule.AtomDataWritten()) {
        column.marks = molecule.AtomIntColumn(ComponentTag()).values.data();
        column.anyOtherType = false;
        return column;
    }
    if (cache.componentsVersion == molecule.StructureVersion() &&
        cache.componentsDataVersion == molecule.AtomDataVersion())
        return column;
    const KaSystem::KaTag componentTag = ComponentTag();
    const std::vector<const Kamol::KaAtomBase*>& atoms = molecule.Columns().atoms;
    column.readBack.assign(atoms.size(), 0);
    column.otherType = AtomMask(uint32_t(atoms.size()));
    column.anyOtherType = false;
    for (size_t i = 0; i < atoms.size(); ++i) {
        if (!atoms[i]) continue;
        if (const int* mark = atoms[i]->PeekData<int>(componentTag)) {
            column.readBack[i] = *mark;
        } else if (atoms[i]->HasData(componentTag)) {
            column.otherType.Set(uint32_t(i));
            column.anyOtherType = true;
        }
    }
    column.marks = column.readBack.data();
    cache.componentsVersion = molecule.StructureVersion();
    cache.componentsDataVersion = molecule.AtomDataVersion();
    return column;
}

bool IsBackboneName(std::string_view name) { return name == "N" || name == "CA" || name == "C" || name == "O"; }
bool IsSidechainName(std::string_view name) { return !IsBackboneName(name) && name != "OXT"; }

void BuildClassBits(const Kamol::KaMolBase& molecule, const int32_t* marks, std::vector<uint8_t>& bits) {
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    const std::vector<uint8_t> nameBits = PerText<uint8_t>(columns.atomNames.Texts(), [](const std::string& name) {
        return uint8_t((IsBackboneName(name) ? kBackboneBit : 0) | (IsSidechainName(name) ? kSidechainBit : 0));
    });
    const uint32_t* nameIds = columns.nameIds.data();
    bits.assign(molecule.IndexLimit(), 0);
    for (uint32_t index : columns.live) {
        const int32_t mark = marks[index];
        const uint8_t protein = (mark & ComponentProtein) ? kProteinBit | kBackboneBit | kSidechainBit : 0;
        bits[index] = uint8_t(protein & (kProteinBit | nameBits[nameIds[index]])) |
                      ((mark & ComponentLigand) ? kLigandBit : 0) | ((mark & ComponentWater) ? kWaterBit : 0) |
                      ((mark & (ComponentWater | ComponentSolvent)) ? kSolventBit : 0);
    }
}

}  // namespace

const std::vector<uint8_t>* ClassBitsOf(Kamol::KaMolBase& molecule) {
    EnsureComponentMarks(molecule);
    const ComponentColumn& column = ComponentsOf(molecule);
    if (column.anyOtherType) return nullptr;
    MoleculeCache& cache = CacheOf(molecule);
    if (cache.classBitsVersion != molecule.StructureVersion() ||
        cache.classBitsDataVersion != molecule.AtomDataVersion()) {
        BuildClassBits(molecule, column.marks, cache.classBits);
        cache.classBitsVersion = molecule.StructureVersion();
        cache.classBitsDataVersion = molecule.AtomDataVersion();
    }
    return &cache.classBits;
}

// ---- predicates on the component marks ----------------------------------------------

namespace {

// Batch form of a test that needs the marks: the molecule is marked only when
// some atom is actually tested, as when atoms are asked one at a time.
// `onMark` decides from an atom's mark value and index; atoms holding a mark
// of another type are asked through `perAtom`, which reports the mismatch
// exactly as often as atom-by-atom evaluation does.
template <class OnMark, class PerAtom>
void FilterMarked(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted, OnMark&& onMark,
                  PerAtom&& perAtom) {
    if (atoms.empty()) return;
    Kamol::KaMolBase& molecule = context.GetMolecule();
    EnsureComponentMarks(molecule);
    const ComponentColumn& column = ComponentsOf(molecule);
    const int32_t* marks = column.marks;
    if (!column.anyOtherType) {
        FilterAtoms(atoms, accepted, [&](uint32_t index) { return onMark(marks[index], index); });
        return;
    }
    const std::vector<const Kamol::KaAtomBase*>& table = molecule.Columns().atoms;
    FilterAtoms(atoms, accepted, [&](uint32_t index) {
        return column.otherType.Test(index) ? perAtom(*table[index]) : onMark(marks[index], index);
    });
}

bool ProteinTest(const Kamol::KaAtomBase& atom) { return HasComponent(atom, ComponentProtein); }
bool LigandTest(const Kamol::KaAtomBase& atom) { return HasComponent(atom, ComponentLigand); }
bool WaterTest(const Kamol::KaAtomBase& atom) { return HasComponent(atom, ComponentWater); }
bool SolventTest(const Kamol::KaAtomBase& atom) {
    return HasComponent(atom, ComponentWater) || HasComponent(atom, ComponentSolvent);
}
bool OrganicMarkTest(const Kamol::KaAtomBase& atom) {
    return !HasComponent(atom, ComponentProtein) && !HasComponent(atom, ComponentNucleic);
}
bool BackboneTest(const Kamol::KaAtomBase& atom) {
    return HasComponent(atom, ComponentProtein) && IsBackboneName(CText(atom.Name()));
}
bool SidechainTest(const Kamol::KaAtomBase& atom) {
    return HasComponent(atom, ComponentProtein) && IsSidechainName(CText(atom.Name()));
}

// Whether some bonded neighbour satisfies `test` on its atomic number; the
// walk stops at the first that does.
template <class Test>
bool AnyNeighbour(const Kamol::KaAtomBase& atom, Test&& test) {
    for (const Kamol::KaBondBase* bond : atom.Bonds()) {
        const Kamol::KaAtomBase* neighbour = bond->GetNeighbour(atom);
        if (neighbour && test(neighbour->GetAtomicNum())) return true;
    }
    return false;
}

bool IsCarbonOrBondedToCarbon(const Kamol::KaAtomBase& atom) {
    return atom.GetAtomicNum() == 6 || AnyNeighbour(atom, [](uint32_t z) { return z == 6; });
}

bool HasPolarNeighbour(const Kamol::KaAtomBase& atom) {
    return AnyNeighbour(atom, [](uint32_t z) { return z == 7 || z == 8 || z == 16; });
}

}  // namespace

#define KASEL_MARKED_CLASS(Class, Test, OnMark)                                                           \
    bool Class::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {         \
        EnsureComponentMarks(context.GetMolecule());                                                      \
        return Test(atom);                                                                                \
    }                                                                                                     \
    void Class::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) \
        const {                                                                                           \
        if (atoms.empty() || detail::SelectClassCombination(context, *this, atoms, accepted)) return;     \
        FilterMarked(context, atoms, accepted, OnMark, Test);                                             \
    }

namespace {

auto MarkHas(int mask) {
    return [mask](int32_t mark, uint32_t) { return (mark & mask) != 0; };
}
auto MarkHasNone(int mask) {
    return [mask](int32_t mark, uint32_t) { return (mark & mask) == 0; };
}

// Backbone and side-chain tests compare the atom name exactly as stored.
template <bool (*NameTest)(std::string_view)>
struct ProteinAtomName {
    explicit ProteinAtomName(const Kamol::KaMolBase& molecule)
        : nameIds(molecule.Columns().nameIds.data()),
          accepted(PerText<char>(molecule.Columns().atomNames.Texts(), NameTest)) {}
    bool operator()(int32_t mark, uint32_t index) const {
        return (mark & ComponentProtein) != 0 && accepted[nameIds[index]];
    }
    const uint32_t* nameIds;
    std::vector<char> accepted;
};

}  // namespace

KASEL_MARKED_CLASS(ProteinPredicate, ProteinTest, MarkHas(ComponentProtein))
KASEL_MARKED_CLASS(LigandPredicate, LigandTest, MarkHas(ComponentLigand))
KASEL_MARKED_CLASS(WaterPredicate, WaterTest, MarkHas(ComponentWater))
KASEL_MARKED_CLASS(SolventPredicate, SolventTest, MarkHas(ComponentWater | ComponentSolvent))
KASEL_MARKED_CLASS(BackbonePredicate, BackboneTest, ProteinAtomName<IsBackboneName>(context.GetMolecule()))
KASEL_MARKED_CLASS(SidechainPredicate, SidechainTest, ProteinAtomName<IsSidechainName>(context.GetMolecule()))

#undef KASEL_MARKED_CLASS

// An atom that is neither carbon nor bonded to one is rejected before the
// marks are looked at, so such atoms alone never mark the molecule.
bool OrganicPredicate::Evaluate(const SelectionContext& context, const Kamol::KaAtomBase& atom) const {
    if (!IsCarbonOrBondedToCarbon(atom)) return false;
    EnsureComponentMarks(context.GetMolecule());
    return OrganicMarkTest(atom);
}

void OrganicPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const Kamol::KaMolBase& molecule = context.GetMolecule();
    const std::vector<uint32_t>& atomicNums = molecule.Columns().atomicNums;
    const std::vector<uint8_t>& neighbours = NeighboursOf(molecule);
    std::vector<uint32_t> carbonLike;
    FilterAtoms(atoms, carbonLike,
                [&](uint32_t index) { return atomicNums[index] == 6 || (neighbours[index] & kCarbonNeighbour) != 0; });
    FilterMarked(context, carbonLike, accepted, MarkHasNone(ComponentProtein | ComponentNucleic), OrganicMarkTest);
}

// ---- residue name ----------------------------------------------------------------------

namespace {
bool IsCappingName(std::string_view name) { return name == "ACE" || name == "NME"; }
}  // namespace

bool CappingPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return IsCappingName(CText(Kamol::GetAtomResidue(atom).residueName));
}

void CappingPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const Kamol::KaAtomColumns& columns = context.GetMolecule().Columns();
    const std::vector<char> capping = PerText<char>(columns.residueNames.Texts(), IsCappingName);
    const uint32_t* nameIds = columns.residueNameIds.data();
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return capping[nameIds[index]] != 0; });
}

// ---- element classes ---------------------------------------------------------------------

namespace {

bool IsMetal(uint32_t z) {
    return z == 3 || z == 11 || z == 12 || z == 13 || (z >= 19 && z <= 30) || (z >= 37 && z <= 48) ||
           (z >= 55 && z <= 80);
}

template <class Test>
void FilterByElement(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted, Test&& test) {
    const std::vector<uint32_t>& atomicNums = context.GetMolecule().Columns().atomicNums;
    FilterAtoms(atoms, accepted, [&](uint32_t index) { return test(atomicNums[index]); });
}

}  // namespace

bool MetalPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return IsMetal(atom.GetAtomicNum());
}
void MetalPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    FilterByElement(context, atoms, accepted, IsMetal);
}

bool HeavyPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return atom.GetAtomicNum() > 1;
}
void HeavyPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    FilterByElement(context, atoms, accepted, [](uint32_t z) { return z > 1; });
}

bool HydrogenPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return atom.GetAtomicNum() == 1;
}
void HydrogenPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) const {
    FilterByElement(context, atoms, accepted, [](uint32_t z) { return z == 1; });
}

// ---- hydrogens by their neighbours ------------------------------------------------------

bool PolarHydrogenPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return atom.GetAtomicNum() == 1 && HasPolarNeighbour(atom);
}
void PolarHydrogenPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms,
                                        std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const std::vector<uint32_t>& atomicNums = context.GetMolecule().Columns().atomicNums;
    const std::vector<uint8_t>& neighbours = NeighboursOf(context.GetMolecule());
    FilterAtoms(atoms, accepted, [&](uint32_t index) {
        return atomicNums[index] == 1 && (neighbours[index] & kPolarNeighbour) != 0;
    });
}

bool NonpolarHydrogenPredicate::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {
    return atom.GetAtomicNum() == 1 && !HasPolarNeighbour(atom);
}
void NonpolarHydrogenPredicate::SelectFrom(const SelectionContext& context, AtomSpan atoms,
                                           std::vector<uint32_t>& accepted) const {
    if (atoms.empty()) return;
    const std::vector<uint32_t>& atomicNums = context.GetMolecule().Columns().atomicNums;
    const std::vector<uint8_t>& neighbours = NeighboursOf(context.GetMolecule());
    FilterAtoms(atoms, accepted, [&](uint32_t index) {
        return atomicNums[index] == 1 && (neighbours[index] & kPolarNeighbour) == 0;
    });
}

// ---- secondary structure ------------------------------------------------------------------

namespace {

template <uint32_t Bits, bool Wanted>
bool SecondaryStructureTest(const Kamol::KaResidue& residue) {
    return ((residue.secondaryStructure & Bits) != 0) == Wanted;
}

constexpr uint32_t kAnyStructure = Kamol::kHelixFlag | Kamol::kTurnFlag | Kamol::kSheetFlag;

}  // namespace

#define KASEL_STRUCTURE_CLASS(Class, Bits, Wanted)                                                        \
    bool Class::Evaluate(const SelectionContext&, const Kamol::KaAtomBase& atom) const {                 \
        return SecondaryStructureTest<Bits, Wanted>(Kamol::GetAtomResidue(atom));                          \
    }                                                                                                     \
    void Class::SelectFrom(const SelectionContext& context, AtomSpan atoms, std::vector<uint32_t>& accepted) \
        const {                                                                                           \
        if (atoms.empty()) return;                                                                        \
        const std::vector<uint32_t>& flags = context.GetMolecule().Columns().secondaryStructures;         \
        FilterAtoms(atoms, accepted,                                                                      \
                    [&](uint32_t index) { return ((flags[index] & (Bits)) != 0) == (Wanted); });           \
    }

KASEL_STRUCTURE_CLASS(HelixPredicate, Kamol::kHelixFlag, true)
KASEL_STRUCTURE_CLASS(SheetPredicate, Kamol::kSheetFlag, true)
KASEL_STRUCTURE_CLASS(TurnPredicate, Kamol::kTurnFlag, true)
KASEL_STRUCTURE_CLASS(LoopPredicate, kAnyStructure, false)

#undef KASEL_STRUCTURE_CLASS

}  // namespace KaSel
