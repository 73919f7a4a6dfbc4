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
#include "molecule/io_formats.h"
#include "molecule/residue.h"
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

bool SameResidue(const KaResidue& a, const KaResidue& b) {
    return a.residueNumber == b.residueNumber && a.insertCode == b.insertCode && a.chainId == b.chainId &&
           a.residueName == b.residueName;
}

// The element symbol in capitals, "X" for an unknown element.
struct ElementColumns {
    char text[3];
};

ElementColumns ElementColumnsOf(uint32_t atomicNum) {
    const char* symbol = GetElementSymbol(atomicNum);
    if (!*symbol) return {{'X', '\0', '\0'}};
    return {{static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[0]))),
             static_cast<char>(std::toupper(static_cast<unsigned char>(symbol[1]))), '\0'}};
}

char Printable(char c) { return std::isprint(static_cast<unsigned char>(c)) ? c : ' '; }

// The flags that make a residue part of a helix run; 0 outside helices.
uint32_t HelixKind(const KaResidue& r) {
    return (r.secondaryStructure & kHelixFlag) ? r.secondaryStructure & ~(kTurnFlag | kSheetFlag) : 0;
}
uint32_t SheetKind(const KaResidue& r) { return r.secondaryStructure & kSheetFlag; }
uint32_t TurnKind(const KaResidue& r) { return r.secondaryStructure & kTurnFlag; }

// Inverse of HelixClassFlags; the plain helix flag writes class 0, which
// reads back as the plain flag.
int HelixClassOf(uint32_t flags) {
    switch (flags & ~(kTurnFlag | kSheetFlag)) {
        case 10: return 1;
        case 12: return 3;
        case 9: return 5;
        case 138: return 6;
        case 136: return 7;
        default: return 0;
    }
}

class PdbWriter {
public:
    PdbWriter(const KaMolBase& mol, const std::string& fileName)
        : mol_(mol), columns_(mol.Columns()), fileName_(fileName) {}

    std::string Write() {
        out_.reserve(columns_.live.size() * 82 + 256);
        ChooseSerials();
        CollectResidues();
        WriteSecondaryStructure();
        int model = ModelNumber();
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

    const KaResidue& ResidueOf(uint32_t index) const { return *columns_.residues[index]; }
    bool IsHetero(uint32_t index) const {
        return !HasAtomResidue(*columns_.atoms[index]) || ResidueOf(index).hetAtom;
    }

    // The file's serials when every atom has a distinct one that fits;
    // otherwise 1..n in writing order.
    void ChooseSerials() {
        serials_.assign(mol_.IndexLimit(), 0);
        std::vector<int> seen;
        bool keep = true;
        char field[8];
        for (uint32_t index : columns_.live) {
            int serial = ResidueOf(index).serialNumber;
            if (!HasAtomResidue(*columns_.atoms[index]) || serial < 1 || !EncodeHybrid36(serial, 5, field)) {
                keep = false;
                break;
            }
            seen.push_back(serial);
        }
        std::sort(seen.begin(), seen.end());
        keep = keep && std::adjacent_find(seen.begin(), seen.end()) == seen.end();
        int next = 0;
        for (uint32_t index : columns_.live) serials_[index] = keep ? ResidueOf(index).serialNumber : ++next;
    }

    void CollectResidues() {
        const KaResidue* previous = nullptr;
        for (uint32_t index : columns_.live) {
            if (!HasAtomResidue(*columns_.atoms[index])) {
                previous = nullptr;
                continue;
            }
            const KaResidue& residue = ResidueOf(index);
            if (!previous || !SameResidue(*previous, residue)) residues_.push_back(&residue);
            previous = &residue;
        }
    }

    int ModelNumber() const {
        for (uint32_t index : columns_.live)
            if (HasAtomResidue(*columns_.atoms[index])) return ResidueOf(index).modelNumber;
        return 0;
    }

    std::string Chain(const KaResidue& residue) {
        std::string chain = residue.chainId == " " ? std::string() : residue.chainId;
        if (chain.size() > 2) {
            chain.resize(2);
            cutNames_ = true;
        }
        return chain;
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
            Fail("residue number " + std::to_string(residue.residueNumber) + " does not fit the PDB columns");
        return std::string(field) + Printable(residue.insertCode);
    }

    // Runs of consecutive residues of one chain with the same flags of one
    // kind; `kindOf` gives a residue's flags of that kind (0 for none).
    template <class Emit>
    void ForEachRun(uint32_t (*kindOf)(const KaResidue&), Emit emit) {
        for (size_t i = 0; i < residues_.size();) {
            uint32_t kind = kindOf(*residues_[i]);
            size_t j = i + 1;
            while (j < residues_.size() && kind != 0 && kindOf(*residues_[j]) == kind &&
                   residues_[j]->chainId == residues_[i]->chainId)
                ++j;
            if (kind != 0) emit(*residues_[i], *residues_[j - 1], kind, j - i);
            i = j;
        }
    }

    void WriteSecondaryStructure() {
        int serial = 0;
        ForEachRun(HelixKind,
                   [&](const KaResidue& first, const KaResidue& last, uint32_t flags, size_t length) {
                       ++serial;
                       Line("HELIX  %3d %3d %3s%2s %5s %3s%2s %5s%2d%30s %5zu", serial % 1000, serial % 1000,
                            ResidueName(first).c_str(), Chain(first).c_str(), ResidueNumber(first).c_str(),
                            ResidueName(last).c_str(), Chain(last).c_str(), ResidueNumber(last).c_str(),
                            HelixClassOf(flags), "", length);
                   });
        serial = 0;
        ForEachRun(SheetKind,
                   [&](const KaResidue& first, const KaResidue& last, uint32_t, size_t) {
                       ++serial;
                       Line("SHEET  %3d %3d 1 %3s%2s%5s %3s%2s%5s 0", 1, serial % 1000, ResidueName(first).c_str(),
                            Chain(first).c_str(), ResidueNumber(first).c_str(), ResidueName(last).c_str(),
                            Chain(last).c_str(), ResidueNumber(last).c_str());
                   });
        serial = 0;
        ForEachRun(TurnKind,
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
        for (size_t k = 0; k < columns_.live.size(); ++k) {
            uint32_t index = columns_.live[k];
            const KaAtomBase& atom = *columns_.atoms[index];
            const KaResidue& residue = ResidueOf(index);
            float xyz[3];
            mol_.GetCoords(atom, xyz);
            for (float c : xyz)
                if (!(c > -999.9995f && c < 9999.9995f))
                    Fail("atom " + std::to_string(index) + " has coordinate " + std::to_string(c) +
                         ", which does not fit the PDB columns");
            const ElementColumns symbol = ElementColumnsOf(columns_.atomicNums[index]);
            char serial[8];
            if (!EncodeHybrid36(serials_[index], 5, serial)) Fail("too many atoms for the PDB serial columns");
            char altloc = Printable(residue.alternateLocation);
            bool hetero = IsHetero(index);
            Line("%-6s%5s %4s%c%3s%2s%5s   %8.3f%8.3f%8.3f%6.2f%6.2f          %2s", hetero ? "HETATM" : "ATOM",
                 serial, AtomNameField(atom, symbol.text).c_str(), altloc, ResidueName(residue).c_str(),
                 Chain(residue).c_str(), ResidueNumber(residue).c_str(), xyz[0], xyz[1], xyz[2],
                 std::clamp(residue.occupancy, kMinField62, kMaxField62),
                 std::clamp(residue.bFactor, kMinField62, kMaxField62), symbol.text);
            // TER closes a run of polymer atoms before a chain change or hetero atoms.
            bool lastOfRun = k + 1 == columns_.live.size() || IsHetero(columns_.live[k + 1]) ||
                             ResidueOf(columns_.live[k + 1]).chainId != residue.chainId;
            if (!hetero && lastOfRun) Line("TER");
        }
    }

    // Bonds that touch a hetero atom; polymer bonds are perceived on reading.
    void WriteConect() {
        char fields[4][8];
        for (uint32_t index : columns_.live) {
            const KaAtomBase& atom = *columns_.atoms[index];
            std::vector<uint32_t> partners;
            for (const KaBondBase* bond : atom.Bonds()) {
                uint32_t other = bond->GetNeighbour(atom)->GetIndex();
                if (IsHetero(index) || IsHetero(other)) partners.push_back(other);
            }
            char self[8];
            EncodeHybrid36(serials_[index], 5, self);
            for (size_t start = 0; start < partners.size(); start += 4) {
                size_t count = std::min<size_t>(4, partners.size() - start);
                for (size_t i = 0; i < 4; ++i) {
                    if (i < count) EncodeHybrid36(serials_[partners[start + i]], 5, fields[i]);
                    else fields[i][0] = '\0';
                }
                Line("CONECT%5s%5s%5s%5s%5s", self, fields[0], fields[1], fields[2], fields[3]);
            }
        }
    }

    const KaMolBase& mol_;
    const KaAtomColumns& columns_;
    const std::string& fileName_;
    std::string out_;
    std::vector<int> serials_;  // by atom index
    std::vector<const KaResidue*> residues_;  // in atom order, one per run of atoms
    bool cutNames_ = false;
};

}  // namespace

std::string FormatPdbText(const KaMolBase& mol, const std::string& fileName) {
    return PdbWriter(mol, fileName).Write();
}

}  // namespace Kamol::io_detail
