// PDB reader: gemmi parses the records it knows; a line filter in front of it
// checks atom records, repairs the old line-numbered layout, and keeps the
// CONECT and TURN records that gemmi does not store.
#include <gemmi/pdb.hpp>

#include <cctype>
#include <cstring>
#include <new>

#include "molecule/read_structure.h"
#include "molecule/residue.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

// Record name test on the first four characters, case-insensitive, with
// columns past the end of the line read as blanks.
bool IsRecord(const char* line, size_t len, const char (&name)[5]) {
    for (size_t i = 0; i < 4; ++i) {
        char c = i < len ? static_cast<char>(std::toupper(static_cast<unsigned char>(line[i]))) : ' ';
        if (c != name[i]) return false;
    }
    return true;
}

// The part of a fixed-width field that lies inside the line, trimmed.
std::string_view Field(const char* line, size_t len, size_t start, size_t width) {
    return Trim(Columns(std::string_view(line, len), start, width));
}

// A fixed-width integer in decimal or, for values that overflow the field,
// in upper-case hybrid-36 (the first value past 10^width is "A000...").
bool ParsePdbInteger(std::string_view text, size_t width, int& value) {
    if (text.size() == width && std::isupper(static_cast<unsigned char>(text[0]))) {
        long long decoded = 0;
        for (char c : text) {
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10;
            else return false;
            decoded = decoded * 36 + digit;
        }
        long long power10 = 1, power36 = 1;
        for (size_t i = 0; i < width; ++i) power10 *= 10;
        for (size_t i = 1; i < width; ++i) power36 *= 36;
        value = static_cast<int>(decoded - 10 * power36 + power10);
        return true;
    }
    return ParseNumber(text, value);
}

// A fixed-point number as the coordinate columns hold it: an optional sign,
// digits with at most one decimal point, at least one digit.
bool IsCoordinate(std::string_view text) {
    size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') digit = true;
        else if (text[i] == '.' && !point) point = true;
        else return false;
    }
    return digit;
}

bool IsChargeField(char digit, char sign) {
    auto isSign = [](char c) { return c == '+' || c == '-'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    return (digit == ' ' && sign == ' ') || (isDigit(digit) && (isSign(sign) || sign == ' ')) ||
           (isSign(digit) && isDigit(sign));
}

// Feeds gemmi's PDB parser line by line (the stream interface it expects)
// and looks at each line on the way.
class PdbLineFilter {
public:
    PdbLineFilter(std::string_view text, const std::string& fileName) : text_(text), fileName_(fileName) {}

    // Copies the next line into `line` (capacity `size`), always ending it
    // with a line feed; a longer line is cut.
    char* gets(char* line, int size) {
        if (pos_ >= text_.size() || size < 3) return nullptr;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        size_t len = end - pos_;
        if (len > 0 && text_[pos_ + len - 1] == '\r') --len;
        len = std::min(len, static_cast<size_t>(size) - 2);
        std::memcpy(line, text_.data() + pos_, len);
        pos_ = end + 1;
        ++lineNumber_;
        len = Inspect(line, len, static_cast<size_t>(size) - 2);
        line[len] = '\n';
        line[len + 1] = '\0';
        return line;
    }
    // gets() never leaves the rest of a line behind.
    int getc() { return EOF; }

    size_t AtomRecords() const { return atomRecords_; }
    StructureRecords& Records() { return records_; }

    // Atom records in the lines the parser left unread (it stops at END).
    size_t AtomRecordsLeft() const {
        size_t count = 0;
        LineReader rest(text_.substr(std::min(pos_, text_.size())));
        std::string_view line;
        while (rest.Next(line))
            if (IsRecord(line.data(), line.size(), "ATOM") || IsRecord(line.data(), line.size(), "HETA")) ++count;
        return count;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        ThrowFormatError(fileName_, "line " + std::to_string(lineNumber_) + ": " + what);
    }

    void Skipped(const char* record, const char* why) const {
        KaSystem::Warning("%s: line %zu: %s record %s; skipped", fileName_.c_str(), lineNumber_, record, why);
    }

    // Looks at a line of `len` characters and returns its length for the
    // parser, which may grow up to `capacity`.
    size_t Inspect(char* line, size_t len, size_t capacity) {
        if (IsRecord(line, len, "ATOM") || IsRecord(line, len, "HETA")) {
            CheckAtom(line, len);
        } else if (IsRecord(line, len, "CONE")) {
            ReadConect(line, len);
        } else if (IsRecord(line, len, "TURN")) {
            ReadTurn(line, len);
        } else if (IsRecord(line, len, "HELI") || IsRecord(line, len, "SHEE")) {
            if (len < 39) Skipped(IsRecord(line, len, "HELI") ? "HELIX" : "SHEET", "is too short");
        } else if (IsRecord(line, len, "DBRE")) {
            // Sequence database references play no part in the molecules, and
            // the parser reads the ten-column sequence numbers of DBREF2 into
            // an int without an overflow check: it gets a blank line instead.
            std::memset(line, ' ', len);
        } else if ((IsRecord(line, len, "LINK") || IsRecord(line, len, "SSBO")) && len < 80) {
            // The parser reads the distance columns of these records without
            // looking at the line's length: give it all 80 columns.
            size_t padded = std::min<size_t>(80, capacity);
            std::memset(line + len, ' ', padded - len);
            return padded;
        }
        return len;
    }

    void CheckAtom(char* line, size_t len) {
        if (len < 54)
            Fail("atom record is too short (" + std::to_string(len) + " characters, coordinates end at column 54)");
        for (size_t start : {30, 38, 46}) {
            std::string_view value = Field(line, len, start, 8);
            if (!IsCoordinate(value))
                Fail("unreadable coordinate '" + std::string(line + start, 8) + "' in columns " +
                     std::to_string(start + 1) + "-" + std::to_string(start + 8));
        }
        // Old files carry the entry code and a line number in columns 73-80;
        // an element symbol never holds a digit, so such columns are cleared.
        if (len > 76 && (std::isdigit(static_cast<unsigned char>(line[76])) ||
                         (len > 77 && std::isdigit(static_cast<unsigned char>(line[77]))))) {
            std::memset(line + 72, ' ', std::min<size_t>(len, 80) - 72);
        } else if (len > 78 && !IsChargeField(line[78], len > 79 ? line[79] : ' ')) {
            std::memset(line + 78, ' ', std::min<size_t>(len, 80) - 78);
        }
        ++atomRecords_;
    }

    void ReadConect(const char* line, size_t len) {
        int from;
        if (!ParsePdbInteger(Field(line, len, 6, 5), 5, from)) return Skipped("CONECT", "has no readable atom serial");
        for (size_t start = 11; start <= 26; start += 5) {
            std::string_view field = Field(line, len, start, 5);
            if (field.empty()) continue;
            int to;
            if (!ParsePdbInteger(field, 5, to)) return Skipped("CONECT", "has an unreadable bonded atom serial");
            records_.conect.push_back({from, to, lineNumber_});
        }
    }

    void ReadTurn(const char* line, size_t len) {
        if (len < 35) return Skipped("TURN", "is too short");
        SecondaryRange range;
        // One-character chains sit in columns 20 and 31; the column before
        // each is read too, for two-character chains.
        range.chain = std::string(Field(line, len, 18, 2));
        std::string endChain(Field(line, len, 29, 2));
        if (!ParsePdbInteger(Field(line, len, 20, 4), 4, range.beginNumber) ||
            !ParsePdbInteger(Field(line, len, 31, 4), 4, range.endNumber))
            return Skipped("TURN", "has an unreadable residue number");
        range.beginIcode = line[24];
        range.endIcode = len > 35 ? line[35] : ' ';
        range.flags = kTurnFlag;
        if (endChain != range.chain) return Skipped("TURN", "spans two chains");
        records_.ranges.push_back(std::move(range));
    }

    std::string_view text_;
    const std::string& fileName_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
    size_t atomRecords_ = 0;
    StructureRecords records_;
};

}  // namespace

MolList ReadPdbText(std::string text, const std::string& fileName, ReadScope scope) {
    RequireText(text, fileName);
    PdbLineFilter filter(text, fileName);
    gemmi::Structure st;
    try {
        st = gemmi::pdb_impl::read_pdb_from_stream(filter, fileName, gemmi::PdbReadOptions());
    } catch (const FormatError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {  // gemmi reports faults with runtime and logic errors
        ThrowFormatError(fileName, e.what());
    }
    if (filter.AtomRecords() == 0) ThrowFormatError(fileName, "no ATOM or HETATM records");
    if (size_t left = filter.AtomRecordsLeft())
        KaSystem::Warning("%s: %zu ATOM/HETATM records follow the END record and were not read",
                          fileName.c_str(), left);

    std::string().swap(text);  // parsed: only gemmi's structure is needed now

    StructureRecords& records = filter.Records();
    CollectHelicesAndSheets(st, records.ranges);
    MolList molecules;
    BuildMolecules(st, records, fileName, scope, molecules);
    return molecules;
}

}  // namespace Kamol::io_detail
