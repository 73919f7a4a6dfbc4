// kaselect._fastpath: selection results as raw buffers for NumPy, without a
// Python object per atom. The package wraps them as numpy arrays
// (kaselect.select_indices, kaselect.select_mask). Index results are handed
// over without a copy: a capsule owns the engine's result and the array
// keeps the capsule alive.
#include <Python.h>

#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "selection_errors.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/selector.h"

namespace {

// Layout of the wrapped-pointer object behind a toolkit proxy's "this".
struct WrappedPointer {
    PyObject_HEAD
    void* ptr;
};

PyObject* moleculeClass = nullptr;

// Whether `obj` is a wrapped pointer (its type is named "SwigPyObject", as in
// every SWIG runtime), so that an instance whose "this" was replaced by an
// ordinary object is refused instead of being read as a pointer.
bool IsWrappedPointer(PyObject* obj) {
    PyObject* name = PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(obj)), "__name__");
    if (!name) return false;
    bool wrapped = PyUnicode_Check(name) && PyUnicode_CompareWithASCIIString(name, "SwigPyObject") == 0;
    Py_DECREF(name);
    return wrapped;
}

// The native molecule of a lumora.kamol molecule proxy, or null with TypeError set.
Kamol::KaMolBase* MoleculeFromObject(PyObject* obj) {
    if (obj == Py_None) {
        PyErr_SetString(PyExc_TypeError, "Null reference.");
        return nullptr;
    }
    if (!moleculeClass) {
        PyObject* module = PyImport_ImportModule("lumora.kamol");
        if (module) {
            moleculeClass = PyObject_GetAttrString(module, "KaMolBase");
            Py_DECREF(module);
        }
        if (!moleculeClass) PyErr_Clear();
    }
    void* ptr = nullptr;
    if (moleculeClass && PyObject_IsInstance(obj, moleculeClass) == 1) {
        if (PyObject* self = PyObject_GetAttrString(obj, "this")) {
            if (IsWrappedPointer(self)) ptr = reinterpret_cast<WrappedPointer*>(self)->ptr;
            Py_DECREF(self);
        }
    }
    PyErr_Clear();
    if (!ptr) PyErr_SetString(PyExc_TypeError, "Expected KaMolBase-derived object.");
    return static_cast<Kamol::KaMolBase*>(ptr);
}

PyObject* selectionClass = nullptr;

// The native selection of a kaselect.KaSelection proxy, or null with TypeError set.
const KaSel::KaSelection* SelectionFromObject(PyObject* obj) {
    if (!selectionClass) {
        PyObject* module = PyImport_ImportModule("kaselect.kaselect");
        if (module) {
            selectionClass = PyObject_GetAttrString(module, "KaSelection");
            Py_DECREF(module);
        }
        if (!selectionClass) PyErr_Clear();
    }
    void* ptr = nullptr;
    if (selectionClass && PyObject_IsInstance(obj, selectionClass) == 1) {
        if (PyObject* self = PyObject_GetAttrString(obj, "this")) {
            if (IsWrappedPointer(self)) ptr = reinterpret_cast<WrappedPointer*>(self)->ptr;
            Py_DECREF(self);
        }
    }
    PyErr_Clear();
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

// Runs `work`, translating native exceptions like the main module.
template <class Work>
bool Guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (...) {
        KaPy::SetErrorFromCurrentException();
        return false;
    }
}

bool Evaluate(Kamol::KaMolBase& mol, const std::string& text, std::vector<unsigned int>* out) {
    return Guarded([&] { *out = KaSel::EvaluateSelection(mol, text); });
}

// A str of native text; bytes that are not UTF-8 come back as the lone
// surrogates they went in as, as everywhere in the binding.
PyObject* Text(const std::string& text) {
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
}

PyObject* StringList(const std::vector<std::string>& texts) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(texts.size()));
    for (size_t i = 0; list && i < texts.size(); ++i) {
        PyObject* item = Text(texts[i]);
        if (!item) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SetItem(list, static_cast<Py_ssize_t>(i), item);
    }
    return list;
}

constexpr const char* kIndicesCapsule = "kaselect._fastpath.indices";

void FreeIndices(PyObject* capsule) {
    delete static_cast<std::vector<unsigned int>*>(PyCapsule_GetPointer(capsule, kIndicesCapsule));
}

// indices(mol, text) -> (owner, address, count): `count` native-endian uint32
// atom indices at `address`, valid while the capsule `owner` lives.
PyObject* Indices(PyObject*, PyObject* args) {
    Kamol::KaMolBase* mol = nullptr;
    std::string text;
    auto selected = std::make_unique<std::vector<unsigned int>>();
    if (!ParseArguments(args, &mol, &text) || !Evaluate(*mol, text, selected.get())) return nullptr;
    PyObject* address = PyLong_FromVoidPtr(selected->data());
    PyObject* count = PyLong_FromSize_t(selected->size());
    PyObject* owner = address && count ? PyCapsule_New(selected.get(), kIndicesCapsule, FreeIndices) : nullptr;
    if (owner) selected.release();
    PyObject* result = owner ? PyTuple_Pack(3, owner, address, count) : nullptr;
    Py_XDECREF(owner);
    Py_XDECREF(address);
    Py_XDECREF(count);
    return result;
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
    return StringList(residues);
}

// repeated_residue(mol) -> the selector string of the first residue key met
// again after other residues, or None.
PyObject* RepeatedResidue(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    std::optional<KaSel::Selector> repeated;
    if (!mol || !Guarded([&] { repeated = KaSel::first_repeated_residue(*mol); })) return nullptr;
    if (!repeated) Py_RETURN_NONE;
    return Text(repeated->ToString());
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
    PyObject* residueList = wantResidues ? StringList(residues) : NewNone();
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
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef moduleDef = {PyModuleDef_HEAD_INIT, "_fastpath", nullptr, 0, methods,
                         nullptr, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__fastpath() { return PyModuleDef_Init(&moduleDef); }
