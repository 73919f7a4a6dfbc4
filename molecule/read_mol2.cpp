// Tripos MOL2 reader: the MOLECULE, ATOM and BOND sections of each record.
// Atoms carry their name, element (from the SYBYL type) and coordinates;
// bonds their order (aromatic as 4). Substructures, charges and other
// sections are not kept.
#include <unordered_map>

#include "molecule/elements.h"
#include "molecule/io_formats.h"
#include "molecule/perceive_bonds.h"

namespace Kamol::io_detail {

namespace {

constexpr std::string_view kSectionPrefix = "@<TRIPOS>";
constexpr std::string_view kMoleculeSection = "@<TRIPOS>MOLECULE";

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool IsBlankOrComment(std::string_view line) {
    line = Trim(line);
    return line.empty() || line.front() == '#';
}

// Element of a SYBYL atom type: the part before the dot ("C.ar", "Co.oh").
// Dummy atoms, lone pairs and the generic types (Any, Hal, Het, Hev) name no
// element and give 0.
uint32_t ElementOfType(std::string_view type) {
    std::string symbol(type.substr(0, type.find('.')));
    return GetAtomicNumFromSymbol(symbol.c_str());
}

// "1", "2", "3" are orders, "ar" aromatic (4); "am" (amide), "du" (dummy)
// and "un" (unknown) are single; "nc" (not connected) has order 0.
bool BondOrder(std::string_view type, uint32_t& order) {
    int number;
    if (ParseNumber(type, number) && number >= 1 && number <= 3) {
        order = static_cast<uint32_t>(number);
        return true;
    }
    if (type == "ar") order = 4;
    else if (type == "am" || type == "du" || type == "un") order = 1;
    else if (type == "nc") order = 0;
    else return false;
    return true;
}

class Mol2RecordReader {
public:
    explicit Mol2RecordReader(LineReader& lines) : lines_(lines) {}

    // Reads from the line after "@<TRIPOS>MOLECULE" up to the next record's
    // header (left unread) or the end of text.
    std::unique_ptr<KaGraphMol> Read() {
        mol_ = std::make_unique<KaGraphMol>();
        ReadHeader();
        std::string_view line;
        while (NextContentLine(line)) {
            if (line == "@<TRIPOS>ATOM") ReadAtoms();
            else if (line == "@<TRIPOS>BOND") ReadBonds();
        }
        if (atomsRead_ != atomCount_)
            Fail("the record declares " + std::to_string(atomCount_) + " atoms but has " + std::to_string(atomsRead_));
        if (bondsRead_ != bondCount_)
            Fail("the record declares " + std::to_string(bondCount_) + " bonds but has " + std::to_string(bondsRead_));
        return std::move(mol_);
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw RecordFault{lines_.LineNumber(), what}; }

    // The next line that is neither blank nor a comment, stopping before the
    // next record. Section headers are returned trimmed.
    bool NextContentLine(std::string_view& line) {
        LineReader ahead = lines_;
        std::string_view next;
        while (ahead.Next(next)) {
            if (IsBlankOrComment(next)) continue;
            next = Trim(next);
            if (next == kMoleculeSection) return false;
            lines_ = ahead;
            line = next;
            return true;
        }
        lines_ = ahead;
        return false;
    }

    void ReadHeader() {
        std::string_view name, counts;
        if (!lines_.Next(name)) Fail("the file ends before the molecule name");
        mol_->SetTitle(std::string(Trim(name)));
        if (!NextContentLine(counts) || StartsWith(counts, kSectionPrefix)) Fail("the counts line is missing");
        std::vector<std::string_view> fields;
        SplitFields(counts, fields);
        atomCount_ = bondCount_ = 0;
        if (fields.empty() || !ParseNumber(fields[0], atomCount_) ||
            (fields.size() > 1 && !ParseNumber(fields[1], bondCount_)) || atomCount_ < 0 || bondCount_ < 0)
            Fail("unreadable counts line '" + std::string(counts) + "'");
    }

    // Atom lines up to the next section.
    void ReadAtoms() {
        std::vector<std::string_view> fields;
        std::string_view line;
        while (PeekNotSection() && NextContentLine(line)) {
            SplitFields(line, fields);
            double x, y, z;
            int id;
            if (fields.size() < 6 || !ParseNumber(fields[0], id) || !ParseNumber(fields[2], x) ||
                !ParseNumber(fields[3], y) || !ParseNumber(fields[4], z))
                Fail("unreadable atom line '" + std::string(line) + "'");
            if (++atomsRead_ > atomCount_) Fail("more atom lines than the " + std::to_string(atomCount_) + " declared");
            if (!atomById_.emplace(id, mol_->IndexLimit()).second)
                Fail("atom id " + std::to_string(id) + " is used twice");
            KaAtomBase& atom = mol_->NewAtom(ElementOfType(fields[5]));
            atom.SetName(std::string(fields[1]));
            const float xyz[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
            mol_->SetCoords(atom, xyz);
        }
    }

    void ReadBonds() {
        std::vector<std::string_view> fields;
        std::string_view line;
        while (PeekNotSection() && NextContentLine(line)) {
            SplitFields(line, fields);
            int id, a, b;
            uint32_t order;
            if (fields.size() < 4 || !ParseNumber(fields[0], id) || !ParseNumber(fields[1], a) ||
                !ParseNumber(fields[2], b) || !BondOrder(fields[3], order))
                Fail("unreadable bond line '" + std::string(line) + "'");
            if (++bondsRead_ > bondCount_) Fail("more bond lines than the " + std::to_string(bondCount_) + " declared");
            auto first = atomById_.find(a), second = atomById_.find(b);
            if (first == atomById_.end() || second == atomById_.end())
                Fail("bond " + std::to_string(id) + " names atom " + std::to_string(first == atomById_.end() ? a : b) +
                     ", which is not in the ATOM section");
            KaAtomBase& atomA = *mol_->GetAtom(first->second);
            KaAtomBase& atomB = *mol_->GetAtom(second->second);
            if (&atomA == &atomB) Fail("bond " + std::to_string(id) + " joins an atom to itself");
            if (AreBonded(atomA, atomB)) Fail("bond " + std::to_string(id) + " repeats an earlier bond");
            mol_->NewBond(atomA, atomB, order);
        }
    }

    // True when the next content line exists and is not a section header.
    bool PeekNotSection() const {
        LineReader ahead = lines_;
        std::string_view next;
        while (ahead.Next(next)) {
            if (IsBlankOrComment(next)) continue;
            return !StartsWith(Trim(next), kSectionPrefix);
        }
        return false;
    }

    LineReader& lines_;
    std::unique_ptr<KaGraphMol> mol_;
    int atomCount_ = 0;
    int bondCount_ = 0;
    int atomsRead_ = 0;
    int bondsRead_ = 0;
    std::unordered_map<int, uint32_t> atomById_;
};

// Moves past the next "@<TRIPOS>MOLECULE" line; false at the end of text.
bool SeekRecord(LineReader& lines) {
    std::string_view line;
    while (lines.Next(line))
        if (Trim(line) == kMoleculeSection) return true;
    return false;
}

}  // namespace

MolList ReadMol2Text(std::string_view text, const std::string& fileName, ReadScope scope) {
    RequireText(text, fileName);
    LineReader lines(text);
    RecordFaults faults(fileName, scope);
    MolList molecules;
    for (size_t record = 1; SeekRecord(lines); ++record) {
        try {
            molecules.push_back(Mol2RecordReader(lines).Read());
        } catch (const RecordFault& fault) {
            faults.Report(record, fault);
        }
        if (scope == ReadScope::First) break;
    }
    faults.Finish(molecules, "@<TRIPOS>MOLECULE record");
    return molecules;
}

}  // namespace Kamol::io_detail
