#include "molecule/format.h"

#include <cctype>
#include <cstring>

#include "system/message.h"

namespace Kamol {

namespace {

const char* const kFormatNames[kLastMolFormat + 1] = {
    "UNDEFINED",
    "Canonical stereo SMILES",
    "MDL Mol",
    "PDB",
    "Tripos MOL2",
    "Non-Canonical non-stereo SMILES",
    "Canonical stereo SMILES",
    "MOL2 with H",
    "MDL SDF",
    "Canonical non-stereo SMILES",
    "Molecular Formula",
    "XYZ",
    "FASTA",
    "MOPAC",
    "KaBinary v2",
    "Macromodel",
    "Tripos SLN",
    "MDL RDF",
    "ChemDraw CDX",
    "MDL ISIS Sketch File",
    "IUPAC InChI",
    "IUPAC InChI Key",
    "Comma Separated Values",
    "JavaScript Object Notation",
    "Crystallographic Information File (CIF)",
    "Zstd Compressed KaBinary",
    "Macromolecular CIF",
    "Chemaxon Extended SMILES",
};

struct SuffixEntry {
    const char* suffix;
    uint32_t code;
};

// Searched in order; the first exact match wins. "pdb" with trailing digits
// is handled apart, at its place in the order.
const SuffixEntry kSuffixesBeforePdb[] = {
    {"can", FORMAT_CAN_NONSTEREO_SMILES}, {"cdx", FORMAT_CDX},   {"dat", FORMAT_MACROMODEL},
    {"ent", FORMAT_PDB},      {"fasta", FORMAT_FASTA},           {"usm", FORMAT_USM},
    {"ism", FORMAT_ISM},      {"isosmi", FORMAT_ISM},            {"mdl", FORMAT_MDL_MOL},
    {"mf", FORMAT_FORMULA},   {"mmd", FORMAT_MACROMODEL},        {"mmod", FORMAT_MACROMODEL},
    {"mol2h", FORMAT_MOL2H},  {"mol2", FORMAT_MOL2},             {"mol", FORMAT_MDL_MOL},
    {"mopac", FORMAT_MOPAC},  {"pac", FORMAT_MOPAC},             {"kab", FORMAT_KABINARY},
    {"kaz", FORMAT_KABINARY_ZSTD},
};

const SuffixEntry kSuffixesAfterPdb[] = {
    {"rd", FORMAT_RDF},          {"rdf", FORMAT_RDF},       {"rxn", FORMAT_MDL_MOL},
    {"seq", FORMAT_FASTA},       {"sd", FORMAT_SDF},        {"sdf", FORMAT_SDF},
    {"skc", FORMAT_SKC},         {"sln", FORMAT_SLN},       {"smi", FORMAT_CAN_SMILES},
    {"syb", FORMAT_MOL2},        {"xyz", FORMAT_XYZ},       {"inchikey", FORMAT_INCHIKEY},
    {"inchi", FORMAT_INCHI},     {"csv", FORMAT_CSV},       {"json", FORMAT_JSON},
    {"cif", FORMAT_CIF},         {"cxsmiles", FORMAT_CXSMILES},
};

// "pdb" alone or followed by decimal digits only.
bool IsPdbSuffix(const std::string& s) {
    if (s.compare(0, 3, "pdb") != 0) return false;
    for (size_t i = 3; i < s.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

}  // namespace

std::string FormatName(uint32_t code) {
    if (code > kLastMolFormat) {
        KaSystem::Warning("Stream format tag out of range %d", static_cast<int>(code));
        return std::string();
    }
    return kFormatNames[code];
}

uint32_t FormatFromSuffix(const char* suffix) {
    if (!suffix) return FORMAT_UNDEFINED;
    std::string key;
    for (const char* p = suffix; *p && *p != '.'; ++p)
        key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
    for (const SuffixEntry& e : kSuffixesBeforePdb)
        if (key == e.suffix) return e.code;
    if (IsPdbSuffix(key)) return FORMAT_PDB;
    for (const SuffixEntry& e : kSuffixesAfterPdb)
        if (key == e.suffix) return e.code;
    return FORMAT_UNDEFINED;
}

}  // namespace Kamol
