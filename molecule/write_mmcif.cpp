// mmCIF writer: _struct_conf (helices, turns) and _struct_sheet_range from
// the residues' secondary-structure flags, _atom_site with author and label
// ids alike, and _struct_conn for the bonds of hetero atoms. Unlike PDB it
// has no column limits: names, chains and numbers are written as they are,
// and numbers with the shortest text that reads back to the same value.
// Atoms without a name are named by element and serial; atoms without
// residue data have an unknown ("?") occupancy and B-factor.
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "molecule/elements.h"
#include "molecule/io_formats.h"
#include "molecule/residue.h"
#include "molecule/write_structure.h"

namespace Kamol::io_detail {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

// A value that needs no quotes: printable ASCII without blanks, not a
// reserved word, and not starting like a comment, a quote, a tag, a text
// field or a null.
bool IsBareWord(std::string_view v) {
    if (v.empty() || v == "." || v == "?") return false;
    switch (v[0]) {
        case '_': case '#': case '$': case '\'': case '"': case '[': case ']': case ';': return false;
        default: break;
    }
    for (char c : v)
        if (c <= ' ' || c > '~') return false;  // printable ASCII only; the rest is quoted
    for (std::string_view word : {"data_", "save_", "loop_", "global_", "stop_"})
        if (StartsWithNoCase(v, word)) return false;
    return true;
}

// Whether `quote` can delimit `v`: a quote ends a value only when a blank
// (or, for some readers, a comment sign) follows it, so the value may hold
// the quote character elsewhere.
bool Quotable(std::string_view v, char quote) {
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\n' || v[i] == '\r') return false;
        if (v[i] == quote && i + 1 < v.size() && (IsBlank(v[i + 1]) || v[i + 1] == '#')) return false;
    }
    return true;
}

class MmcifWriter {
public:
    MmcifWriter(const KaMolBase& mol, const std::string& fileName) : layout_(mol, INT32_MAX), fileName_(fileName) {}

    std::string Write() {
        out_.reserve(layout_.Live().size() * 110 + 1024);
        const std::string& title = layout_.Mol().GetTitle();
        out_ += "data_";
        size_t nameStart = out_.size();
        for (char c : CText(title))
            if (!IsBlank(c) && static_cast<unsigned char>(c) >= 32) out_ += c;
        if (out_.size() == nameStart) out_ += "structure";
        out_ += '\n';
        if (!CText(title).empty()) {
            out_ += "_entry.id ";
            Value(CText(title));
            out_ += "\n#\n";
        }
        WriteStructConf();
        WriteSheetRanges();
        WriteAtomSite();
        WriteStructConn();
        return std::move(out_);
    }

private:
    void Value(std::string_view v) {
        if (IsBareWord(v)) {
            out_ += v;
        } else if (v.empty()) {
            out_ += '.';
        } else if (Quotable(v, '\'') || Quotable(v, '"')) {
            const char quote = Quotable(v, '\'') ? '\'' : '"';
            out_ += quote;
            out_ += v;
            out_ += quote;
        } else {
            out_ += "\n;";
            out_ += v;
            out_ += "\n;\n";
            return;
        }
        out_ += ' ';
    }
    void Value(const std::string& v) { Value(CText(v)); }
    // A one-character field; a blank one is null.
    void Value(char c, char null) {
        if (c == ' ' || c == '\0') {
            out_ += null;
            out_ += ' ';
        } else {
            Value(std::string_view(&c, 1));
        }
    }
    template <class Number>
    void Value(Number n) {
        char buffer[32];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
        out_.append(buffer, end);
        out_ += ' ';
    }
    void EndRow() { out_.back() = '\n'; }

    // Bonds name their atoms by residue and atom name, so an atom without a
    // name is given one: its element and serial ("C12").
    void AtomName(uint32_t index) {
        const KaAtomBase& atom = layout_.Atom(index);
        if (!CText(atom.Name()).empty()) return Value(atom.Name());
        const char* symbol = GetElementSymbol(atom.GetAtomicNum());
        Value(std::string_view((*symbol ? symbol : "X") + std::to_string(layout_.Serial(index))));
    }

    void Loop(std::string_view category, std::initializer_list<std::string_view> tags) {
        out_ += "loop_\n";
        for (std::string_view tag : tags) {
            out_ += category;
            out_ += tag;
            out_ += '\n';
        }
    }

    // Residue (chain, name, number, insertion code) in the column order of
    // the secondary-structure tables below.
    void ResidueIds(const KaResidue& r) {
        Value(r.chainId == " " ? std::string_view() : CText(r.chainId));
        Value(r.residueName);
        Value(r.residueNumber);
        Value(r.insertCode, '?');
    }

    void WriteStructConf() {
        bool started = false;
        auto start = [&] {
            if (started) return;
            started = true;
            Loop("_struct_conf.", {"conf_type_id", "id", "beg_auth_asym_id", "beg_label_comp_id",
                                   "beg_auth_seq_id", "pdbx_beg_PDB_ins_code", "end_auth_asym_id",
                                   "end_label_comp_id", "end_auth_seq_id", "pdbx_end_PDB_ins_code",
                                   "pdbx_PDB_helix_class", "pdbx_PDB_helix_length"});
        };
        int serial = 0;
        layout_.ForEachRun(HelixKind, [&](const KaResidue& first, const KaResidue& last, uint32_t flags,
                                          size_t length) {
            start();
            Value(std::string_view("HELX_P"));
            Value(std::string_view("HELX_P" + std::to_string(++serial)));
            ResidueIds(first);
            ResidueIds(last);
            Value(HelixClassOf(flags));
            Value(length);
            EndRow();
        });
        serial = 0;
        layout_.ForEachRun(TurnKind, [&](const KaResidue& first, const KaResidue& last, uint32_t, size_t length) {
            start();
            Value(std::string_view("TURN_P"));
            Value(std::string_view("TURN_P" + std::to_string(++serial)));
            ResidueIds(first);
            ResidueIds(last);
            out_ += "? ";
            Value(length);
            EndRow();
        });
        if (started) out_ += "#\n";
    }

    // Each strand is a sheet of its own: the flags say which residues are in
    // strands, not how strands pair.
    void WriteSheetRanges() {
        bool started = false;
        int serial = 0;
        layout_.ForEachRun(SheetKind, [&](const KaResidue& first, const KaResidue& last, uint32_t, size_t) {
            if (!started) {
                started = true;
                Loop("_struct_sheet_range.", {"sheet_id", "id", "beg_auth_asym_id", "beg_label_comp_id",
                                              "beg_auth_seq_id", "pdbx_beg_PDB_ins_code", "end_auth_asym_id",
                                              "end_label_comp_id", "end_auth_seq_id", "pdbx_end_PDB_ins_code"});
            }
            Value(++serial);
            Value(1);
            ResidueIds(first);
            ResidueIds(last);
            EndRow();
        });
        if (started) out_ += "#\n";
    }

    void WriteAtomSite() {
        Loop("_atom_site.", {"group_PDB", "id", "type_symbol", "label_atom_id", "label_alt_id", "label_comp_id",
                             "label_asym_id", "pdbx_PDB_ins_code", "Cartn_x", "Cartn_y", "Cartn_z", "occupancy",
                             "B_iso_or_equiv", "auth_seq_id", "auth_comp_id", "auth_asym_id", "auth_atom_id",
                             "pdbx_PDB_model_num"});
        // A file holds one model per molecule; without residue data it is model 1.
        const int model = layout_.ModelNumber() > 0 ? layout_.ModelNumber() : 1;
        for (uint32_t index : layout_.Live()) {
            const KaAtomBase& atom = layout_.Atom(index);
            const KaResidue& r = layout_.ResidueOf(index);
            const std::string_view chain = r.chainId == " " ? std::string_view() : CText(r.chainId);
            const ElementText symbol = UpperElementSymbol(atom.GetAtomicNum());
            float xyz[3];
            layout_.Mol().GetCoords(atom, xyz);
            for (float c : xyz)
                if (!std::isfinite(c))
                    ThrowFormatError(fileName_, "atom " + std::to_string(index) + " has coordinate " +
                                                    std::to_string(c) + ", which is not a number");
            Value(std::string_view(layout_.IsHetero(index) ? "HETATM" : "ATOM"));
            Value(layout_.Serial(index));
            Value(std::string_view(symbol.text));
            AtomName(index);
            Value(r.alternateLocation, '.');
            Value(r.residueName);
            Value(chain);
            Value(r.insertCode, '?');
            Value(xyz[0]);
            Value(xyz[1]);
            Value(xyz[2]);
            if (HasAtomResidue(atom)) {
                Value(r.occupancy);
                Value(r.bFactor);
            } else {
                // No residue data, so no occupancy or B-factor: unknown, not
                // the numbers of the default record the atom reads as.
                out_ += "? ? ";
            }
            Value(r.residueNumber);
            Value(r.residueName);
            Value(chain);
            AtomName(index);
            Value(model);
            EndRow();
        }
        out_ += "#\n";
    }

    // Bonds that touch a hetero atom; polymer bonds are perceived on reading.
    void WriteStructConn() {
        const auto bonds = layout_.HeteroBonds();
        if (bonds.empty()) return;
        Loop("_struct_conn.", {"id", "conn_type_id", "ptnr1_label_asym_id", "ptnr1_label_comp_id",
                               "ptnr1_label_atom_id", "pdbx_ptnr1_label_alt_id", "ptnr1_auth_asym_id",
                               "ptnr1_auth_seq_id", "pdbx_ptnr1_PDB_ins_code", "ptnr1_symmetry",
                               "ptnr2_label_asym_id", "ptnr2_label_comp_id", "ptnr2_label_atom_id",
                               "pdbx_ptnr2_label_alt_id", "ptnr2_auth_asym_id", "ptnr2_auth_seq_id",
                               "pdbx_ptnr2_PDB_ins_code", "ptnr2_symmetry"});
        size_t serial = 0;
        for (const auto& [a, b] : bonds) {
            Value(std::string_view("covale" + std::to_string(++serial)));
            Value(std::string_view("covale"));
            Partner(a);
            Partner(b);
            EndRow();
        }
        out_ += "#\n";
    }

    void Partner(uint32_t index) {
        const KaResidue& r = layout_.ResidueOf(index);
        const std::string_view chain = r.chainId == " " ? std::string_view() : CText(r.chainId);
        Value(chain);
        Value(r.residueName);
        AtomName(index);
        Value(r.alternateLocation, '.');
        Value(chain);
        Value(r.residueNumber);
        Value(r.insertCode, '?');
        Value(std::string_view("1_555"));
    }

    const StructureLayout layout_;
    const std::string& fileName_;
    std::string out_;
};

}  // namespace

std::string FormatMmcifText(const KaMolBase& mol, const std::string& fileName) {
    return MmcifWriter(mol, fileName).Write();
}

}  // namespace Kamol::io_detail
