// GRASP phimap reader on arbitrary bytes.
//
// A phimap holds 65^3 values (about 1 MB), far beyond what mutation reaches
// by itself, while everything the reader decides is in the few records around
// them. So the first byte chooses how the input is used:
//
//   even: the rest of the input is the file;
//   odd:  the second byte (n) cuts the rest after n bytes, and a block of
//         65^3 big-endian values is put in at the cut, so that short inputs
//         can frame a whole value record.
//
// The reader never throws; a file it accepts gives a 65 x 65 x 65 grid.

#include <algorithm>
#include <istream>
#include <streambuf>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "grid/grid.h"
#include "grid/grid_io.h"

namespace {

constexpr size_t kValueBytes = size_t(KaSystem::kGraspGridPoints) * KaSystem::kGraspGridPoints *
                               KaSystem::kGraspGridPoints * 4;

// The value block: a repeating pattern of finite and non-finite floats.
const std::string& ValueBlock() {
    static const std::string block = [] {
        const unsigned char pattern[] = {0x3f, 0x80, 0x00, 0x00, 0xc1, 0x20, 0x00, 0x00,
                                         0x7f, 0xc0, 0x00, 0x00, 0x7f, 0x80, 0x00, 0x00};
        std::string values(kValueBytes, '\0');
        for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<char>(pattern[i % sizeof pattern]);
        return values;
    }();
    return block;
}

// Serves consecutive pieces of memory as one stream, without copying them.
class PiecesBuffer : public std::streambuf {
public:
    PiecesBuffer(std::string_view first, std::string_view second, std::string_view third)
        : pieces_{first, second, third} {}

protected:
    int_type underflow() override {
        while (next_ < 3) {
            std::string_view piece = pieces_[next_++];
            if (piece.empty()) continue;
            char* begin = const_cast<char*>(piece.data());
            setg(begin, begin, begin + piece.size());
            return traits_type::to_int_type(*gptr());
        }
        return traits_type::eof();
    }

private:
    std::string_view pieces_[3];
    int next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::QuietWarnings();
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view first = input.substr(1), second, third;
    if (data[0] & 1) {
        if (size < 2) return 0;
        const std::string_view rest = input.substr(2);
        const size_t cut = std::min<size_t>(data[1], rest.size());
        first = rest.substr(0, cut);
        second = ValueBlock();
        third = rest.substr(cut);
    }
    PiecesBuffer buffer(first, second, third);
    std::istream in(&buffer);
    KaSystem::KaScalarGrid grid;
    if (!KaSystem::ReadGrid(in, grid, KaSystem::GRASP_GRID)) return 0;
    if (grid.GetXDimension() != KaSystem::kGraspGridPoints || grid.GetYDimension() != KaSystem::kGraspGridPoints ||
        grid.GetZDimension() != KaSystem::kGraspGridPoints || grid.GetValues() == nullptr)
        kafuzz::Fail("an accepted phimap is not a 65 x 65 x 65 grid");
    return 0;
}
