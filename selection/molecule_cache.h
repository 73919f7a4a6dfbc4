// What the selection engine keeps with a molecule between evaluations: data
// derived from the molecule, each part valid until the molecule changes in a
// way that could alter it (checked through the molecule's version counters).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "selection/atom_mask.h"

namespace KaSel {

struct MoleculePointCloud;
class BucketGrid;

// Residues and chains as selections group atoms, by atom index (deleted
// atoms read the default record). The record fields themselves are among
// the molecule's own columns.
struct ResidueColumns {
    std::vector<char> chainKey;  // Kamol::ChainKey of the atom's chain id
    // Dense number of the residue (chain key, residue number, insert code).
    std::vector<uint32_t> residueId;
    uint32_t residueCount = 0;
};

// Kamol::ChainKey of each of the molecule's distinct chain ids (by chain-id id).
std::vector<char> ChainKeys(const Kamol::KaAtomColumns& columns);

// Per atom index: bit 0 set when some bonded neighbour is carbon, bit 1 when
// some bonded neighbour is nitrogen, oxygen or sulphur.
enum NeighbourBits : uint8_t { kCarbonNeighbour = 1, kPolarNeighbour = 2 };

// The component marks as the atoms carry them, read back from the atoms when
// some atom has data of its own beside its residue record: the int value (0
// when the atom has none), and which atoms hold a mark of another type.
struct ComponentColumn {
    const int32_t* marks = nullptr;  // by atom index
    std::vector<int32_t> readBack;
    AtomMask otherType;
    bool anyOtherType = false;
};

// One bit per atom for each class test that reads only the component mark
// and the atom name; a combination of these tests is one pass over a byte.
enum ClassBit : uint8_t {
    kProteinBit = 1,
    kLigandBit = 2,
    kWaterBit = 4,
    kSolventBit = 8,
    kBackboneBit = 16,
    kSidechainBit = 32,
};

struct MoleculeCache : Kamol::KaDerivedData {
    // The KD-tree over the atoms, valid while the coordinates version is
    // `treeCoordsVersion` (that version also moves when atoms come or go).
    std::shared_ptr<const MoleculePointCloud> tree;
    uint64_t treeCoordsVersion = 0;
    // A bucket grid over the atoms for distance masks, valid while the
    // coordinates version is `atomGridCoordsVersion`.
    std::shared_ptr<const BucketGrid> atomGrid;
    uint64_t atomGridCoordsVersion = 0;
    // Distance masks answered without a grid over all atoms since the
    // coordinates last changed; once there were enough, building one pays off.
    uint32_t scansAtVersion = 0;
    uint64_t scanCoordsVersion = 0;

    // Columns valid for the structure version noted beside them.
    ResidueColumns residues;
    uint64_t residuesVersion = 0;
    std::vector<uint8_t> neighbours;
    uint64_t neighboursVersion = 0;
    // Valid for both the structure and the atom-data version noted.
    ComponentColumn components;
    uint64_t componentsVersion = 0;
    uint64_t componentsDataVersion = 0;
    // ClassBit answers per atom index, valid for both versions noted.
    std::vector<uint8_t> classBits;
    uint64_t classBitsVersion = 0;
    uint64_t classBitsDataVersion = 0;
};

// The ClassBit answers of every atom, marking the molecule first; null while
// some atom holds a mark of another type, whose mismatch only the tests asked
// atom by atom report as often as they should.
const std::vector<uint8_t>* ClassBitsOf(Kamol::KaMolBase& molecule);

// The molecule's cache, created empty on first use.
MoleculeCache& CacheOf(const Kamol::KaMolBase& molecule);

// The columns for the molecule as it is now, rebuilt when out of date.
const ResidueColumns& ResidueColumnsOf(const Kamol::KaMolBase& molecule);
const std::vector<uint8_t>& NeighboursOf(const Kamol::KaMolBase& molecule);

}  // namespace KaSel
