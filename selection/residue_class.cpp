// The residue-name tables of the classes and the component marks made from them.
#include "selection/residue_class.h"

#include <string>
#include <string_view>
#include <unordered_map>

#include "molecule/molecule.h"
#include "selection/evaluate_internal.h"
#include "selection/text.h"

namespace KaSel {

using detail::PerText;

namespace {

struct ResidueTables {
    ResidueTables() {
        // Inserted in lookup order; the tables share no name, and emplace
        // keeps the first table's answer should one ever be added twice.
        for (const char* name : {"HOH", "WAT", "H2O", "DOD", "TIP", "TIP3", "SPC"}) components.emplace(name, ComponentWater);
        for (const char* name : {"ALA", "ARG", "ASN", "ASP", "CYS", "GLN", "GLU", "GLY", "HIS", "ILE", "LEU", "LYS", "MET",
                                 "PHE", "PRO", "SER", "THR", "TRP", "TYR", "VAL", "HID", "HIE", "HIP", "CYX", "ASH", "GLH",
                                 "HSD", "HSE", "HSP", "CYM", "LYN", "MSE", "SEC", "PYL", "ASX", "GLX", "ACE", "NME"})
            components.emplace(name, ComponentProtein);
        for (const char* name : {"A", "G", "C", "U", "T", "DA", "DG", "DC", "DT", "DU", "ADE", "GUA", "CYT", "URA", "THY",
                                 "RA", "RG", "RC", "RU"})
            components.emplace(name, ComponentNucleic);
        for (const char* name : {"NAD", "NAP", "NAI", "NDP", "FAD", "FMN", "FNR", "HEM", "HEC", "HEA", "ATP",
                                 "ADP", "AMP", "GTP", "GDP", "GMP", "COA", "ACO", "PLP", "BTN", "B12", "CBY",
                                 "SF4", "FES", "F3S", "MG",  "CA",  "ZN",  "FE",  "MN",  "CU"})
            components.emplace(name, ComponentCofactor);
        for (const char* name : {"DMS", "DMF", "ACN", "MOH", "EOH", "IPA", "GOL", "PEG", "EDO"})
            components.emplace(name, ComponentSolvent);
    }
    std::unordered_map<std::string_view, int> components;
};

const ResidueTables& Tables() {
    static const ResidueTables tables;
    return tables;
}

KaSystem::KaTag TaggedTag() {
    static const KaSystem::KaTag tag = KaSystem::TagFromName(kTaggedMarkName);
    return tag;
}

}  // namespace

KaSystem::KaTag ComponentTag() {
    static const KaSystem::KaTag tag = KaSystem::TagFromName(kComponentMarkName);
    return tag;
}

int ClassifyResidueName(std::string_view name) {
    const auto& components = Tables().components;
    auto it = components.find(Trim(name, kCWhiteSpace, OnlyBlanks::Emptied));
    return it == components.end() ? ComponentLigand : it->second;
}

// While no atom has data of its own beside its residue record, the marks go
// straight into the molecule's column of atom int data under the mark's tag,
// which the atoms read as their own items; otherwise each atom is written
// through its generic data, which respects items the atom already holds.
void EnsureComponentMarks(Kamol::KaMolBase& molecule) {
    const KaSystem::KaTag taggedTag = TaggedTag();
    if (molecule.HasData(taggedTag)) return;
    const KaSystem::KaTag componentTag = ComponentTag();
    const Kamol::KaAtomColumns& columns = molecule.Columns();
    const std::vector<int32_t> componentOfName = PerText<int32_t>(columns.residueNames.Texts(), ClassifyResidueName);
    const uint32_t* nameIds = columns.residueNameIds.data();
    if (!molecule.AtomDataWritten()) {
        Kamol::KaAtomIntColumn& column = molecule.AtomIntColumn(componentTag);
        for (uint32_t index : columns.live) {
            column.values[index] = componentOfName[nameIds[index]];
            column.present[index] = 1;
        }
        molecule.NoteAtomDataChange();
    } else {
        for (uint32_t index : columns.live)
            molecule.GetAtom(index)->SetData<int>(componentTag, componentOfName[nameIds[index]]);
    }
    molecule.SetData<int>(taggedTag, 1);
}

bool HasComponent(const Kamol::KaAtomBase& atom, int mask) {
    const int* mark = atom.GetData<int>(ComponentTag());
    return mark && (*mark & mask) != 0;
}

}  // namespace KaSel
