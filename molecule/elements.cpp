#include "molecule/elements.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>

namespace Kamol {

namespace {
const char* const kSymbols[kMaxElement + 1] = {
    "",   "H",  "He", "Li", "Be", "B",  "C",  "N",  "O",  "F",  "Ne", "Na", "Mg", "Al", "Si",
    "P",  "S",  "Cl", "Ar", "K",  "Ca", "Sc", "Ti", "V",  "Cr", "Mn", "Fe", "Co", "Ni", "Cu",
    "Zn", "Ga", "Ge", "As", "Se", "Br", "Kr", "Rb", "Sr", "Y",  "Zr", "Nb", "Mo", "Tc", "Ru",
    "Rh", "Pd", "Ag", "Cd", "In", "Sn", "Sb", "Te", "I",  "Xe", "Cs", "Ba", "La", "Ce", "Pr",
    "Nd", "Pm", "Sm", "Eu", "Gd", "Tb", "Dy", "Ho", "Er", "Tm", "Yb", "Lu", "Hf", "Ta", "W",
    "Re", "Os", "Ir", "Pt", "Au", "Hg", "Tl", "Pb", "Bi", "Po", "At", "Rn", "Fr", "Ra", "Ac",
    "Th", "Pa", "U",  "Np", "Pu", "Am", "Cm", "Bk", "Cf", "Es", "Fm", "Md", "No", "Lr", "Rf",
    "Db", "Sg", "Bh", "Hs", "Mt", "Ds", "Rg", "Cn", "Nh", "Fl", "Mc", "Lv", "Ts", "Og"};

// Single-bond covalent radii (Angstrom), Cordero et al. 2008 where known.
const float kCovalentRadii[kMaxElement + 1] = {
    0.00f, 0.31f, 0.28f, 1.28f, 0.96f, 0.84f, 0.76f, 0.71f, 0.66f, 0.57f, 0.58f, 1.66f, 1.41f,
    1.21f, 1.11f, 1.07f, 1.05f, 1.02f, 1.06f, 2.03f, 1.76f, 1.70f, 1.60f, 1.53f, 1.39f, 1.39f,
    1.32f, 1.26f, 1.24f, 1.32f, 1.22f, 1.22f, 1.20f, 1.19f, 1.20f, 1.20f, 1.16f, 2.20f, 1.95f,
    1.90f, 1.75f, 1.64f, 1.54f, 1.47f, 1.46f, 1.42f, 1.39f, 1.45f, 1.44f, 1.42f, 1.39f, 1.39f,
    1.38f, 1.39f, 1.40f, 2.44f, 2.15f, 2.07f, 2.04f, 2.03f, 2.01f, 1.99f, 1.98f, 1.98f, 1.96f,
    1.94f, 1.92f, 1.92f, 1.89f, 1.90f, 1.87f, 1.87f, 1.75f, 1.70f, 1.62f, 1.51f, 1.44f, 1.41f,
    1.36f, 1.36f, 1.32f, 1.45f, 1.46f, 1.48f, 1.40f, 1.50f, 1.50f, 2.60f, 2.21f, 2.15f, 2.06f,
    2.00f, 1.96f, 1.90f, 1.87f, 1.80f, 1.69f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f,
    1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f, 1.60f,
    1.60f, 1.60f};

int SystematicDigit(char c, bool third) {
    switch (c) {
        case 'n': return 0;
        case 'u': return 1;
        case 'b': return 2;
        default: break;
    }
    if (!third) return -1;
    switch (c) {
        case 't': return 3;
        case 'q': return 4;
        case 'p': return 5;
        case 'h': return 6;
        case 's': return 7;
        case 'o': return 8;
        case 'e': return 9;
        default: return -1;
    }
}
struct IonResidue {
    const char* name;  // upper case
    uint32_t element;
};
// Sorted by name for a binary search.
constexpr IonResidue kIonResidues[] = {
    {"BA", 56},   {"BAR", 56}, {"BR", 35},   {"BR-", 35},  {"CA", 20},   {"CA2+", 20}, {"CAL", 20},
    {"CD", 48},   {"CD2", 48}, {"CD2+", 48}, {"CES", 55},  {"CL", 17},   {"CL-", 17},  {"CLA", 17},
    {"CO", 27},   {"CO2+", 27}, {"CS", 55},  {"CS+", 55},  {"CU", 29},   {"CU1", 29},  {"CU2+", 29},
    {"F", 9},     {"F-", 9},   {"FE", 26},   {"FE2", 26},  {"FE2+", 26}, {"FE3+", 26}, {"I", 53},
    {"I-", 53},   {"IOD", 53}, {"K", 19},    {"K+", 19},   {"LI", 3},    {"LI+", 3},   {"LIT", 3},
    {"MG", 12},   {"MG2", 12}, {"MG2+", 12}, {"MN", 25},   {"MN2+", 25}, {"NA", 11},   {"NA+", 11},
    {"NI", 28},   {"NI2+", 28}, {"POT", 19}, {"RB", 37},   {"RB+", 37},  {"SOD", 11},  {"ZN", 30},
    {"ZN2", 30},  {"ZN2+", 30}};
constexpr size_t kMaxIonName = 4;

// `text` in upper case into `out` (room for kMaxIonName + 1); false when longer.
bool UpperName(std::string_view text, char* out) {
    if (text.empty() || text.size() > kMaxIonName) return false;
    for (size_t i = 0; i < text.size(); ++i) out[i] = char(std::toupper(static_cast<unsigned char>(text[i])));
    out[text.size()] = '\0';
    return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
}  // namespace

uint32_t IonResidueElement(std::string_view residueName) {
    char name[kMaxIonName + 1];
    if (!UpperName(residueName, name)) return 0;
    const auto* end = std::end(kIonResidues);
    const auto* at = std::lower_bound(std::begin(kIonResidues), end, name,
                                      [](const IonResidue& r, const char* n) { return std::strcmp(r.name, n) < 0; });
    return at != end && std::strcmp(at->name, name) == 0 ? at->element : 0;
}

bool IsIonAtom(uint32_t ion, std::string_view residueName, std::string_view atomName) {
    if (SameIgnoringCase(atomName, residueName)) return true;
    size_t symbolLength = atomName.size();
    while (symbolLength > 0 && (std::isdigit(static_cast<unsigned char>(atomName[symbolLength - 1])) ||
                                atomName[symbolLength - 1] == '+' || atomName[symbolLength - 1] == '-'))
        --symbolLength;
    return symbolLength > 0 && SameIgnoringCase(atomName.substr(0, symbolLength), GetElementSymbol(ion));
}

uint32_t IonElement(std::string_view residueName, std::string_view atomName) {
    const uint32_t ion = IonResidueElement(residueName);
    return ion != 0 && IsIonAtom(ion, residueName, atomName) ? ion : 0;
}

uint32_t GetAtomicNumFromSymbol(const char* symbol) {
    if (!symbol) return 0;
    while (*symbol == ' ') ++symbol;
    size_t length = std::strlen(symbol);
    if (length == 0 || length > 3 || !std::isalpha(static_cast<unsigned char>(symbol[0]))) return 0;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0])));
    char second = length > 1 ? static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[1]))) : '\0';
    if (length == 3) {
        char third = static_cast<char>(std::tolower(static_cast<unsigned char>(symbol[2])));
        if (first != 'U') return 0;
        int tens = SystematicDigit(second, false);
        int units = SystematicDigit(third, true);
        if (tens < 0 || units < 0) return 0;
        return 100 + 10 * tens + units;
    }
    if (length == 1 && (first == 'D' || first == 'T')) return 1;
    for (uint32_t z = 1; z <= kMaxElement; ++z) {
        const char* s = kSymbols[z];
        if (s[0] == first && s[1] == second) return z;
    }
    return 0;
}

const char* GetElementSymbol(uint32_t atomicNum) {
    return atomicNum <= kMaxElement ? kSymbols[atomicNum] : "";
}

float GetCovalentRadius(uint32_t atomicNum) {
    return atomicNum <= kMaxElement ? kCovalentRadii[atomicNum] : 0.0f;
}

}  // namespace Kamol
