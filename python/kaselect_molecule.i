// Molecules and atoms arrive from the toolkit's module lumora.kamol. They are
// accepted through the shared type registry first, then by an instance test
// against lumora.kamol.KaMolBase / KaAtomBase with the native pointer read
// from the object's "this". They are borrowed for the duration of the call.

%{
#include "molecule/molecule.h"
#include "wrapped_pointer.h"

namespace {

// Cached toolkit classes; a failed lookup is retried at the next call.
PyObject* kaselToolkitClass(const char* name, PyObject** cache) {
    if (*cache) return *cache;
    PyObject* module = PyImport_ImportModule("lumora.kamol");
    if (!module) {
        PyErr_Clear();
        return nullptr;
    }
    PyObject* cls = PyObject_GetAttrString(module, name);
    Py_DECREF(module);
    if (!cls) {
        PyErr_Clear();
        return nullptr;
    }
    *cache = cls;  // kept for the life of the process
    return cls;
}

PyObject* kaselMoleculeClass = nullptr;
PyObject* kaselAtomClass = nullptr;

enum class ToolkitArg { Ok, Null, Refused };

// Looks up `obj` as a toolkit object of the registry type `type` or the
// toolkit class `className`.
ToolkitArg kaselConvertToolkitObject(PyObject* obj, swig_type_info* type, const char* className,
                                     PyObject** cache, void** result) {
    *result = nullptr;
    if (!obj || obj == Py_None) return ToolkitArg::Null;
    void* ptr = nullptr;
    if (SWIG_Python_GetSwigThis(obj) && SWIG_IsOK(SWIG_ConvertPtr(obj, &ptr, type, 0))) {
        *result = ptr;
        return ptr ? ToolkitArg::Ok : ToolkitArg::Null;
    }
    PyObject* cls = kaselToolkitClass(className, cache);
    ptr = cls ? KaPy::InstancePointer(obj, cls) : nullptr;
    if (!ptr) return ToolkitArg::Refused;
    *result = ptr;
    return ToolkitArg::Ok;
}

// Sets the documented TypeError and returns false when `obj` is not usable.
bool kaselMoleculeArg(PyObject* obj, Kamol::KaMolBase** mol) {
    void* ptr = nullptr;
    switch (kaselConvertToolkitObject(obj, SWIGTYPE_p_Kamol__KaMolBase, "KaMolBase", &kaselMoleculeClass, &ptr)) {
        case ToolkitArg::Ok: *mol = static_cast<Kamol::KaMolBase*>(ptr); return true;
        case ToolkitArg::Null: PyErr_SetString(PyExc_TypeError, "Null reference."); return false;
        default: PyErr_SetString(PyExc_TypeError, "Expected KaMolBase-derived object."); return false;
    }
}

bool kaselAtomArg(PyObject* obj, Kamol::KaAtomBase** atom) {
    void* ptr = nullptr;
    switch (kaselConvertToolkitObject(obj, SWIGTYPE_p_Kamol__KaAtomBase, "KaAtomBase", &kaselAtomClass, &ptr)) {
        case ToolkitArg::Ok:
            *atom = static_cast<Kamol::KaAtomBase*>(ptr);
            // A deleted atom keeps its object but belongs to no molecule any more;
            // answering for it would hide a mistake, as the toolkit's own calls do.
            if ((*atom)->IsDeleted()) {
                PyErr_Format(PyExc_ValueError, "atom %u has been deleted", (*atom)->GetIndex());
                return false;
            }
            return true;
        case ToolkitArg::Null: PyErr_SetString(PyExc_TypeError, "Null reference."); return false;
        default: PyErr_SetString(PyExc_TypeError, "Expected KaAtomBase-derived object."); return false;
    }
}

// Overload test for a molecule: registry match (null or not) or instance test.
bool kaselIsMolecule(PyObject* obj) {
    if (!obj || obj == Py_None) return false;
    void* ptr = nullptr;
    if (SWIG_Python_GetSwigThis(obj) && SWIG_IsOK(SWIG_ConvertPtr(obj, &ptr, SWIGTYPE_p_Kamol__KaMolBase, 0)))
        return true;
    PyObject* cls = kaselToolkitClass("KaMolBase", &kaselMoleculeClass);
    if (!cls) return false;
    int isInstance = PyObject_IsInstance(obj, cls);
    if (isInstance < 0) PyErr_Clear();
    return isInstance == 1;
}

}  // namespace
%}

namespace Kamol {
class KaMolBase;
class KaAtomBase;
}
// Registry types shared with lumora.kamol.
%types(Kamol::KaMolBase*, Kamol::KaAtomBase*);

%typemap(in) Kamol::KaMolBase& {
    if (!kaselMoleculeArg($input, &$1)) SWIG_fail;
}
%typemap(in) const Kamol::KaMolBase& {
    if (!kaselMoleculeArg($input, const_cast<Kamol::KaMolBase**>(&$1))) SWIG_fail;
}
%typemap(typecheck, precedence=SWIG_TYPECHECK_POINTER) Kamol::KaMolBase&, const Kamol::KaMolBase& {
    $1 = kaselIsMolecule($input) ? 1 : 0;
}
%typemap(in) const Kamol::KaAtomBase& {
    if (!kaselAtomArg($input, const_cast<Kamol::KaAtomBase**>(&$1))) SWIG_fail;
}
%typemap(in) Kamol::KaAtomBase& = const Kamol::KaAtomBase&;
