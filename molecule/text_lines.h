// Line and field scanning shared by the text readers, without copying.
#pragma once

#include <charconv>
#include <string_view>
#include <vector>

namespace Kamol::io_detail {

// Splits text into lines without copying; a final line without a line feed
// is still a line, and a carriage return before the line feed is dropped.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++lineNumber_;
        return true;
    }
    // 1-based number of the line last returned by Next.
    size_t LineNumber() const { return lineNumber_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
};

inline std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Columns `start` to `start + width` of a line, cut at its end (empty past it).
inline std::string_view Columns(std::string_view line, size_t start, size_t width) {
    return start < line.size() ? line.substr(start, width) : std::string_view();
}

// Whole-field number parsing after trimming blanks; a leading '+' is
// allowed. `Number` is an integer or floating-point type.
template <class Number>
bool ParseNumber(std::string_view text, Number& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// Splits at blanks and tabs.
inline void SplitFields(std::string_view text, std::vector<std::string_view>& fields) {
    fields.clear();
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i > start) fields.push_back(text.substr(start, i - start));
    }
}

}  // namespace Kamol::io_detail
