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

namespace fastpath {

// The native molecule of a lumora.kamol molecule proxy, or null with TypeError set.
Kamol::KaMolBase* MoleculeFromObject(PyObject* obj);

// Runs `work`, translating native exceptions like the main module.
template <class Work>
bool Guarded(Work&& work) {
    try {
        work();
        return true;
    } catch (const KaSel::SelectionError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const std::exception& e) {
        PyErr_SetString(PyExc_RuntimeError, e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Unknown C++ exception");
    }
    return false;
}

// A str of native text; bytes that are not UTF-8 come back as the lone
// surrogates they went in as, as everywhere in the binding.
PyObject* Text(const std::string& text);
PyObject* StringList(const std::vector<std::string>& texts);

// (owner, address, count) of `indices`, handed over without a copy: the
// capsule `owner` frees them.
PyObject* IndexBuffer(std::vector<unsigned int>&& indices);

// A buffer address passed from Python as an int; false with ValueError set
// when it is not one.
bool AddressFromObject(PyObject* obj, void** address);

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
