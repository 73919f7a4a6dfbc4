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
    if (text.find('\0') != std::string_view::npos) ThrowNotText(fileName);
}

void ThrowNotText(const std::string& fileName) {
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

// A file's text, decompressed when the file starts like gzip data (whatever
// its name says; several gzip members are read one after another).
class FileTextSource : public io_detail::TextSource {
public:
    explicit FileTextSource(const std::string& path) : path_(path) {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) throw FileError(path + ": " + std::strerror(errno));
        struct stat info;
        int statError = ::fstat(fd_, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
        if (statError) {
            ::close(fd_);
            throw FileError(path + ": " + std::strerror(statError));
        }
        rereadable_ = S_ISREG(info.st_mode);
        unsigned char magic[2] = {0, 0};
        if (::pread(fd_, magic, 2, 0) == 2 && magic[0] == 0x1f && magic[1] == 0x8b) {
            gz_ = gzdopen(fd_, "rb");
            if (!gz_) {
                ::close(fd_);
                throw FileError(path + ": cannot open for reading");
            }
            gzbuffer(gz_, 256 * 1024);
        } else if (S_ISREG(info.st_mode)) {
            sizeHint_ = static_cast<size_t>(info.st_size);
        }
    }
    FileTextSource(const FileTextSource&) = delete;
    FileTextSource& operator=(const FileTextSource&) = delete;
    ~FileTextSource() override {
        if (gz_) gzclose(gz_);
        else ::close(fd_);
    }

    size_t Read(char* buffer, size_t size) override { return gz_ ? ReadGzip(buffer, size) : ReadPlain(buffer, size); }
    size_t SizeHint() const override { return sizeHint_; }
    // Whether opening the path again gives the same text (not a pipe).
    bool Rereadable() const { return rereadable_; }

private:
    size_t ReadPlain(char* buffer, size_t size) {
        size_t used = 0;
        while (used < size) {
            ssize_t got = ::read(fd_, buffer + used, size - used);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) throw FileError(path_ + ": " + std::strerror(errno));
            if (got == 0) break;
            used += static_cast<size_t>(got);
        }
        return used;
    }

    size_t ReadGzip(char* buffer, size_t size) {
        size_t used = 0;
        while (used < size) {
            const unsigned part = static_cast<unsigned>(std::min(size - used, kGzipChunk));
            const int got = gzread(gz_, buffer + used, part);
            used += static_cast<size_t>(std::max(got, 0));
            if (got == static_cast<int>(part)) continue;
            // The end of the data, a damaged stream or one cut short.
            int code = Z_OK;
            std::string message = gzerror(gz_, &code);
            // zlib starts its messages with its own name for the stream,
            // "<fd:N>: " after gzdopen; the file is named by its path instead.
            const std::string zlibName = "<fd:" + std::to_string(fd_) + ">: ";
            if (message.compare(0, zlibName.size(), zlibName) == 0) message.erase(0, zlibName.size());
            if (code == Z_ERRNO) throw FileError(path_ + ": " + std::strerror(errno));
            if (code != Z_OK) throw FormatError(path_ + ": damaged gzip data (" + message + ")");
            break;
        }
        return used;
    }

    std::string path_;
    int fd_ = -1;
    gzFile gz_ = nullptr;
    size_t sizeHint_ = 0;
    bool rereadable_ = false;
};

std::string ReadAllText(io_detail::TextSource& source) {
    std::string text(std::max<size_t>(source.SizeHint() + 1, 1 << 16), '\0');
    size_t used = 0;
    for (;;) {
        if (used == text.size()) text.resize(text.size() * 2);
        const size_t got = source.Read(text.data() + used, text.size() - used);
        if (got == 0) break;
        used += got;
    }
    text.resize(used);
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
    auto source = std::make_unique<FileTextSource>(path);
    MolList molecules;
    const uint32_t named = fmt != 0 ? uint32_t(fmt) : FormatFromPath(path);
    if (named == FORMAT_PDB) {
        molecules = io_detail::ReadPdbSource(*source, path, scope);
        if (molecules.empty()) throw FormatError(path + ": no molecule in the file");
        return molecules;
    }
    if ((named == FORMAT_CIF || named == FORMAT_MMCIF) && source->Rereadable()) {
        try {
            return io_detail::ReadMmcifSource(*source, path, scope);
        } catch (const io_detail::WholeTextNeeded&) {
            source = std::make_unique<FileTextSource>(path);
        }
    }
    // A file that cannot be read is reported as such whatever its name says.
    std::string text = ReadAllText(*source);
    uint32_t code = ResolveFormat(path, fmt);
    switch (code) {
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
