// kaselect._fastpath: selection results as raw buffers for NumPy, without a
// Python object per atom, and the module's method table (coordinates and
// columns, building molecules, and frames are in the sibling files). The
// package wraps them as numpy arrays (kaselect.select_indices,
// kaselect.select_mask). Index results are handed over without a copy: a
// capsule owns the engine's result and the array keeps the capsule alive.
// The command-line tool formats its rows from such a result in bulk (rows)
// and copies the selected atoms out for writing (copy_atoms), again without
// a Python object per atom.
#include "fastpath.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "molecule/elements.h"
#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "molecule/segments.h"
#include "selection/parse_failure.h"
#include "selection/select.h"
#include "selection/selector.h"

namespace {

using fastpath::Guarded;
using fastpath::MoleculeFromObject;

PyObject* selectionClass = nullptr;

// The native selection of a kaselect.KaSelection proxy, or null with TypeError set.
const KaSel::KaSelection* SelectionFromObject(PyObject* obj) {
    void* ptr = fastpath::ProxyPointer(obj, "kaselect.kaselect", "KaSelection", &selectionClass);
    if (!ptr) PyErr_SetString(PyExc_TypeError, "Expected a KaSelection.");
    return static_cast<const KaSel::KaSelection*>(ptr);
}

bool ParseArguments(PyObject* args, Kamol::KaMolBase** mol, std::string* text) {
    PyObject* molObj = nullptr;
    PyObject* textObj = nullptr;
    if (!PyArg_UnpackTuple(args, "select", 2, 2, &molObj, &textObj)) return false;
    *mol = MoleculeFromObject(molObj);
    return *mol && fastpath::SelectionText(textObj, text);
}

bool Evaluate(Kamol::KaMolBase& mol, const std::string& text, std::vector<unsigned int>* out) {
    return Guarded([&] { *out = KaSel::EvaluateSelection(mol, text); });
}

// indices(mol, text) -> (owner, address, count): `count` native-endian uint32
// atom indices at `address`, valid while the capsule `owner` lives.
PyObject* Indices(PyObject*, PyObject* args) {
    Kamol::KaMolBase* mol = nullptr;
    std::string text;
    std::vector<unsigned int> selected;
    if (!ParseArguments(args, &mol, &text) || !Evaluate(*mol, text, &selected)) return nullptr;
    return fastpath::IndexBuffer(std::move(selected));
}

// parsed_indices(mol, selection) -> what indices() gives, for an already
// parsed KaSelection: a caller that holds one does not parse its text again.
PyObject* ParsedIndices(PyObject*, PyObject* args) {
    PyObject *molObj = nullptr, *selectionObj = nullptr;
    if (!PyArg_UnpackTuple(args, "parsed_indices", 2, 2, &molObj, &selectionObj)) return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    const KaSel::KaSelection* selection = mol ? SelectionFromObject(selectionObj) : nullptr;
    if (!selection) return nullptr;
    std::vector<unsigned int> selected;
    if (!Guarded([&] { selected = KaSel::KaSelect(*mol, *selection).SelectAll(); })) return nullptr;
    return fastpath::IndexBuffer(std::move(selected));
}

// mask(mol, text) -> bytearray of 0/1 bytes, one per atom index (deleted atoms 0).
PyObject* Mask(PyObject*, PyObject* args) {
    Kamol::KaMolBase* mol = nullptr;
    std::string text;
    std::vector<unsigned int> selected;
    if (!ParseArguments(args, &mol, &text) || !Evaluate(*mol, text, &selected)) return nullptr;
    PyObject* result = PyByteArray_FromStringAndSize(nullptr, mol->IndexLimit());
    if (!result) return nullptr;
    char* mask = PyByteArray_AsString(result);
    std::memset(mask, 0, mol->IndexLimit());
    for (unsigned int index : selected) mask[index] = 1;
    return result;
}

// residues(mol, text) -> list of residue selector strings in residue order.
PyObject* Residues(PyObject*, PyObject* args) {
    Kamol::KaMolBase* mol = nullptr;
    std::string text;
    std::vector<std::string> residues;
    if (!ParseArguments(args, &mol, &text) ||
        !Guarded([&] { residues = KaSel::ordered_selector_strings(*mol, text); }))
        return nullptr;
    return fastpath::StringList(residues);
}

// residues_of(mol, owner) -> the same list for the atoms of an indices()
// result, without evaluating the selection again.
PyObject* ResiduesOf(PyObject*, PyObject* args) {
    PyObject *molObj = nullptr, *owner = nullptr;
    if (!PyArg_UnpackTuple(args, "residues_of", 2, 2, &molObj, &owner)) return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    const std::vector<unsigned int>* indices = mol ? fastpath::IndicesFromCapsule(owner) : nullptr;
    if (!indices) return nullptr;
    for (unsigned int index : *indices)
        if (!mol->GetAtom(index)) {
            PyErr_SetString(PyExc_ValueError, "residues_of: the selection names an atom the molecule no longer has");
            return nullptr;
        }
    std::vector<std::string> residues;
    if (!Guarded([&] { residues = KaSel::ordered_selector_strings(*mol, *indices); })) return nullptr;
    return fastpath::StringList(residues);
}

// repeated_residue(mol) -> the selector string of the first residue key met
// again after other residues, or None.
PyObject* RepeatedResidue(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    std::optional<KaSel::Selector> repeated;
    if (!mol || !Guarded([&] { repeated = KaSel::first_repeated_residue(*mol); })) return nullptr;
    if (!repeated) Py_RETURN_NONE;
    return fastpath::Text(repeated->ToString());
}

// segments(mol) -> [(segment id, chain keys)]: the molecule's segments in
// order of first appearance, each with the chain keys of its atoms.
PyObject* Segments(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    std::vector<std::pair<std::string, std::string>> segments;
    if (!mol || !Guarded([&] { segments = Kamol::SegmentChains(*mol); })) return nullptr;
    return fastpath::ListOf(segments, [](const std::pair<std::string, std::string>& s) -> PyObject* {
        PyObject* name = fastpath::Text(s.first);
        PyObject* keys = name ? fastpath::Text(s.second) : nullptr;
        PyObject* pair = keys ? PyTuple_Pack(2, name, keys) : nullptr;
        Py_XDECREF(name);
        Py_XDECREF(keys);
        return pair;
    });
}

// parse_failure(text) -> None for text the grammar accepts, else (byte
// offset of the furthest point it reached, quoting hint or "").
PyObject* ParseFailure(PyObject*, PyObject* arg) {
    std::string text;
    if (!fastpath::SelectionText(arg, &text)) return nullptr;
    std::optional<KaSel::ParseFailure> failure;
    if (!Guarded([&] { failure = KaSel::ParseFailurePosition(text); })) return nullptr;
    if (!failure) Py_RETURN_NONE;
    PyObject* hint = fastpath::Text(failure->hint);
    if (!hint) return nullptr;
    PyObject* result = Py_BuildValue("(nO)", Py_ssize_t(failure->position), hint);
    Py_DECREF(hint);
    return result;
}

PyObject* NewNone() {
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* IndexList(const std::vector<uint32_t>& indices) {
    return fastpath::ListOf(indices, [](uint32_t index) { return PyLong_FromUnsignedLong(index); });
}

// answer(mol, selection, indices, residues) -> (count, index list or None,
// residue list or None): one evaluation of an already parsed KaSelection
// serves all three, so a batch worker parses each selection once.
PyObject* Answer(PyObject*, PyObject* args) {
    PyObject *molObj = nullptr, *selectionObj = nullptr;
    int wantIndices = 0, wantResidues = 0;
    if (!PyArg_ParseTuple(args, "OOpp:answer", &molObj, &selectionObj, &wantIndices, &wantResidues))
        return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    if (!mol) return nullptr;
    const KaSel::KaSelection* selection = SelectionFromObject(selectionObj);
    if (!selection) return nullptr;
    std::vector<uint32_t> selected;
    std::vector<std::string> residues;
    if (!Guarded([&] {
            selected = KaSel::KaSelect(*mol, *selection).SelectAll();
            if (wantResidues) residues = KaSel::ordered_selector_strings(*mol, selected);
        }))
        return nullptr;
    PyObject* indexList = wantIndices ? IndexList(selected) : NewNone();
    PyObject* residueList = wantResidues ? fastpath::StringList(residues) : NewNone();
    PyObject* result = indexList && residueList
        ? Py_BuildValue("(nOO)", static_cast<Py_ssize_t>(selected.size()), indexList, residueList)
        : nullptr;
    Py_XDECREF(indexList);
    Py_XDECREF(residueList);
    return result;
}

// Printed rows, formatted as the tool's Python code formats them: texts as
// the binding converts them (UTF-8, undecodable bytes as lone surrogates),
// padded by characters; coordinates rounded to 3 decimals.
class RowWriter {
public:
    // Fields that are not ASCII are measured and escaped through Python.
    bool Failed() const { return failed_; }
    std::string& Text() { return out_; }

    void Raw(std::string_view text) { out_ += text; }

    // `text` left-aligned in `width` characters.
    void Padded(std::string_view text, size_t width) {
        out_ += text;
        for (size_t n = Characters(text); n < width; ++n) out_ += ' ';
    }

    template <class Number>
    void Integer(Number value) {
        char buffer[24];
        out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
    }

    // An integer right-aligned in `width` columns, as printf's "%<width>d".
    template <class Number>
    void Integer(Number value, size_t width) {
        char buffer[24];
        const char* end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        RightAligned(std::string_view(buffer, size_t(end - buffer)), width);
    }

    // A coordinate as the table prints it: 3 decimals in 9 columns. to_chars
    // with a precision rounds as printf's "%.3f" does.
    void TableCoordinate(float value) {
        if (std::isnan(value)) return Padded("      nan", 9);
        char buffer[400];
        const char* end = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::fixed, 3).ptr;
        RightAligned(std::string_view(buffer, size_t(end - buffer)), 9);
    }

    // A coordinate as JSON holds it: the repr of the value rounded to 3 decimals.
    void JsonCoordinate(float value) {
        if (std::isnan(value)) return Raw("NaN");
        if (std::isinf(value)) return Raw(value > 0 ? "Infinity" : "-Infinity");
        char buffer[400];
        const char* fixed = std::to_chars(buffer, buffer + sizeof buffer, double(value), std::chars_format::fixed, 3).ptr;
        if (std::fabs(value) < 1e11f) {
            // At most 14 significant digits: the double nearest the rounded
            // value reads back as those digits, so its repr is them without
            // trailing zeros (one kept after the point).
            while (fixed[-1] == '0' && fixed[-2] != '.') --fixed;
            return Raw(std::string_view(buffer, size_t(fixed - buffer)));
        }
        double rounded = 0;
        std::from_chars(buffer, fixed, rounded);
        if (std::fabs(rounded) >= 1e16) return PythonRepr(rounded);
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed);
        out_.append(buffer, end);
        if (std::string_view(buffer, size_t(end - buffer)).find('.') == std::string_view::npos) out_ += ".0";
    }

    // A JSON string with every character outside printable ASCII escaped.
    void JsonString(std::string_view text) {
        out_ += '"';
        if (IsAscii(text)) {
            for (char c : text) Escaped(static_cast<unsigned char>(c));
        } else if (PyObject* decoded = Decode(text)) {
            for (Py_ssize_t i = 0, n = PyUnicode_GetLength(decoded); i < n; ++i) {
                Py_UCS4 c = PyUnicode_ReadChar(decoded, i);
                if (c >= 0x10000) {
                    c -= 0x10000;
                    Escaped(0xD800 | (c >> 10));
                    Escaped(0xDC00 | (c & 0x3FF));
                } else {
                    Escaped(c);
                }
            }
            Py_DECREF(decoded);
        }
        out_ += '"';
    }

private:
    void RightAligned(std::string_view text, size_t width) {
        if (text.size() < width) out_.append(width - text.size(), ' ');
        out_ += text;
    }

    static bool IsAscii(std::string_view text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    }

    PyObject* Decode(std::string_view text) {
        PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
        if (!decoded) failed_ = true;
        return decoded;
    }

    size_t Characters(std::string_view text) {
        if (IsAscii(text)) return text.size();
        PyObject* decoded = Decode(text);
        if (!decoded) return text.size();
        size_t n = static_cast<size_t>(PyUnicode_GetLength(decoded));
        Py_DECREF(decoded);
        return n;
    }

    void Escaped(uint32_t c) {
        switch (c) {
            case '"': out_ += "\\\""; return;
            case '\\': out_ += "\\\\"; return;
            case '\n': out_ += "\\n"; return;
            case '\r': out_ += "\\r"; return;
            case '\t': out_ += "\\t"; return;
            case '\b': out_ += "\\b"; return;
            case '\f': out_ += "\\f"; return;
            default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out_ += static_cast<char>(c);
            return;
        }
        char buffer[16];  // room for any 32-bit value, which the compiler cannot rule out
        std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
        out_ += buffer;
    }

    void PythonRepr(double value) {
        PyObject* number = PyFloat_FromDouble(value);
        PyObject* repr = number ? PyObject_Repr(number) : nullptr;
        Py_XDECREF(number);
        PyObject* bytes = repr ? PyUnicode_AsUTF8String(repr) : nullptr;
        if (bytes) out_ += PyBytes_AsString(bytes);
        else failed_ = true;
        Py_XDECREF(bytes);
        Py_XDECREF(repr);
    }

    std::string out_;
    bool failed_ = false;
};

enum RowKind { kIndexRows = 0, kTableRows = 1, kJsonRows = 2 };

void FormatRow(RowWriter& w, const Kamol::KaMolBase& mol, unsigned int index, long kind) {
    if (kind == kIndexRows) {
        w.Integer(index);
        w.Raw("\n");
        return;
    }
    const Kamol::KaAtomBase& atom = *mol.GetAtom(index);
    const Kamol::KaResidue residue = Kamol::CopyAtomResidue(atom);
    const std::string_view name = Kamol::CText(atom.Name());
    const std::string_view icode(&residue.insertCode, 1);
    const char* element = Kamol::GetElementSymbol(atom.GetAtomicNum());
    float xyz[3];
    mol.GetCoords(atom, xyz);
    if (kind == kTableRows) {
        w.Integer(index, 7);
        w.Raw(" ");
        w.Padded(name, 4);
        w.Raw(" ");
        w.Padded(residue.residueName, 4);
        w.Raw(" ");
        w.Integer(residue.residueNumber, 5);
        w.Raw(" ");
        w.Padded(icode, 5);
        w.Raw(" ");
        w.Padded(residue.chainId, 5);
        w.Raw(" ");
        w.Padded(element, 2);
        for (float c : xyz) {
            w.Raw(" ");
            w.TableCoordinate(c);
        }
        w.Raw("\n");
        return;
    }
    w.Raw("{\"index\": ");
    w.Integer(index);
    w.Raw(", \"name\": ");
    w.JsonString(name);
    w.Raw(", \"resn\": ");
    w.JsonString(residue.residueName);
    w.Raw(", \"resi\": ");
    w.Integer(residue.residueNumber);
    w.Raw(", \"icode\": ");
    w.JsonString(icode);
    w.Raw(", \"chain\": ");
    w.JsonString(residue.chainId);
    w.Raw(", \"element\": ");
    w.JsonString(element);
    const char* keys[3] = {", \"x\": ", ", \"y\": ", ", \"z\": "};
    for (int k = 0; k < 3; ++k) {
        w.Raw(keys[k]);
        w.JsonCoordinate(xyz[k]);
    }
    w.Raw("}");
}

// rows(mol, owner, start, stop, kind) -> str: the selected atoms start..stop-1
// of an indices() result as printed lines: kind 0 indices, 1 table rows, 2
// JSON atom objects joined by ", ".
PyObject* Rows(PyObject*, PyObject* args) {
    PyObject *molObj = nullptr, *owner = nullptr;
    Py_ssize_t start = 0, stop = 0;
    long kind = 0;
    if (!PyArg_ParseTuple(args, "OOnnl:rows", &molObj, &owner, &start, &stop, &kind)) return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    const std::vector<unsigned int>* indices = mol ? fastpath::IndicesFromCapsule(owner) : nullptr;
    if (!indices) return nullptr;
    if (kind < kIndexRows || kind > kJsonRows || start < 0 || stop < start || size_t(stop) > indices->size()) {
        PyErr_SetString(PyExc_ValueError, "rows: bad range or kind");
        return nullptr;
    }
    RowWriter w;
    w.Text().reserve(size_t(stop - start) * (kind == kJsonRows ? 160 : 70));
    for (Py_ssize_t i = start; i < stop && !w.Failed(); ++i) {
        if (kind == kJsonRows && i > start) w.Raw(", ");
        const unsigned int index = (*indices)[size_t(i)];
        if (kind != kIndexRows && !mol->GetAtom(index)) {
            PyErr_SetString(PyExc_ValueError, "rows: the selection names an atom the molecule no longer has");
            return nullptr;
        }
        FormatRow(w, *mol, index, kind);
    }
    if (w.Failed()) return nullptr;
    return fastpath::Text(w.Text());
}

// copy_atoms(source, target, owner): adds to `target` the atoms of `source`
// that an indices() result holds, in its order, with their names,
// coordinates and residue records, then the bonds among them (with their
// orders, in the order each atom lists them).
PyObject* CopyAtoms(PyObject*, PyObject* args) {
    PyObject *sourceObj = nullptr, *targetObj = nullptr, *owner = nullptr;
    if (!PyArg_UnpackTuple(args, "copy_atoms", 3, 3, &sourceObj, &targetObj, &owner)) return nullptr;
    Kamol::KaMolBase* source = MoleculeFromObject(sourceObj);
    Kamol::KaMolBase* target = source ? MoleculeFromObject(targetObj) : nullptr;
    const std::vector<unsigned int>* indices = target ? fastpath::IndicesFromCapsule(owner) : nullptr;
    if (!indices) return nullptr;
    bool done = Guarded([&] {
        std::vector<Kamol::KaAtomBase*> copies(source->IndexLimit(), nullptr);
        for (unsigned int index : *indices) {
            const Kamol::KaAtomBase* atom = source->GetAtom(index);
            if (!atom) throw std::invalid_argument("copy_atoms: the selection names an atom the molecule no longer has");
            Kamol::KaAtomBase& copy = target->NewAtom(atom->GetAtomicNum());
            copy.SetName(atom->GetName());
            float xyz[3];
            source->GetCoords(*atom, xyz);
            target->SetCoords(copy, xyz);
            if (Kamol::HasAtomResidue(*atom)) Kamol::SetAtomResidue(copy, Kamol::CopyAtomResidue(*atom));
            copies[index] = &copy;
        }
        for (unsigned int index : *indices) {
            const Kamol::KaAtomBase& atom = *source->GetAtom(index);
            for (const Kamol::KaBondBase* bond : atom.Bonds()) {
                const unsigned int other = bond->GetNeighbour(atom)->GetIndex();
                if (index < other && copies[other])
                    target->NewBond(*copies[index], *copies[other], bond->GetOrder());
            }
        }
    });
    if (!done) return nullptr;
    Py_RETURN_NONE;
}

PyMethodDef methods[] = {
    {"indices", Indices, METH_VARARGS,
     "Selected atom indices: (owner, address, count) of a uint32 buffer that lives as long as owner."},
    {"parsed_indices", ParsedIndices, METH_VARARGS,
     "indices() of a parsed KaSelection: (owner, address, count) of a uint32 buffer that lives as long as owner."},
    {"mask", Mask, METH_VARARGS, "Selection mask as a bytearray with one byte per atom index."},
    {"residues", Residues, METH_VARARGS, "Residue selector strings of the selection, in residue order."},
    {"residues_of", ResiduesOf, METH_VARARGS, "Residue selector strings of an indices() result, in residue order."},
    {"answer", Answer, METH_VARARGS,
     "(count, indices or None, residues or None) of a parsed KaSelection on a molecule."},
    {"rows", Rows, METH_VARARGS, "Printed lines (indices, table rows or JSON atoms) of part of an indices() result."},
    {"copy_atoms", CopyAtoms, METH_VARARGS, "Adds the atoms of an indices() result, and their bonds, to a molecule."},
    {"repeated_residue", RepeatedResidue, METH_O,
     "Selector string of the first residue key met again after other residues, or None."},
    {"parse_failure", ParseFailure, METH_O,
     "None for selection text the grammar accepts, else (byte offset where it stops, quoting hint)."},
    {"segments", Segments, METH_O, "[(segment id, chain keys)] of the molecule's segments, in order of appearance."},
    {"coords", fastpath::Coords, METH_O, "Coordinates of the live atoms as a bytearray of float32 x, y, z."},
    {"set_coords", fastpath::SetCoords, METH_VARARGS,
     "set_coords(mol, address, rows, is_double): sets every live atom's coordinates from a C-ordered buffer."},
    {"columns", fastpath::Columns, METH_O, "Per-atom columns of the live atoms as raw buffers and text tables."},
    {"build", fastpath::Build, METH_VARARGS, "Fills an empty molecule from column buffers."},
    {"frame_selector", fastpath::FrameSelector, METH_VARARGS,
     "A capsule answering one selection on one molecule frame after frame."},
    {"frame_indices", fastpath::FrameIndices, METH_O,
     "Selected atom indices for the molecule's current coordinates: (owner, address, count)."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT, "_fastpath", nullptr, 0, methods,
                         nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__fastpath() { return PyModuleDef_Init(&moduleDef); }
