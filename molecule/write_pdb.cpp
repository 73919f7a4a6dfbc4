// PDB writer: HELIX/SHEET/TURN records from the residues' secondary-structure
// flags, ATOM/HETATM records with TER after each polymer run, CONECT records
// for bonds of hetero atoms, all in fixed columns that the PDB reader reads
// back to the same residue records.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "molecule/elements.h"
#include "molecule/segments.h"
#include "molecule/io_formats.h"
#include "molecule/residue.h"
#include "molecule/write_structure.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

constexpr float kMinField62 = -99.99f;   // range of a %6.2f column
constexpr float kMaxField62 = 999.99f;

long long Power(long long base, int exponent) {
    long long result = 1;
    while (exponent-- > 0) result *= base;
    return result;
}

// A number in `width` columns: decimal while it fits, then upper-case
// hybrid-36 ("A000" follows "9999"). False when it fits neither.
bool EncodeHybrid36(long long value, int width, char* out) {
    const long long decimalLimit = Power(10, width);
    if (value >= -(Power(10, width - 1) - 1) && value < decimalLimit) {
        std::snprintf(out, width + 1, "%*lld", width, value);
        return true;
    }
    long long n = value - decimalLimit + 10 * Power(36, width - 1);
    if (value < 0 || n >= Power(36, width)) return false;
    for (int i = width - 1; i >= 0; --i, n /= 36) {
        int digit = static_cast<int>(n % 36);
        out[i] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
    }
    out[width] = '\0';
    return true;
}

char Printable(char c) { return std::isprint(static_cast<unsigned char>(c)) ? c : ' '; }

// The largest number hybrid-36 writes in `width` columns ("ZZZZZ" for five).
long long MaxHybrid36(int width) { return Power(36, width) - 10 * Power(36, width - 1) + Power(10, width) - 1; }

constexpr const char* kUseMmcif = "; write mmCIF (.cif) instead";

class PdbWriter {
public:
    PdbWriter(const KaMolBase& mol, const std::string& fileName)
        : layout_(mol, MaxHybrid36(5)), fileName_(fileName) {}

    std::string Write() {
        const std::vector<uint32_t>& live = layout_.Live();
        if (live.size() > size_t(MaxHybrid36(5)))
            Fail(std::to_string(live.size()) + " atoms are too many for the PDB serial columns" + kUseMmcif);
        out_.reserve(live.size() * 82 + 256);
        WriteSecondaryStructure();
        int model = layout_.ModelNumber();
        // A file without MODEL records reads as model 1.
        if (model > 1) Line("MODEL     %4d", model);
        WriteAtoms();
        WriteConect();
        if (model > 1) Line("ENDMDL");
        Line("END");
        if (cutNames_) KaSystem::Warning("%s: names longer than the PDB columns were cut", fileName_.c_str());
        return std::move(out_);
    }

private:
    void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char buffer[160];
        va_list args;
        va_start(args, format);
        int n = std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        out_.append(buffer, static_cast<size_t>(std::clamp(n, 0, int(sizeof buffer) - 1)));
        out_.push_back('\n');
    }

    [[noreturn]] void Fail(const std::string& what) const { ThrowFormatError(fileName_, what); }

    // Chain ids take columns 21-22; a longer one would be cut into another
    // chain's id, so it is refused.
    std::string Chain(const KaResidue& residue) const {
        if (residue.chainId == " ") return std::string();
        if (residue.chainId.size() > 2)
            Fail("chain id '" + residue.chainId + "' is longer than the two PDB chain columns" + kUseMmcif);
        return residue.chainId;
    }

    std::string ResidueName(const KaResidue& residue) {
        std::string name = residue.residueName;
        if (name.size() > 3) {
            name.resize(3);
            cutNames_ = true;
        }
        return name;
    }

    // Residue number and insertion code: 4 columns plus one.
    std::string ResidueNumber(const KaResidue& residue) const {
        char field[8];
        if (!EncodeHybrid36(residue.residueNumber, 4, field))
            Fail("residue number " + std::to_string(residue.residueNumber) + " does not fit the PDB columns" +
                 kUseMmcif);
        return std::string(field) + Printable(residue.insertCode);
    }

    void WriteSecondaryStructure() {
        int serial = 0;
        layout_.ForEachRun(HelixKind,
                   [&](const KaResidue& first, const KaResidue& last, uint32_t flags, size_t length) {
                       ++serial;
                       Line("HELIX  %3d %3d %3s%2s %5s %3s%2s %5s%2d%30s %5zu", serial % 1000, serial % 1000,
                            ResidueName(first).c_str(), Chain(first).c_str(), ResidueNumber(first).c_str(),
                            ResidueName(last).c_str(), Chain(last).c_str(), ResidueNumber(last).c_str(),
                            HelixClassOf(flags), "", length);
                   });
        serial = 0;
        layout_.ForEachRun(SheetKind,
                   [&](const KaResidue& first, const KaResidue& last, uint32_t, size_t) {
                       ++serial;
                       Line("SHEET  %3d %3d 1 %3s%2s%5s %3s%2s%5s 0", 1, serial % 1000, ResidueName(first).c_str(),
                            Chain(first).c_str(), ResidueNumber(first).c_str(), ResidueName(last).c_str(),
                            Chain(last).c_str(), ResidueNumber(last).c_str());
                   });
        serial = 0;
        layout_.ForEachRun(TurnKind,
                   [&](const KaResidue& first, const KaResidue& last, uint32_t, size_t) {
                       ++serial;
                       Line("TURN   %3d %3d %3s%2s%5s %3s%2s%5s", serial % 1000, serial % 1000,
                            ResidueName(first).c_str(), Chain(first).c_str(), ResidueNumber(first).c_str(),
                            ResidueName(last).c_str(), Chain(last).c_str(), ResidueNumber(last).c_str());
                   });
    }

    // Columns 13-16: four-character names fill them; a name starting with a
    // two-letter element symbol or a digit starts in column 13; others in 14.
    std::string AtomNameField(const KaAtomBase& atom, const char* symbol) {
        std::string name = atom.Name().empty() ? std::string(symbol) : atom.Name();
        if (name.size() > 4) {
            name.resize(4);
            cutNames_ = true;
        }
        bool wide = name.size() == 4 || std::isdigit(static_cast<unsigned char>(name[0])) ||
                    (std::strlen(symbol) == 2 && name.size() >= 2 &&
                     std::toupper(static_cast<unsigned char>(name[0])) == symbol[0] &&
                     std::toupper(static_cast<unsigned char>(name[1])) == symbol[1]);
        std::string field(4, ' ');
        field.replace(wide ? 0 : 1, name.size(), name);
        field.resize(4);
        return field;
    }

    void WriteAtoms() {
        const std::vector<uint32_t>& live = layout_.Live();
        for (size_t k = 0; k < live.size(); ++k) {
            uint32_t index = live[k];
            const KaAtomBase& atom = layout_.Atom(index);
            const KaResidue& residue = layout_.ResidueOf(index);
            float xyz[3];
            layout_.Mol().GetCoords(atom, xyz);
            for (float c : xyz)
                if (!(c > -999.9995f && c < 9999.9995f))
                    Fail("atom " + std::to_string(index) + " has coordinate " + std::to_string(c) +
                         ", which does not fit the PDB columns" + kUseMmcif);
            const ElementText symbol = UpperElementSymbol(atom.GetAtomicNum());
            char serial[8];
            EncodeHybrid36(layout_.Serial(index), 5, serial);
            char altloc = Printable(residue.alternateLocation);
            bool hetero = layout_.IsHetero(index);
            // The segment id in columns 73-76, so that segments read back as segments.
            const std::string_view segment = TrimSegment(CText(residue.segmentId)).substr(0, 4);
            Line("%-6s%5s %4s%c%3s%2s%5s   %8.3f%8.3f%8.3f%6.2f%6.2f      %-4.*s%2s", hetero ? "HETATM" : "ATOM",
                 serial, AtomNameField(atom, symbol.text).c_str(), altloc, ResidueName(residue).c_str(),
                 Chain(residue).c_str(), ResidueNumber(residue).c_str(), xyz[0], xyz[1], xyz[2],
                 std::clamp(residue.occupancy, kMinField62, kMaxField62),
                 std::clamp(residue.bFactor, kMinField62, kMaxField62), int(segment.size()), segment.data(),
                 symbol.text);
            // TER closes a run of polymer atoms before a chain change or hetero atoms.
            bool lastOfRun = k + 1 == live.size() || layout_.IsHetero(live[k + 1]) ||
                             layout_.ResidueOf(live[k + 1]).chainId != residue.chainId;
            if (!hetero && lastOfRun) Line("TER");
        }
    }

    // Bonds that touch a hetero atom, listed from both ends; polymer bonds
    // are perceived on reading.
    void WriteConect() {
        std::vector<std::vector<uint32_t>> partners(layout_.Mol().IndexLimit());
        for (const auto& [a, b] : layout_.HeteroBonds()) {
            partners[a].push_back(b);
            partners[b].push_back(a);
        }
        char fields[4][8];
        for (uint32_t index : layout_.Live()) {
            const std::vector<uint32_t>& list = partners[index];
            char self[8];
            EncodeHybrid36(layout_.Serial(index), 5, self);
            for (size_t start = 0; start < list.size(); start += 4) {
                size_t count = std::min<size_t>(4, list.size() - start);
                for (size_t i = 0; i < 4; ++i) {
                    if (i < count) EncodeHybrid36(layout_.Serial(list[start + i]), 5, fields[i]);
                    else fields[i][0] = '\0';
                }
                Line("CONECT%5s%5s%5s%5s%5s", self, fields[0], fields[1], fields[2], fields[3]);
            }
        }
    }

    const StructureLayout layout_;
    const std::string& fileName_;
    std::string out_;
    bool cutNames_ = false;
};

}  // namespace

std::string FormatPdbText(const KaMolBase& mol, const std::string& fileName) {
    return PdbWriter(mol, fileName).Write();
}

}  // namespace Kamol::io_detail
