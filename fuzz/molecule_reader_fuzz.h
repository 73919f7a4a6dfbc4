// The body of the structure-file fuzz targets: one reader on arbitrary bytes,
// through the in-memory entry points that ReadMolecule and ReadMolecules use
// once the file is read.
//
// Readers throw FormatError for content they cannot read; that is documented
// and expected. Every molecule they do give is then used the way scripts use
// one: a few selections evaluated on it, its residue keys listed and the
// molecule written as PDB text (which may refuse coordinates PDB cannot hold,
// with FormatError).

#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "molecule/io.h"
#include "molecule/io_formats.h"
#include "selection/select.h"
#include "selection/selector.h"

namespace kafuzz {

// Selections that touch residue data, classes, grouping and distances.
inline const char* const kProbeSelections[] = {
    "byres (ligand around 4.5) or (water and chain A)",
    "bychain (protein and backbone and helix) or (sheet expand 2)",
    "not (heavy beyond 3) and (metal or polar_hydrogen or resn HOH+LIG or alt B or b > 20)",
};

// Evaluation walks every atom per selection; very large molecules only get
// the cheaper checks, to keep the runs fast.
constexpr uint32_t kProbeAtomLimit = 5000;

inline void UseMolecule(Kamol::KaGraphMol& mol, const std::string& fileName) {
    if (mol.NumAtoms() <= kProbeAtomLimit) {
        for (const char* text : kProbeSelections) {
            const std::vector<unsigned int> selected = KaSel::EvaluateSelection(mol, text);
            if (KaSel::CountSelection(mol, text) != selected.size()) Fail(std::string("count differs for ") + text);
        }
    }
    (void)KaSel::mol_to_selector_set(mol);
    try {
        (void)Kamol::io_detail::FormatPdbText(mol, fileName);
    } catch (const Kamol::FormatError&) {
    }
}

// `reader` takes the text as a string (PDB, mmCIF) or a view of it (MDL, MOL2).
template <class Reader>
int RunReader(Reader reader, const char* fileName, const uint8_t* data, size_t size) {
    QuietWarnings();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string name = fileName;
    using Kamol::io_detail::ReadScope;
    for (ReadScope scope : {ReadScope::First, ReadScope::All}) {
        Kamol::io_detail::MolList molecules;
        try {
            molecules = reader(std::string(text), name, scope);
        } catch (const Kamol::FormatError&) {
            continue;
        }
        if (scope == ReadScope::First && molecules.size() > 1) Fail("a first-molecule read gave several");
        for (auto& mol : molecules) UseMolecule(*mol, name);
    }
    return 0;
}

}  // namespace kafuzz
