// Per-format entry points behind molecule/io.h. Readers take the whole file
// content (already decompressed) and the file name used in messages.
#pragma once

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

// The PDB and mmCIF readers take the text over and release it once parsed.
MolList ReadPdbText(std::string text, const std::string& fileName, ReadScope scope);
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
