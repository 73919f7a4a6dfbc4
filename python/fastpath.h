// Shared by the source files of the extension kaselect._fastpath: finding the
// native molecule behind a proxy, translating native exceptions, handing
// buffers to NumPy, and the module's entry points by file.
#pragma once

#include <Python.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "selection/selection.h"
#include "selection_errors.h"

namespace fastpath {

// The native object behind an instance of `module`.`className` (a SWIG proxy
// whose "this" is a wrapped pointer), or null; the class is looked up once
// into `*classCache`.
void* ProxyPointer(PyObject* obj, const char* module, const char* className, PyObject** classCache);

// The native molecule of a lumora.kamol molecule proxy, or null with TypeError set.
Kamol::KaMolBase* MoleculeFromObject(PyObject* obj);

// The UTF-8 bytes of a selection text given as str; false with TypeError set
// for any other object.
bool SelectionText(PyObject* obj, std::string* text);

// Runs `work`, translating native exceptions as the main module does.
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

// A str of native text; bytes that are not UTF-8 come back as the lone
// surrogates they went in as, as everywhere in the binding.
PyObject* Text(const std::string& text);
// A list of `convert(item)` for each item; null with the error set when a
// conversion fails.
template <class Item, class Convert>
PyObject* ListOf(const std::vector<Item>& items, Convert&& convert) {
    PyObject* list = PyList_New(static_cast<Py_ssize_t>(items.size()));
    for (size_t i = 0; list && i < items.size(); ++i) {
        PyObject* item = convert(items[i]);
        if (!item) {
            Py_DECREF(list);
            return nullptr;
        }
        PyList_SetItem(list, static_cast<Py_ssize_t>(i), item);
    }
    return list;
}
PyObject* StringList(const std::vector<std::string>& texts);

// (owner, address, count) of `indices`, handed over without a copy: the
// capsule `owner` frees them.
PyObject* IndexBuffer(std::vector<unsigned int>&& indices);
// The index buffer held by such an owner, or null with TypeError set.
const std::vector<unsigned int>* IndicesFromCapsule(PyObject* owner);

// The contents of a bytes or bytearray object holding `expected` bytes;
// false with TypeError or ValueError (naming `what`) set otherwise. Arrays
// come in as such copies: the limited API has no buffer protocol before 3.11,
// and a copy is never read out of bounds.
bool BytesOf(PyObject* obj, Py_ssize_t expected, const char* what, const char** data);

// Entry points, by file (see each file for what they take and give).
// fastpath_coords.cpp
PyObject* Coords(PyObject*, PyObject* arg);
PyObject* SetCoords(PyObject*, PyObject* args);
PyObject* Columns(PyObject*, PyObject* arg);
// fastpath_build.cpp
PyObject* Build(PyObject*, PyObject* args);
// fastpath_frames.cpp
PyObject* FrameSelector(PyObject*, PyObject* args);
PyObject* FrameIndices(PyObject*, PyObject* arg);

}  // namespace fastpath
