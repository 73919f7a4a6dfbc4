// The GRASP potential map ("phimap"): five Fortran unformatted records, each
// framed by its 4-byte length before and after, all numbers big-endian.
//
//   1   20 bytes   "now starting phimap "
//   2   70 bytes   "potential Phimap written from within Grasp", blank padded
//   3   65^3 floats, x fastest
//   4   16 bytes   " end of phimap  "
//   5   16 bytes   scale (points per unit length = 1 / spacing), mid x, y, z

#include <algorithm>
#include <bit>
#include <cstring>
#include <istream>
#include <ostream>
#include <string>

#include "grid/grid_io.h"
#include "system/message.h"

namespace KaSystem {

namespace {

constexpr uint32_t kValueCount = kGraspGridPoints * kGraspGridPoints * kGraspGridPoints;
constexpr uint32_t kValueBytes = kValueCount * 4;
constexpr char kStartText[] = "now starting phimap ";
constexpr char kOriginText[] = "potential Phimap written from within Grasp";
constexpr size_t kOriginLength = 70;
constexpr char kEndText[] = " end of phimap  ";

uint32_t SwapToBigEndian(uint32_t word) {
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap32(word);
    return word;
}

void PutWord(char* at, uint32_t word) {
    word = SwapToBigEndian(word);
    std::memcpy(at, &word, 4);
}

float GetFloat(const char* at) {
    uint32_t word;
    std::memcpy(&word, at, 4);
    return std::bit_cast<float>(SwapToBigEndian(word));
}

// Reads the records in order; any shortfall of input is reported once and
// turns every later call into a failure.
class RecordReader {
public:
    explicit RecordReader(std::istream& in) : in_(in) {}

    // A text record whose length is taken from the first non-zero byte of its
    // 4-byte leading length, so that lengths below 256 read in either byte
    // order. The text itself is not checked.
    bool SkipTextRecord() {
        char length[4];
        if (!Read(length, 4, false)) return Invalid();
        unsigned textLength = 0;
        for (char byte : length) {
            if (byte != 0) {
                textLength = static_cast<unsigned char>(byte);
                break;
            }
        }
        if (textLength == 0) return Invalid();
        char text[256];
        return Read(text, textLength, true) && Skip(4);
    }

    bool Skip(size_t count) {
        char scratch[16];
        return Read(scratch, count, true);
    }

    bool Read(char* buffer, size_t count, bool reportShortfall) {
        if (failed_) return false;
        in_.read(buffer, static_cast<std::streamsize>(count));
        if (static_cast<size_t>(in_.gcount()) == count) return true;
        failed_ = true;
        if (reportShortfall) Warning("Reached early end-of-file.");
        return false;
    }

private:
    bool Invalid() {
        failed_ = true;
        Warning("Invalid line length in Grasp grid file");
        return false;
    }

    std::istream& in_;
    bool failed_ = false;
};

void WriteRecord(std::ostream& out, const char* content, uint32_t length) {
    char frame[4];
    PutWord(frame, length);
    out.write(frame, 4);
    out.write(content, length);
    out.write(frame, 4);
}

}  // namespace

bool ReadGraspGrid(std::istream& in, KaScalarGrid& grid) {
    grid.Clear();
    if (!grid.SetDimensions(kGraspGridPoints, kGraspGridPoints, kGraspGridPoints)) return false;

    RecordReader reader(in);
    if (!reader.SkipTextRecord() || !reader.SkipTextRecord()) return false;

    // The values are read straight into the grid and put in host order there.
    char* bytes = reinterpret_cast<char*>(grid.GetValues());
    if (!reader.Skip(4) || !reader.Read(bytes, kValueBytes, true) || !reader.Skip(4)) return false;
    float* values = grid.GetValues();
    for (uint32_t index = 0; index < kValueCount; ++index) values[index] = GetFloat(bytes + 4 * size_t(index));

    if (!reader.SkipTextRecord()) return false;

    char tail[16];
    if (!reader.Skip(4) || !reader.Read(tail, 16, true) || !reader.Skip(4)) return false;
    float scale = GetFloat(tail);
    grid.SetSpacing(1.0f / scale);
    grid.SetMid(GetFloat(tail + 4), GetFloat(tail + 8), GetFloat(tail + 12));
    return true;
}

bool WriteGraspGrid(std::ostream& out, const KaScalarGrid& grid) {
    // A phimap holds exactly 65^3 points; resampling another grid onto that
    // lattice would silently crop or pad the data, so such grids are refused.
    if (grid.GetXDimension() != kGraspGridPoints || grid.GetYDimension() != kGraspGridPoints ||
        grid.GetZDimension() != kGraspGridPoints) {
        Warning("Grasp grid files hold 65 x 65 x 65 points; cannot write a grid of %u x %u x %u",
                grid.GetXDimension(), grid.GetYDimension(), grid.GetZDimension());
        return false;
    }

    WriteRecord(out, kStartText, sizeof kStartText - 1);
    std::string origin(kOriginText);
    origin.resize(kOriginLength, ' ');
    WriteRecord(out, origin.data(), kOriginLength);

    char frame[4];
    PutWord(frame, kValueBytes);
    out.write(frame, 4);
    const float* values = grid.GetValues();
    char block[4 * 4096];
    for (uint32_t start = 0; start < kValueCount; start += 4096) {
        uint32_t count = std::min<uint32_t>(4096, kValueCount - start);
        for (uint32_t n = 0; n < count; ++n) PutWord(block + 4 * n, std::bit_cast<uint32_t>(values[start + n]));
        out.write(block, 4 * count);
    }
    out.write(frame, 4);

    WriteRecord(out, kEndText, sizeof kEndText - 1);

    char tail[16];
    PutWord(tail, std::bit_cast<uint32_t>(1.0f / grid.GetSpacing()));
    PutWord(tail + 4, std::bit_cast<uint32_t>(grid.GetXMid()));
    PutWord(tail + 8, std::bit_cast<uint32_t>(grid.GetYMid()));
    PutWord(tail + 12, std::bit_cast<uint32_t>(grid.GetZMid()));
    WriteRecord(out, tail, 16);
    out.flush();
    return !out.fail();
}

}  // namespace KaSystem
