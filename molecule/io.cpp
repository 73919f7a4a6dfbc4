#include "molecule/io.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "molecule/format.h"
#include "molecule/io_formats.h"
#include "system/message.h"

namespace Kamol {

namespace io_detail {

void ThrowFormatError(const std::string& fileName, const std::string& what) {
    throw FormatError(fileName + ": " + what);
}

void RequireText(std::string_view text, const std::string& fileName) {
    if (text.find('\0') != std::string_view::npos)
        ThrowFormatError(fileName, "contains NUL bytes; this is not a text file");
}

void RecordFaults::Report(size_t record, const RecordFault& fault) {
    std::string text = "record " + std::to_string(record) + " (line " + std::to_string(fault.line) + "): " + fault.what;
    if (scope_ == ReadScope::First) ThrowFormatError(fileName_, text);
    skipped_.push_back(std::move(text));
}

void RecordFaults::Finish(const MolList& molecules, const char* recordKind) const {
    if (molecules.empty()) {
        if (!skipped_.empty())
            ThrowFormatError(fileName_, "no readable " + std::string(recordKind) + "; " + skipped_[0]);
        ThrowFormatError(fileName_, "no " + std::string(recordKind) + " in the file");
    }
    for (const std::string& text : skipped_)
        KaSystem::Warning("%s: %s; record skipped", fileName_.c_str(), text.c_str());
}

}  // namespace io_detail

namespace {

using io_detail::MolList;
using io_detail::ReadScope;

// Unit of gzip reads and writes.
constexpr size_t kGzipChunk = size_t(1) << 20;

bool IsGzipName(const std::string& path) {
    return path.size() >= 3 && strcasecmp(path.c_str() + path.size() - 3, ".gz") == 0;
}

// Reads everything from a descriptor, straight into the text; false with
// errno set on failure. `expected` sizes the text up front.
bool ReadAllFrom(int fd, size_t expected, std::string& text) {
    size_t used = 0;
    text.resize(std::max<size_t>(expected, 1 << 16));
    for (;;) {
        if (used == text.size()) text.resize(text.size() * 2);
        ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) break;
        used += static_cast<size_t>(got);
    }
    text.resize(used);
    return true;
}

// Decompresses gzip data (several members allowed) from a descriptor, which
// it closes.
std::string Gunzip(int fd, const std::string& path) {
    gzFile in = gzdopen(fd, "rb");
    if (!in) {
        ::close(fd);
        throw FileError(path + ": cannot open for reading");
    }
    gzbuffer(in, 256 * 1024);
    std::string text;
    for (;;) {
        size_t old = text.size();
        text.resize(old + kGzipChunk);
        int got = gzread(in, text.data() + old, static_cast<unsigned>(kGzipChunk));
        text.resize(old + static_cast<size_t>(std::max(got, 0)));
        if (got < static_cast<int>(kGzipChunk)) break;
    }
    // A damaged stream, or one cut short, is reported here.
    int code = Z_OK;
    std::string message = gzerror(in, &code);
    int savedErrno = errno;
    gzclose(in);
    if (code == Z_ERRNO) throw FileError(path + ": " + std::strerror(savedErrno));
    if (code != Z_OK) throw FormatError(path + ": damaged gzip data (" + message + ")");
    return text;
}

// The whole file, decompressed when it starts like gzip data (whatever its
// name says).
std::string ReadFileText(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw FileError(path + ": " + std::strerror(errno));
    struct stat info;
    int statError = ::fstat(fd, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
    if (statError) {
        ::close(fd);
        throw FileError(path + ": " + std::strerror(statError));
    }
    unsigned char magic[2] = {0, 0};
    bool gzip = ::pread(fd, magic, 2, 0) == 2 && magic[0] == 0x1f && magic[1] == 0x8b;
    if (gzip) return Gunzip(fd, path);
    std::string text;
    bool read = ReadAllFrom(fd, S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) + 1 : 0, text);
    int error = errno;
    ::close(fd);
    if (!read) throw FileError(path + ": " + std::strerror(error));
    return text;
}

void CheckFormatCode(const std::string& path, int fmt) {
    if (fmt < 0 || static_cast<uint32_t>(fmt) > kLastMolFormat)
        throw FormatError(path + ": " + std::to_string(fmt) + " is not a molecule format code");
}

// The given code, or when it is 0 the code of the file name's suffix.
uint32_t ResolveFormat(const std::string& path, int fmt) {
    CheckFormatCode(path, fmt);
    if (fmt != 0) return static_cast<uint32_t>(fmt);
    uint32_t code = FormatFromPath(path);
    if (code == FORMAT_UNDEFINED) throw FormatError(path + ": cannot tell the file format from the name");
    return code;
}

MolList ReadAll(const std::string& path, int fmt, ReadScope scope) {
    CheckFormatCode(path, fmt);
    // A file that cannot be read is reported as such whatever its name says.
    std::string text = ReadFileText(path);
    uint32_t code = ResolveFormat(path, fmt);
    MolList molecules;
    switch (code) {
        case FORMAT_PDB: molecules = io_detail::ReadPdbText(std::move(text), path, scope); break;
        case FORMAT_CIF:
        case FORMAT_MMCIF: molecules = io_detail::ReadMmcifText(std::move(text), path, scope); break;
        case FORMAT_MDL_MOL:
        case FORMAT_SDF: molecules = io_detail::ReadMdlText(text, path, scope); break;
        case FORMAT_MOL2:
        case FORMAT_MOL2H: molecules = io_detail::ReadMol2Text(text, path, scope); break;
        default:
            throw FormatError(path + ": no reader for format '" + FormatName(code) + "'");
    }
    if (molecules.empty()) throw FormatError(path + ": no molecule in the file");
    return molecules;
}

void WriteFileText(const std::string& path, const std::string& text) {
    if (IsGzipName(path)) {
        gzFile out = gzopen(path.c_str(), "wb");
        if (!out) throw FileError(path + ": " + std::strerror(errno ? errno : EIO));
        bool ok = true;
        for (size_t at = 0; ok && at < text.size(); at += kGzipChunk) {
            size_t part = std::min(kGzipChunk, text.size() - at);
            ok = gzwrite(out, text.data() + at, static_cast<unsigned>(part)) == static_cast<int>(part);
        }
        if (gzclose(out) != Z_OK || !ok) throw FileError(path + ": write failed");
        return;
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) throw FileError(path + ": " + std::strerror(errno));
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !ok) throw FileError(path + ": write failed");
}

}  // namespace

uint32_t FormatFromPath(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    if (IsGzipName(name)) name.resize(name.size() - 3);
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return FORMAT_UNDEFINED;
    return FormatFromSuffix(name.c_str() + dot + 1);
}

std::unique_ptr<KaGraphMol> ReadMolecule(const std::string& path, int fmt) {
    return std::move(ReadAll(path, fmt, ReadScope::First).front());
}

std::vector<std::unique_ptr<KaGraphMol>> ReadMolecules(const std::string& path, int fmt) {
    return ReadAll(path, fmt, ReadScope::All);
}

void WriteMolecule(const std::string& path, const KaMolBase& mol, int fmt) {
    uint32_t code = ResolveFormat(path, fmt);
    switch (code) {
        case FORMAT_PDB: return WriteFileText(path, io_detail::FormatPdbText(mol, path));
        case FORMAT_CIF:
        case FORMAT_MMCIF: return WriteFileText(path, io_detail::FormatMmcifText(mol, path));
        default: throw FormatError(path + ": no writer for format '" + FormatName(code) + "'");
    }
}

}  // namespace Kamol
