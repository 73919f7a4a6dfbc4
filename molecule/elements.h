// Element symbols and per-element data.
#pragma once

#include <cstdint>
#include <string_view>

namespace Kamol {

// Atomic number of an element symbol: case-folded ("ca", "CA", "Ca" give 20),
// leading blanks skipped, "D" and "T" give 1, three-letter systematic symbols
// "Unn".."Ube" give 100..129; anything else, or a null pointer, gives 0.
uint32_t GetAtomicNumFromSymbol(const char* symbol);

// Standard symbol of an atomic number ("Fe" for 26); "" outside 1..118.
const char* GetElementSymbol(uint32_t atomicNum);

// Single-bond covalent radius in Angstrom; 0 for unknown elements.
float GetCovalentRadius(uint32_t atomicNum);

constexpr uint32_t kMaxElement = 118;

// Ions as molecular-dynamics force fields name them, for atoms whose file
// gives no element (the atom name alone would make NA nitrogen and CA or CLA
// carbon). An ion residue is one of these names, in any letter case:
//   Li: LI LI+ LIT    Na: NA NA+ SOD    K: K K+ POT    Rb: RB RB+
//   Cs: CS CS+ CES    Mg: MG MG2 MG2+   Ca: CA CA2+ CAL  Ba: BA BAR
//   Zn: ZN ZN2 ZN2+   Cd: CD CD2 CD2+   Fe: FE FE2 FE2+ FE3+  Mn: MN MN2+
//   Co: CO CO2+       Ni: NI NI2+       Cu: CU CU1 CU2+
//   F: F F-   Cl: CL CL- CLA   Br: BR BR-   I: I I- IOD
// IonResidueElement gives the element of such a residue, 0 for any other
// name. IonElement gives it for an atom of such a residue whose name is the
// residue's name or the element's symbol followed by nothing but a charge
// (digits, "+", "-"), in any letter case: NA in NA, NA+ in NA+, SOD in SOD,
// ZN in ZN2, MG2+ in MG; 0 otherwise (CA in ALA stays a matter of the name).
uint32_t IonResidueElement(std::string_view residueName);
uint32_t IonElement(std::string_view residueName, std::string_view atomName);
// The same for an atom of a residue whose IonResidueElement is `ion` (not 0).
bool IsIonAtom(uint32_t ion, std::string_view residueName, std::string_view atomName);

}  // namespace Kamol
