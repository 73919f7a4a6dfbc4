// The native pointer behind a SWIG proxy instance, for objects that may come
// from another extension module's SWIG runtime: _kaselect reads toolkit
// molecules and atoms this way when the shared type registry does not know
// them, and _fastpath reads every proxy it is given this way (it has no SWIG
// runtime of its own).
#pragma once

#include <Python.h>

namespace KaPy {

// The start of every SWIG runtime's wrapped-pointer object: the native
// pointer right after the object header. The object header is part of the
// stable ABI, so this prefix is the same with Py_LIMITED_API; nothing beyond
// it is read.
struct WrappedPointerPrefix {
    PyObject_HEAD
    void* ptr;
};

// Whether `obj` is a wrapped pointer of some SWIG runtime: its type is named
// "SwigPyObject". Modules built with another runtime version have a type
// object of their own, so the name is what they all agree on. Leaves no
// Python error set.
inline bool IsWrappedPointer(PyObject* obj) {
    PyObject* name = PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(obj)), "__name__");
    if (!name) {
        PyErr_Clear();
        return false;
    }
    const bool wrapped = PyUnicode_Check(name) && PyUnicode_CompareWithASCIIString(name, "SwigPyObject") == 0;
    Py_DECREF(name);
    return wrapped;
}

// The native pointer of `obj` when it is an instance of the proxy class
// `cls`, read from its attribute "this"; null when it is not an instance, has
// no "this", or its "this" is not a wrapped pointer (an ordinary object put
// there is refused instead of being read as a pointer). Leaves no Python
// error set.
inline void* InstancePointer(PyObject* obj, PyObject* cls) {
    const int isInstance = PyObject_IsInstance(obj, cls);
    if (isInstance != 1) {
        if (isInstance < 0) PyErr_Clear();
        return nullptr;
    }
    PyObject* self = PyObject_GetAttrString(obj, "this");
    if (!self) {
        PyErr_Clear();
        return nullptr;
    }
    void* ptr = IsWrappedPointer(self) ? reinterpret_cast<WrappedPointerPrefix*>(self)->ptr : nullptr;
    Py_DECREF(self);
    return ptr;
}

}  // namespace KaPy
