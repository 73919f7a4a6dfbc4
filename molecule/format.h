// Molecule file format codes, their display names, and the file name suffix
// rule that picks a format when none is given.
#pragma once

#include <cstdint>
#include <string>

namespace Kamol {

enum KaMolFormat : uint32_t {
    FORMAT_UNDEFINED = 0,
    FORMAT_CAN_SMILES = 1,
    FORMAT_MDL_MOL = 2,
    FORMAT_PDB = 3,
    FORMAT_MOL2 = 4,
    FORMAT_USM = 5,
    FORMAT_ISM = 6,
    FORMAT_MOL2H = 7,
    FORMAT_SDF = 8,
    FORMAT_CAN_NONSTEREO_SMILES = 9,
    FORMAT_FORMULA = 10,
    FORMAT_XYZ = 11,
    FORMAT_FASTA = 12,
    FORMAT_MOPAC = 13,
    FORMAT_KABINARY = 14,
    FORMAT_MACROMODEL = 15,
    FORMAT_SLN = 16,
    FORMAT_RDF = 17,
    FORMAT_CDX = 18,
    FORMAT_SKC = 19,
    FORMAT_INCHI = 20,
    FORMAT_INCHIKEY = 21,
    FORMAT_CSV = 22,
    FORMAT_JSON = 23,
    FORMAT_CIF = 24,
    FORMAT_KABINARY_ZSTD = 25,
    FORMAT_MMCIF = 26,
    FORMAT_CXSMILES = 27,
};

constexpr uint32_t kLastMolFormat = FORMAT_CXSMILES;

// Display name of a format code ("PDB", "MDL SDF", ...). A code above the
// last one sends the warning "Stream format tag out of range <code>" and
// gives an empty text.
std::string FormatName(uint32_t code);

// Format code of a file name suffix given without its leading dot ("pdb",
// "SDF", "pdb.gz"): compared case-insensitively up to its first dot; "pdb"
// may be followed by digits. Unknown suffixes and a null pointer give 0, and
// so does a suffix with its dot (".pdb"), which is empty up to that dot.
uint32_t FormatFromSuffix(const char* suffix);

}  // namespace Kamol
