// Per-format entry points behind molecule/io.h. PDB and mmCIF files are read
// in one pass from a TextSource, piece by piece, so that a file is never held
// whole; each also has a form for text already in memory. The whole-text
// mmCIF reader also takes the files the one-pass one hands back and text
// that cannot be read twice (a pipe). MDL and MOL2 readers take the whole
// text. Text arrives decompressed; `fileName` is used in messages.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "molecule/io.h"
#include "molecule/text_lines.h"

namespace Kamol::io_detail {

using MolList = std::vector<std::unique_ptr<KaGraphMol>>;

// Whether a reader stops after the first model or record.
enum class ReadScope { First, All };

// Text read piece by piece, so that a reader need not hold a file whole.
class TextSource {
public:
    virtual ~TextSource() = default;
    // Fills up to `size` bytes of `buffer` with the next text and returns how
    // many; 0 at the end. Throws FileError, or FormatError for damaged
    // compressed data, when the rest cannot be read.
    virtual size_t Read(char* buffer, size_t size) = 0;
    // The text's expected size in bytes, 0 when unknown.
    virtual size_t SizeHint() const { return 0; }
};

// The text of a string, piece by piece.
class StringSource : public TextSource {
public:
    explicit StringSource(std::string_view text) : text_(text) {}
    size_t Read(char* buffer, size_t size) override {
        const size_t n = std::min(size, text_.size() - pos_);
        std::copy_n(text_.data() + pos_, n, buffer);
        pos_ += n;
        return n;
    }
    size_t SizeHint() const override { return text_.size(); }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// PDB read from a source line by line: the text is never held whole. Faults
// come in the order of reading the whole text first: a file that cannot be
// read, then NUL bytes, then faults in the records.
MolList ReadPdbSource(TextSource& source, const std::string& fileName, ReadScope scope);
// The same from text in memory.
MolList ReadPdbText(std::string_view text, const std::string& fileName, ReadScope scope);
// mmCIF read from a source in one pass, atom sites straight into the
// molecules. Throws WholeTextNeeded for a file that only ReadMmcifText reads
// exactly (and for every fault, which ReadMmcifText reports in its order);
// FileError when the source cannot be read.
struct WholeTextNeeded {};
MolList ReadMmcifSource(TextSource& source, const std::string& fileName, ReadScope scope);
// The whole-text mmCIF reader takes the text over and releases it once parsed.
MolList ReadMmcifText(std::string text, const std::string& fileName, ReadScope scope);
MolList ReadMdlText(std::string_view text, const std::string& fileName, ReadScope scope);
MolList ReadMol2Text(std::string_view text, const std::string& fileName, ReadScope scope);

// The molecule as PDB or mmCIF text; `fileName` is used in messages.
std::string FormatPdbText(const KaMolBase& mol, const std::string& fileName);
std::string FormatMmcifText(const KaMolBase& mol, const std::string& fileName);

// "<file>: <what>" as a FormatError.
[[noreturn]] void ThrowFormatError(const std::string& fileName, const std::string& what);

// Text readers refuse binary content up front: a NUL byte means the file is
// not text of any format read here.
void RequireText(std::string_view text, const std::string& fileName);
[[noreturn]] void ThrowNotText(const std::string& fileName);

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

}  // namespace Kamol::io_detail
