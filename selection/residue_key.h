// A residue as selections know it: the first byte of the chain id (a blank
// when empty), the residue number and the insert code; the residue name takes
// no part. Packed into one integer, keys compare, sort and hash as numbers.
#pragma once

#include <cstdint>

#include "molecule/residue.h"

namespace KaSel {

inline uint64_t ResidueKey(char chain, char insertCode, int32_t number) {
    return (uint64_t(uint8_t(chain)) << 40) | (uint64_t(uint8_t(insertCode)) << 32) | uint32_t(number);
}

inline uint64_t ResidueKeyOf(const Kamol::KaResidue& residue) {
    return ResidueKey(Kamol::ChainKey(Kamol::CText(residue.chainId)), residue.insertCode, residue.residueNumber);
}

}  // namespace KaSel
