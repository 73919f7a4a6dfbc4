// Selection text evaluated on small fixed molecules: the peptide of
// tests/data/pept.pdb, the same peptide with some atoms deleted, and a ligand
// read from MOL2 (atoms without residue records).
//
// Text that does not parse fails the documented ways and is done with. Text
// that parses is evaluated three ways on a fresh copy of each molecule - over
// the whole molecule at once, atom by atom through a copied KaSelect, and
// through EvaluateSelection/CountSelection - and the three must agree.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "molecule/io.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/selector.h"

namespace {

std::vector<std::unique_ptr<Kamol::KaMolBase>>& Molecules() {
    static std::vector<std::unique_ptr<Kamol::KaMolBase>> molecules;
    return molecules;
}

std::string Describe(const std::vector<unsigned int>& indices) {
    std::string text;
    for (unsigned int index : indices) text += std::to_string(index) + ' ';
    return text;
}

void Evaluate(const Kamol::KaMolBase& fixed, const KaSel::KaSelection& selection, const std::string& text,
              size_t which) {
    // Evaluation marks the molecule; every run starts from an unmarked copy,
    // so that a crashing input replays alike.
    std::unique_ptr<Kamol::KaMolBase> mol(fixed.Clone());

    KaSel::KaSelect whole(*mol, selection);
    const std::vector<uint32_t> selected = whole.SelectAll();

    KaSel::KaSelect single(whole);  // same tree, fresh caches
    std::vector<uint32_t> oneByOne;
    for (uint32_t index : mol->Columns().live)
        if (single(*mol->GetAtom(index))) oneByOne.push_back(index);

    const std::vector<unsigned int> evaluated = KaSel::EvaluateSelection(*mol, text);
    const unsigned int counted = KaSel::CountSelection(*mol, text);
    const std::vector<unsigned int> wholeAsUnsigned(selected.begin(), selected.end());
    const std::vector<unsigned int> oneAsUnsigned(oneByOne.begin(), oneByOne.end());
    if (oneAsUnsigned != wholeAsUnsigned || evaluated != wholeAsUnsigned || counted != selected.size())
        kafuzz::Fail("molecule " + std::to_string(which) + ", '" + selection.ToCanonical() +
                     "': whole molecule [" + Describe(wholeAsUnsigned) + "] atom by atom [" +
                     Describe(oneAsUnsigned) + "] EvaluateSelection [" + Describe(evaluated) + "] count " +
                     std::to_string(counted));

    // The residue texts of the selection go through the same evaluation.
    (void)KaSel::str_selector_set(*mol, text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kafuzz::QuietWarnings();
    const std::string data = KASELECT_DATA_DIR;
    auto& molecules = Molecules();
    molecules.push_back(Kamol::ReadMolecule(data + "/pept.pdb"));
    std::unique_ptr<Kamol::KaMolBase> gapped(molecules.front()->Clone());
    const std::vector<uint32_t> live = gapped->Columns().live;
    for (size_t i = 0; i < live.size(); i += 7) gapped->DeleteAtom(*gapped->GetAtom(live[i]));
    molecules.push_back(std::move(gapped));
    molecules.push_back(Kamol::ReadMolecule(data + "/LIG_1HPV.mol2"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::QuietWarnings();
    const std::string text = kafuzz::Text(data, size);
    KaSel::KaSelection selection;
    try {
        selection = KaSel::KaSelection::Parse(text);
    } catch (const KaSel::SelectionError&) {
        return 0;
    } catch (const std::out_of_range&) {
        return 0;
    }
    const auto& molecules = Molecules();
    for (size_t i = 0; i < molecules.size(); ++i) Evaluate(*molecules[i], selection, text, i);
    return 0;
}
