// Per-format entry points behind molecule/io.h. Readers take the whole file
// content (already decompressed) and the file name used in messages.
#pragma once

#include <charconv>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "molecule/io.h"

namespace Kamol::io_detail {

using MolList = std::vector<std::unique_ptr<KaGraphMol>>;

// Whether a reader stops after the first model or record.
enum class ReadScope { First, All };

MolList ReadPdbText(std::string_view text, const std::string& fileName, ReadScope scope);
MolList ReadMmcifText(std::string_view text, const std::string& fileName, ReadScope scope);
MolList ReadMdlText(std::string_view text, const std::string& fileName, ReadScope scope);
MolList ReadMol2Text(std::string_view text, const std::string& fileName, ReadScope scope);

// The molecule as PDB text; `fileName` is used in messages.
std::string FormatPdbText(const KaMolBase& mol, const std::string& fileName);

// "<file>: <what>" as a FormatError.
[[noreturn]] void ThrowFormatError(const std::string& fileName, const std::string& what);

// Text readers refuse binary content up front: a NUL byte means the file is
// not text of any format read here.
void RequireText(std::string_view text, const std::string& fileName);

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
    bool AtEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
};

// A fault inside one record of a multi-record file, before it is known
// whether the record is skipped or the read fails.
struct RecordFault {
    size_t line;
    std::string what;
};

// Decides what a record fault does: with ReadScope::First it is a
// FormatError at once; with ReadScope::All the record is skipped, and Finish
// warns about each skipped record, or fails when no record could be read.
class RecordFaults {
public:
    RecordFaults(const std::string& fileName, ReadScope scope) : fileName_(fileName), scope_(scope) {}
    // `record` is 1-based.
    void Report(size_t record, const RecordFault& fault);
    // `recordKind` names what the file should hold, for the error when
    // nothing was read.
    void Finish(const MolList& molecules, const char* recordKind) const;

private:
    const std::string& fileName_;
    ReadScope scope_;
    std::vector<std::string> skipped_;
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

// Whole-field number parsing after trimming blanks; a leading '+' is allowed.
inline bool ParseNumber(std::string_view text, double& value) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

inline bool ParseInteger(std::string_view text, int& value) {
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
