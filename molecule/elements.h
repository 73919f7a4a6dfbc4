// Element symbols and per-element data.
#pragma once

#include <cstdint>

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

}  // namespace Kamol
