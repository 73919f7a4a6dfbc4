// Text helpers of the selection library: trimming with a named blank set, and
// reading a leading integer the way std::stoi does.
#pragma once

#include <cstdint>
#include <string_view>

namespace KaSel {

// Blank sets; each caller names the one its rule uses.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kBlanksAndTabs = " \t";
inline constexpr std::string_view kLineBlanks = " \t\r\n";
inline constexpr std::string_view kCWhiteSpace = " \t\n\v\f\r";

// What is left of a text made of nothing but blanks.
enum class OnlyBlanks { Kept, Emptied };

// `text` without the bytes of `blanks` at both ends.
inline std::string_view Trim(std::string_view text, std::string_view blanks, OnlyBlanks onlyBlanks) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return onlyBlanks == OnlyBlanks::Kept ? text : std::string_view();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

enum class IntRead { Ok, NoDigits, OutOfRange };

// Reads a leading base-10 int32 as std::stoi does: C-locale white space, one
// optional sign, then digits up to the first non-digit.
inline IntRead ReadLeadingInt(std::string_view text, int32_t& value) {
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    const int64_t limit = negative ? int64_t(INT32_MAX) + 1 : int64_t(INT32_MAX);
    int64_t magnitude = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
        magnitude = magnitude * 10 + (text[at] - '0');
        if (magnitude > limit) return IntRead::OutOfRange;
    }
    if (digits == 0) return IntRead::NoDigits;
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return IntRead::Ok;
}

}  // namespace KaSel
