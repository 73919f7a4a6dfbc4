#include "molecule/elements.h"

#include <cctype>
#include <cstring>

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
}  // namespace

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
