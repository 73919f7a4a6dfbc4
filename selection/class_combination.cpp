// Selections made only of class tests that read the component mark and the
// atom name (protein, ligand, water, solvent, backbone, sidechain) under
// "and", "or" and "not" are answered in one pass over a byte per atom: the
// tree is turned once into a table of its answer for every byte value.
//
// The pass keeps what per-atom evaluation does: every such test marks the
// molecule, and the first test of the tree is asked about every atom, so the
// molecule is marked exactly when there is an atom to ask about; atoms whose
// mark has another type make every test fall back to asking atom by atom.
#include <array>
#include <cstring>

#include "selection/evaluate_internal.h"
#include "selection/molecule_cache.h"
#include "selection/residue_class.h"

namespace KaSel::detail {

namespace {

// The ClassBit a leaf reads, or 0 when the node is not such a leaf.
uint8_t LeafBit(const Predicate& node) {
    if (dynamic_cast<const ProteinPredicate*>(&node)) return kProteinBit;
    if (dynamic_cast<const LigandPredicate*>(&node)) return kLigandBit;
    if (dynamic_cast<const WaterPredicate*>(&node)) return kWaterBit;
    if (dynamic_cast<const SolventPredicate*>(&node)) return kSolventBit;
    if (dynamic_cast<const BackbonePredicate*>(&node)) return kBackboneBit;
    if (dynamic_cast<const SidechainPredicate*>(&node)) return kSidechainBit;
    return 0;
}

// Whether the tree is made of such leaves under and/or/not, every and/or
// with at least one operand (so its first leaf sees every atom).
bool IsClassCombination(const Predicate& node) {
    if (LeafBit(node)) return true;
    if (!dynamic_cast<const AndPredicate*>(&node) && !dynamic_cast<const OrPredicate*>(&node) &&
        !dynamic_cast<const NotPredicate*>(&node))
        return false;
    const PredicateList children = node.GetChildren();
    if (children.empty()) return false;
    for (const PredicatePtr& child : children)
        if (!IsClassCombination(*child)) return false;
    return true;
}

// The class bits the tree reads.
uint8_t UsedBits(const Predicate& node) {
    uint8_t used = LeafBit(node);
    for (const PredicatePtr& child : node.GetChildren()) used |= UsedBits(*child);
    return used;
}

bool Answer(const Predicate& node, uint8_t bits) {
    if (const uint8_t bit = LeafBit(node)) return (bits & bit) != 0;
    const PredicateList children = node.GetChildren();
    if (dynamic_cast<const NotPredicate*>(&node)) return !Answer(*children.front(), bits);
    const bool isAnd = dynamic_cast<const AndPredicate*>(&node) != nullptr;
    for (const PredicatePtr& child : children)
        if (Answer(*child, bits) != isAnd) return !isAnd;
    return isAnd;
}

}  // namespace

bool SelectClassCombination(const SelectionContext& context, const Predicate& node, AtomSpan atoms,
                            std::vector<uint32_t>& accepted) {
    if (atoms.empty() || !IsClassCombination(node)) return false;
    const std::vector<uint8_t>* classBits = ClassBitsOf(context.GetMolecule());
    if (!classBits) return false;
    std::array<uint8_t, 64> table;
    for (uint32_t bits = 0; bits < table.size(); ++bits) table[bits] = Answer(node, uint8_t(bits));
    const uint8_t* bits = classBits->data();
    if (atoms.back() != atoms.size() - 1) {
        FilterAtoms(atoms, accepted, [&](uint32_t index) { return table[bits[index]] != 0; });
        return true;
    }
    // Every atom from 0: eight bytes at a time. Atoms of one residue class
    // stand together, so once the unused bits are masked off most words hold
    // one value eight times, decided by one lookup.
    constexpr uint64_t kEachByte = 0x0101010101010101ull;
    const uint64_t used = kEachByte * UsedBits(node);
    const size_t n = atoms.size();
    constexpr size_t kBlock = 1024;
    uint32_t block[kBlock + 8];
    size_t kept = 0;
    accepted.reserve(accepted.size() + n);
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t word;
        std::memcpy(&word, bits + i, sizeof word);
        word &= used;
        const uint8_t first = uint8_t(word);
        if (word == kEachByte * first) {
            if (table[first])
                for (uint32_t k = 0; k < 8; ++k) block[kept++] = uint32_t(i + k);
        } else {
            for (uint32_t k = 0; k < 8; ++k) {
                block[kept] = uint32_t(i + k);
                kept += table[uint8_t(word >> (8 * k))];
            }
        }
        if (kept >= kBlock) {
            accepted.insert(accepted.end(), block, block + kept);
            kept = 0;
        }
    }
    accepted.insert(accepted.end(), block, block + kept);
    for (; i < n; ++i)
        if (table[bits[i]]) accepted.push_back(uint32_t(i));
    return true;
}

}  // namespace KaSel::detail
