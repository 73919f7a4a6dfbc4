// Residue selector text: one selector (Selector::FromString), a selector list
// (parse_selector_set) and the residue-key predicate built from the list,
// applied to every atom of the peptide of tests/data/pept.pdb.
//
// Malformed text throws SelectionError, which is documented; every selector
// that was read must print, and a list that was read must build its predicate.

#include <memory>
#include <string>

#include "fuzz_support.h"
#include "molecule/io.h"
#include "selection/selection.h"
#include "selection/selector.h"

namespace {

std::unique_ptr<Kamol::KaGraphMol>& Peptide() {
    static std::unique_ptr<Kamol::KaGraphMol> mol;
    return mol;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kafuzz::QuietWarnings();
    Peptide() = Kamol::ReadMolecule(std::string(KASELECT_DATA_DIR) + "/pept.pdb");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::QuietWarnings();
    const std::string text = kafuzz::Text(data, size);

    try {
        const KaSel::Selector one = KaSel::Selector::FromString(text);
        (void)one.ToString();
    } catch (const KaSel::SelectionError&) {
    }

    KaSel::SelectorSet selectors;
    try {
        selectors = KaSel::parse_selector_set(text);
    } catch (const KaSel::SelectionError&) {
        return 0;
    }
    for (const KaSel::Selector& selector : selectors) (void)selector.ToString();

    // The predicate built from the set and the one built from the text agree on every atom.
    const KaSel::KaResidueSelector fromSet(selectors);
    const KaSel::KaResidueSelector fromText(text);
    const Kamol::KaGraphMol& mol = *Peptide();
    for (uint32_t index : mol.Columns().live) {
        const Kamol::KaAtomBase& atom = *mol.GetAtom(index);
        if (fromSet(atom) != fromText(atom))
            kafuzz::Fail("residue selectors from a set and from its text differ on atom " + std::to_string(index));
    }
    return 0;
}
