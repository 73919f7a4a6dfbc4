// The ASCII grid text format.
//
//   Title: <free text>
//   Mid:   <x> <y> <z>           "%12.6f" each
//   Dim:   <nx> <ny> <nz>        "%6d" each
//   Spacing: <s>                 "%12.6f"
//   Values:
//   <one value per line>         "%-12.6e", x fastest, then y, then z

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "grid/grid_io.h"
#include "system/message.h"

namespace KaSystem {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// One line without its end of line; a trailing carriage return is dropped so
// that files written with CR LF line ends read alike. False at end of input.
bool ReadLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

std::vector<std::string> SplitTokens(const std::string& line) {
    std::vector<std::string> tokens;
    size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && IsSeparator(line[pos])) ++pos;
        size_t start = pos;
        while (pos < line.size() && !IsSeparator(line[pos])) ++pos;
        if (pos > start) tokens.emplace_back(line, start, pos - start);
    }
    return tokens;
}

// After a number only blank space may follow, and it must begin with a blank
// or a tab ("1.5   " is a number, "1.5 abc" and "1.5x" are not).
bool OnlyBlankTail(const std::string& text, const char* end) {
    size_t at = static_cast<size_t>(end - text.c_str());
    if (at == text.size()) return true;
    if (text[at] != ' ' && text[at] != '\t') return false;
    for (++at; at < text.size(); ++at)
        if (!IsSeparator(text[at])) return false;
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !OnlyBlankTail(text, end)) return false;
    value = parsed;
    return true;
}

double DoubleOrZero(const std::string& text) {
    double value = 0.0;
    return ParseDouble(text, value) ? value : 0.0;
}

// strtoul would wrap "-1" to the largest value and a dimension of 2^32 to a
// small one; neither is an unsigned 32-bit number, so both read as 0.
uint32_t UnsignedOrZero(const std::string& text) {
    if (text.empty() || text[0] == '-') return 0;
    char* end = nullptr;
    errno = 0;
    unsigned long parsed = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str() || !OnlyBlankTail(text, end)) return 0;
    if (errno == ERANGE || parsed > UINT32_MAX) return 0;
    return static_cast<uint32_t>(parsed);
}

// Reads one header line and checks its leading keyword and token count
// (0: any count of at least one).
bool ReadHeader(std::istream& in, const char* keyword, size_t count, std::vector<std::string>& tokens) {
    std::string line;
    tokens = ReadLine(in, line) ? SplitTokens(line) : std::vector<std::string>();
    bool ok = !tokens.empty() && tokens[0] == keyword && (count == 0 || tokens.size() == count);
    if (!ok) Warning("Problem reading %s line in Ascii grid", keyword);
    return ok;
}

}  // namespace

bool ReadAsciiGrid(std::istream& in, KaScalarGrid& grid) {
    std::vector<std::string> tokens;
    if (!ReadHeader(in, "Title:", 0, tokens)) return false;
    if (tokens.size() > 1) {
        std::string title = tokens[1];
        for (size_t t = 2; t < tokens.size(); ++t) title += ' ' + tokens[t];
        grid.SetTitle(title);
    }

    if (!ReadHeader(in, "Mid:", 4, tokens)) return false;
    grid.SetMid(static_cast<float>(DoubleOrZero(tokens[1])), static_cast<float>(DoubleOrZero(tokens[2])),
                static_cast<float>(DoubleOrZero(tokens[3])));

    if (!ReadHeader(in, "Dim:", 4, tokens)) return false;
    // Values are only ever filled by dimensions the grid accepted.
    if (!grid.SetDimensions(UnsignedOrZero(tokens[1]), UnsignedOrZero(tokens[2]), UnsignedOrZero(tokens[3]))) {
        Warning("Problem reading Dim: line in Ascii grid");
        return false;
    }

    if (!ReadHeader(in, "Spacing:", 2, tokens)) return false;
    grid.SetSpacing(static_cast<float>(DoubleOrZero(tokens[1])));

    if (!ReadHeader(in, "Values:", 1, tokens)) return false;

    // The header guaranteed an array of GetSize() values; fill it in the
    // writer's order, which is plain index order.
    const uint64_t size = grid.GetSize();
    float* values = grid.GetValues();
    std::string line;
    for (uint64_t index = 0; index < size; ++index) {
        if (!ReadLine(in, line)) {
            Warning("Reached early end-of-file.");
            Warning("Expected grid size: %llu, found: %llu", static_cast<unsigned long long>(size),
                    static_cast<unsigned long long>(index));
            return false;
        }
        double value = 0.0;
        if (ParseDouble(line, value))
            values[index] = static_cast<float>(value);
        else
            Warning("Could not read floating point value from the text '%s'", line.c_str());
    }
    return true;
}

bool WriteAsciiGrid(std::ostream& out, const KaScalarGrid& grid) {
    // "%12.6f" writes a float of the largest magnitude in 47 characters (sign,
    // 39 digits, point, 6 decimals), so the Mid line can take 149; a shorter
    // buffer would cut it, line end included.
    char buffer[256];
    out << "Title: " << grid.GetTitle() << '\n';
    std::snprintf(buffer, sizeof buffer, "Mid: %12.6f %12.6f %12.6f\n", static_cast<double>(grid.GetXMid()),
                  static_cast<double>(grid.GetYMid()), static_cast<double>(grid.GetZMid()));
    out << buffer;
    std::snprintf(buffer, sizeof buffer, "Dim: %6u %6u %6u\n", grid.GetXDimension(), grid.GetYDimension(),
                  grid.GetZDimension());
    out << buffer;
    std::snprintf(buffer, sizeof buffer, "Spacing: %12.6f\n", static_cast<double>(grid.GetSpacing()));
    out << buffer;
    out << "Values:\n";

    // Values go out through one block buffer rather than one stream call each.
    const float* values = grid.GetValues();
    const uint64_t size = grid.GetSize();
    std::string block;
    block.reserve(1 << 16);
    for (uint64_t index = 0; index < size; ++index) {
        int n = std::snprintf(buffer, sizeof buffer, "%-12.6e\n", static_cast<double>(values[index]));
        block.append(buffer, static_cast<size_t>(n));
        if (block.size() > (1 << 16) - 64) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            block.clear();
        }
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    out.flush();
    return !out.fail();
}

}  // namespace KaSystem
