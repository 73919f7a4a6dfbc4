// A packed bit vector indexed by atom index: the whole-molecule results of
// distance and grouping sub-selections.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KaSel {

class AtomMask {
public:
    AtomMask() = default;
    // `size` entries, all clear.
    explicit AtomMask(uint32_t size) : words_((size_t(size) + 63) / 64, 0), size_(size) {}

    uint32_t Size() const { return size_; }
    // False for indices at or beyond the size.
    bool Test(uint32_t index) const {
        return index < size_ && (words_[index >> 6] >> (index & 63)) & 1u;
    }
    // Indices at or beyond the size are ignored.
    void Set(uint32_t index) {
        if (index < size_) words_[index >> 6] |= uint64_t(1) << (index & 63);
    }
    uint32_t Count() const;
    // Calls `visit(index)` for every set entry, in ascending order.
    template <class Visit>
    void ForEachSet(Visit&& visit) const {
        for (size_t w = 0; w < words_.size(); ++w)
            for (uint64_t word = words_[w]; word != 0; word &= word - 1)
                visit(static_cast<uint32_t>(w * 64 + static_cast<unsigned>(__builtin_ctzll(word))));
    }

private:
    std::vector<uint64_t> words_;
    uint32_t size_ = 0;
};

inline uint32_t AtomMask::Count() const {
    uint32_t count = 0;
    for (uint64_t word : words_) count += static_cast<uint32_t>(__builtin_popcountll(word));
    return count;
}

}  // namespace KaSel
