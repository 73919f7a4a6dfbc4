// kaselect._fastpath: selection results as raw buffers for NumPy, without a
// Python object per atom, and the module's method table (coordinates and
// columns, building molecules, and frames are in the sibling files). The
// package wraps them as numpy arrays (kaselect.select_indices,
// kaselect.select_mask). Index results are handed over without a copy: a
// capsule owns the engine's result and the array keeps the capsule alive.
#include "fastpath.h"

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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
    if (!*mol) return false;
    if (!PyUnicode_Check(textObj)) {
        PyErr_SetString(PyExc_TypeError, "selection text must be str");
        return false;
    }
    PyObject* bytes = PyUnicode_AsUTF8String(textObj);
    if (!bytes) return false;
    char* data = nullptr;
    Py_ssize_t size = 0;
    PyBytes_AsStringAndSize(bytes, &data, &size);
    text->assign(data, static_cast<size_t>(size));
    Py_DECREF(bytes);
    return true;
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

// repeated_residue(mol) -> the selector string of the first residue key met
// again after other residues, or None.
PyObject* RepeatedResidue(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    std::optional<KaSel::Selector> repeated;
    if (!mol || !Guarded([&] { repeated = KaSel::first_repeated_residue(*mol); })) return nullptr;
    if (!repeated) Py_RETURN_NONE;
    return fastpath::Text(repeated->ToString());
}

PyObject* NewNone() {
    Py_INCREF(Py_None);
    return Py_None;
}

PyObject* IndexList(const std::vector<uint32_t>& indices) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(indices.size()));
    for (size_t i = 0; list && i < indices.size(); ++i) {
        PyObject* item = PyLong_FromUnsignedLong(indices[i]);
        if (!item) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SetItem(list, static_cast<Py_ssize_t>(i), item);
    }
    return list;
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

PyMethodDef methods[] = {
    {"indices", Indices, METH_VARARGS,
     "Selected atom indices: (owner, address, count) of a uint32 buffer that lives as long as owner."},
    {"mask", Mask, METH_VARARGS, "Selection mask as a bytearray with one byte per atom index."},
    {"residues", Residues, METH_VARARGS, "Residue selector strings of the selection, in residue order."},
    {"answer", Answer, METH_VARARGS,
     "(count, indices or None, residues or None) of a parsed KaSelection on a molecule."},
    {"repeated_residue", RepeatedResidue, METH_O,
     "Selector string of the first residue key met again after other residues, or None."},
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
