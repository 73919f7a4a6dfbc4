// MDL molfile and SD file reader: V2000 connection tables, and V3000 atom
// and bond blocks. Atoms carry element and coordinates, bonds their order
// (aromatic as 4); charges, isotopes, stereo and data items are not kept.
#include <unordered_map>

#include "molecule/elements.h"
#include "molecule/io_formats.h"
#include "molecule/perceive_bonds.h"

namespace Kamol::io_detail {

namespace {

constexpr std::string_view kRecordEnd = "$$$$";
constexpr std::string_view kV30 = "M  V30 ";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Bond types 1-3 are orders, 4 is aromatic; the query types 5-8 have no
// single order and are read as single bonds.
uint32_t BondOrder(int type) { return type >= 1 && type <= 4 ? static_cast<uint32_t>(type) : 1; }

class MdlRecordReader {
public:
    // `recordEnded` is set once the record's "$$$$" line has been read, so
    // that a caller skipping a faulty record does not skip the next one.
    MdlRecordReader(LineReader& lines, bool& recordEnded) : lines_(lines), recordEnded_(recordEnded) {}

    // Reads one record from its header to the "$$$$" line or the end of text.
    std::unique_ptr<KaGraphMol> Read() {
        mol_ = std::make_unique<KaGraphMol>();
        std::string_view title = NextLine("the header");
        mol_->SetTitle(std::string(Trim(title)));
        NextLine("the header");
        NextLine("the header");
        std::string_view counts = NextLine("the header");
        if (counts.find("V3000") != std::string_view::npos) {
            ReadV3000();
        } else {
            ReadV2000(counts);
        }
        SkipToRecordEnd();
        return std::move(mol_);
    }

private:
    std::string_view NextLine(const char* where) {
        std::string_view line;
        if (!lines_.Next(line)) throw RecordFault{lines_.LineNumber(), "the file ends inside " + std::string(where)};
        if (StartsWith(line, kRecordEnd)) {
            recordEnded_ = true;
            Fail("the record ends inside " + std::string(where));
        }
        return line;
    }

    [[noreturn]] void Fail(const std::string& what) const { throw RecordFault{lines_.LineNumber(), what}; }

    void AddAtom(std::string_view symbol, double x, double y, double z) {
        KaAtomBase& atom = mol_->NewAtom(GetAtomicNumFromSymbol(std::string(symbol).c_str()));
        const float xyz[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
        mol_->SetCoords(atom, xyz);
    }

    void AddBond(uint32_t a, uint32_t b, uint32_t order) {
        KaAtomBase& first = *mol_->GetAtom(a);
        KaAtomBase& second = *mol_->GetAtom(b);
        if (a == b) Fail("a bond joins atom " + std::to_string(a + 1) + " to itself");
        if (AreBonded(first, second))
            Fail("the bond between atoms " + std::to_string(a + 1) + " and " + std::to_string(b + 1) + " is repeated");
        mol_->NewBond(first, second, order);
    }

    void ReadV2000(std::string_view counts) {
        int atomCount, bondCount;
        if (!ParseNumber(Columns(counts, 0, 3), atomCount) || !ParseNumber(Columns(counts, 3, 3), bondCount) ||
            atomCount < 0 || bondCount < 0)
            Fail("unreadable counts line '" + std::string(counts) + "'");
        for (int i = 0; i < atomCount; ++i) {
            std::string_view line = NextLine("the atom block");
            double x, y, z;
            std::string_view symbol = Trim(Columns(line, 31, 3));
            if (line.size() < 32 || !ParseNumber(Columns(line, 0, 10), x) || !ParseNumber(Columns(line, 10, 10), y) ||
                !ParseNumber(Columns(line, 20, 10), z) || symbol.empty())
                Fail("unreadable atom line " + std::to_string(i + 1) + " of " + std::to_string(atomCount));
            AddAtom(symbol, x, y, z);
        }
        for (int i = 0; i < bondCount; ++i) {
            std::string_view line = NextLine("the bond block");
            int a, b, type;
            if (!ParseNumber(Columns(line, 0, 3), a) || !ParseNumber(Columns(line, 3, 3), b) ||
                !ParseNumber(Columns(line, 6, 3), type))
                Fail("unreadable bond line " + std::to_string(i + 1) + " of " + std::to_string(bondCount));
            if (a < 1 || b < 1 || a > atomCount || b > atomCount)
                Fail("bond " + std::to_string(i + 1) + " names atom " + std::to_string(a < 1 || a > atomCount ? a : b) +
                     " but the record has " + std::to_string(atomCount) + " atoms");
            AddBond(uint32_t(a - 1), uint32_t(b - 1), BondOrder(type));
        }
        // Property lines up to "M  END"; an old record may end without it.
        std::string_view line;
        while (lines_.Next(line)) {
            if (StartsWith(line, "M  END")) return;
            if (StartsWith(line, kRecordEnd)) {
                recordEnded_ = true;
                return;
            }
        }
        Fail("the file ends inside the property block (no M  END)");
    }

    // One logical "M  V30" line: continuation lines ending in '-' joined.
    std::string NextV30Line() {
        std::string joined;
        for (;;) {
            std::string_view line = NextLine("the V3000 connection table");
            if (!StartsWith(line, kV30)) Fail("expected an 'M  V30' line, found '" + std::string(line) + "'");
            line.remove_prefix(kV30.size());
            if (!line.empty() && line.back() == '-') {
                line.remove_suffix(1);
                joined.append(line);
                continue;
            }
            joined.append(line);
            return joined;
        }
    }

    void ExpectV30(std::string_view expected) {
        std::string line = NextV30Line();
        if (Trim(line) != expected) Fail("expected 'M  V30 " + std::string(expected) + "', found '" + line + "'");
    }

    void ReadV3000() {
        ExpectV30("BEGIN CTAB");
        std::vector<std::string_view> fields;
        std::string counts = NextV30Line();
        SplitFields(counts, fields);
        int atomCount, bondCount;
        if (fields.size() < 3 || fields[0] != "COUNTS" || !ParseNumber(fields[1], atomCount) ||
            !ParseNumber(fields[2], bondCount) || atomCount < 0 || bondCount < 0)
            Fail("unreadable V3000 counts line '" + counts + "'");
        std::unordered_map<int, uint32_t> atomById;
        if (atomCount > 0) {
            ExpectV30("BEGIN ATOM");
            for (int i = 0; i < atomCount; ++i) {
                std::string line = NextV30Line();
                SplitFields(line, fields);
                double x, y, z;
                int id;
                if (fields.size() < 6 || !ParseNumber(fields[0], id))
                    Fail("unreadable V3000 atom line '" + line + "'");
                // An atom list ("[N,O]" or "NOT [N,O]") has no single element.
                size_t at = 1;
                std::string_view type = fields[at++];
                if (type == "NOT") ++at;
                if (fields.size() < at + 4 || !ParseNumber(fields[at], x) || !ParseNumber(fields[at + 1], y) ||
                    !ParseNumber(fields[at + 2], z))
                    Fail("unreadable V3000 atom line '" + line + "'");
                if (type.size() >= 2 && type.front() == '"' && type.back() == '"')
                    type = type.substr(1, type.size() - 2);
                if (type == "NOT" || (!type.empty() && type.front() == '[')) type = "";
                if (!atomById.emplace(id, mol_->IndexLimit()).second)
                    Fail("atom id " + std::to_string(id) + " is used twice");
                AddAtom(type, x, y, z);
            }
            ExpectV30("END ATOM");
        }
        if (bondCount > 0) {
            ExpectV30("BEGIN BOND");
            for (int i = 0; i < bondCount; ++i) {
                std::string line = NextV30Line();
                SplitFields(line, fields);
                int id, type, a, b;
                if (fields.size() < 4 || !ParseNumber(fields[0], id) || !ParseNumber(fields[1], type) ||
                    !ParseNumber(fields[2], a) || !ParseNumber(fields[3], b))
                    Fail("unreadable V3000 bond line '" + line + "'");
                auto first = atomById.find(a), second = atomById.find(b);
                if (first == atomById.end() || second == atomById.end())
                    Fail("bond " + std::to_string(id) + " names an atom id that is not in the atom block");
                AddBond(first->second, second->second, BondOrder(type));
            }
            ExpectV30("END BOND");
        }
        // Collections, S-groups and the like up to the end of the table.
        for (;;) {
            std::string line = NextV30Line();
            if (Trim(line) == "END CTAB") break;
        }
        for (;;) {
            std::string_view line = NextLine("the record (no M  END)");
            if (StartsWith(line, "M  END")) return;
        }
    }

    // Data items up to the "$$$$" line; a last record may end without one.
    void SkipToRecordEnd() {
        std::string_view line;
        while (!recordEnded_ && lines_.Next(line))
            if (StartsWith(line, kRecordEnd)) break;
    }

    LineReader& lines_;
    bool& recordEnded_;
    std::unique_ptr<KaGraphMol> mol_;
};

// True when nothing but blank lines is left.
bool OnlyBlankLinesLeft(LineReader lines) {
    std::string_view line;
    while (lines.Next(line))
        if (!Trim(line).empty()) return false;
    return true;
}

void SkipPastRecordEnd(LineReader& lines) {
    std::string_view line;
    while (lines.Next(line))
        if (StartsWith(line, kRecordEnd)) return;
}

}  // namespace

MolList ReadMdlText(std::string_view text, const std::string& fileName, ReadScope scope) {
    RequireText(text, fileName);
    LineReader lines(text);
    RecordFaults faults(fileName, scope);
    MolList molecules;
    for (size_t record = 1; !OnlyBlankLinesLeft(lines); ++record) {
        bool recordEnded = false;
        try {
            molecules.push_back(MdlRecordReader(lines, recordEnded).Read());
        } catch (const RecordFault& fault) {
            faults.Report(record, fault);
            if (!recordEnded) SkipPastRecordEnd(lines);
        }
        if (scope == ReadScope::First) break;
    }
    faults.Finish(molecules, "molecule record");
    return molecules;
}

}  // namespace Kamol::io_detail
