#include "fastpath.h"

#include <memory>

#include "wrapped_pointer.h"

namespace fastpath {

namespace {

PyObject* moleculeClass = nullptr;

constexpr const char* kIndicesCapsule = "kaselect._fastpath.indices";

void FreeIndices(PyObject* capsule) {
    delete static_cast<std::vector<unsigned int>*>(PyCapsule_GetPointer(capsule, kIndicesCapsule));
}

}  // namespace

void* ProxyPointer(PyObject* obj, const char* module, const char* className, PyObject** classCache) {
    if (!*classCache) {
        if (PyObject* owner = PyImport_ImportModule(module)) {
            *classCache = PyObject_GetAttrString(owner, className);
            Py_DECREF(owner);
        }
        if (!*classCache) PyErr_Clear();
    }
    return *classCache ? KaPy::InstancePointer(obj, *classCache) : nullptr;
}

bool SelectionText(PyObject* obj, std::string* text) {
    if (!PyUnicode_Check(obj)) {
        PyErr_SetString(PyExc_TypeError, "selection text must be str");
        return false;
    }
    PyObject* bytes = PyUnicode_AsUTF8String(obj);
    if (!bytes) return false;
    char* data = nullptr;
    Py_ssize_t size = 0;
    PyBytes_AsStringAndSize(bytes, &data, &size);
    text->assign(data, static_cast<size_t>(size));
    Py_DECREF(bytes);
    return true;
}

Kamol::KaMolBase* MoleculeFromObject(PyObject* obj) {
    if (obj == Py_None) {
        PyErr_SetString(PyExc_TypeError, "Null reference.");
        return nullptr;
    }
    void* ptr = ProxyPointer(obj, "lumora.kamol", "KaMolBase", &moleculeClass);
    if (!ptr) PyErr_SetString(PyExc_TypeError, "Expected KaMolBase-derived object.");
    return static_cast<Kamol::KaMolBase*>(ptr);
}

PyObject* Text(const std::string& text) {
    return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape");
}

PyObject* StringList(const std::vector<std::string>& texts) { return ListOf(texts, Text); }

PyObject* IndexBuffer(std::vector<unsigned int>&& indices) {
    auto owned = std::make_unique<std::vector<unsigned int>>(std::move(indices));
    PyObject* address = PyLong_FromVoidPtr(owned->data());
    PyObject* count = PyLong_FromSize_t(owned->size());
    PyObject* owner = address && count ? PyCapsule_New(owned.get(), kIndicesCapsule, FreeIndices) : nullptr;
    if (owner) owned.release();
    PyObject* result = owner ? PyTuple_Pack(3, owner, address, count) : nullptr;
    Py_XDECREF(owner);
    Py_XDECREF(address);
    Py_XDECREF(count);
    return result;
}

bool BytesOf(PyObject* obj, Py_ssize_t expected, const char* what, const char** data) {
    Py_ssize_t size = -1;
    if (PyBytes_Check(obj)) {
        size = PyBytes_Size(obj);
        *data = PyBytes_AsString(obj);
    } else if (PyByteArray_Check(obj)) {
        size = PyByteArray_Size(obj);
        *data = PyByteArray_AsString(obj);
    } else {
        PyErr_Format(PyExc_TypeError, "%s must be bytes", what);
        return false;
    }
    if (size == expected) return true;
    PyErr_Format(PyExc_ValueError, "%s must hold %zd bytes, got %zd", what, expected, size);
    return false;
}

const std::vector<unsigned int>* IndicesFromCapsule(PyObject* owner) {
    void* ptr = PyCapsule_GetPointer(owner, kIndicesCapsule);
    if (!ptr) {
        PyErr_Clear();
        PyErr_SetString(PyExc_TypeError, "expected the owner returned by indices()");
    }
    return static_cast<const std::vector<unsigned int>*>(ptr);
}

}  // namespace fastpath
