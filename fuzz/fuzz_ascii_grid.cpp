// ASCII grid reader on arbitrary bytes.
//
// The reader reports bad input as warnings and a false result, never by
// throwing. A grid it accepts has the value array its dimensions promise; a
// small one is written back out and read again, which must succeed.

#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "grid/grid.h"
#include "grid/grid_io.h"

namespace {

// Writing out a grid costs a line per value; only small grids go round.
constexpr uint64_t kRoundTripLimit = 1u << 16;

}  // namespace

// A Dim line may ask for up to 2^32 - 1 values (16 GiB), which the grid
// allocates at once with calloc; a machine that cannot give that much fails
// the allocation and the reader reports the Dim line. Here allocations above
// 1 GiB take that path, rather than have AddressSanitizer poison gigabytes of
// shadow memory when such a grid is freed.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=1024"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::QuietWarnings();
    std::istringstream in(kafuzz::Text(data, size));
    KaSystem::KaScalarGrid grid;
    if (!KaSystem::ReadGrid(in, grid, KaSystem::ASCII_GRID)) return 0;

    uint32_t x, y, z;
    grid.GetDimensions(x, y, z);
    if (grid.GetSize() != uint64_t(x) * y * z || grid.GetSize() == 0 || grid.GetValues() == nullptr)
        kafuzz::Fail("an accepted grid has no values for its dimensions");
    if (grid.GetSize() > kRoundTripLimit) return 0;

    std::ostringstream out;
    if (!KaSystem::WriteGrid(out, grid, KaSystem::ASCII_GRID)) kafuzz::Fail("an accepted grid cannot be written");
    std::istringstream again(out.str());
    KaSystem::KaScalarGrid copy;
    if (!KaSystem::ReadGrid(again, copy, KaSystem::ASCII_GRID)) kafuzz::Fail("a written grid does not read back");
    if (copy.GetXDimension() != x || copy.GetYDimension() != y || copy.GetZDimension() != z)
        kafuzz::Fail("a written grid reads back with other dimensions");
    return 0;
}
