// Conversions between Python objects and the toolkit's numbers, texts, single
// characters and file paths, shared by lumora.kamol and lumora.kagrid.
//
// Wrong Python types raise TypeError; integers outside the native range and
// floats beyond single precision raise ValueError, so a negative count or an
// index of 2**40 never wraps around silently. Texts travel as UTF-8 with
// surrogateescape both ways: bytes that are not UTF-8 come back as the lone
// surrogates they went in as. Embedded NUL characters are refused because the
// toolkit reads names up to their first NUL.

%include <stdint.i>

%{
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace KaPy {

// Raised by wrapper code that has already set a Python exception.
struct PythonErrorSet {};

// A file that could not be opened: becomes OSError (or the errno subclass,
// FileNotFoundError for ENOENT) with the file name attached.
struct FileOpenError {
    int error;
    std::string path;
};

// The type name of a Python object, as a new reference (for messages).
inline PyObject* TypeName(PyObject* obj) {
    PyObject* type = PyObject_Type(obj);
    PyObject* name = type ? PyObject_GetAttrString(type, "__name__") : nullptr;
    Py_XDECREF(type);
    if (!name) {
        PyErr_Clear();
        name = PyUnicode_FromString("?");
    }
    return name;
}

inline void SetWrongType(const char* where, const char* expected, PyObject* obj) {
    PyObject* name = TypeName(obj);
    PyErr_Format(PyExc_TypeError, "%s must be %s, not %U", where, expected, name);
    Py_XDECREF(name);
}

// Any object with __index__ (int, bool, numpy integers) within [low, high].
inline bool AsInteger(PyObject* obj, long long low, long long high, const char* where, long long* out) {
    if (!PyIndex_Check(obj)) {
        SetWrongType(where, "an integer", obj);
        return false;
    }
    PyObject* number = PyNumber_Index(obj);
    if (!number) return false;
    int overflow = 0;
    long long value = PyLong_AsLongLongAndOverflow(number, &overflow);
    if (value == -1 && PyErr_Occurred()) {
        Py_DECREF(number);
        return false;
    }
    bool above = overflow > 0 || (overflow == 0 && value > high);
    bool below = overflow < 0 || (overflow == 0 && value < low);
    if (above || below) {
        PyErr_Format(PyExc_ValueError, "%s must be between %lld and %lld, got %R", where, low,
                     high, number);
        Py_DECREF(number);
        return false;
    }
    Py_DECREF(number);
    *out = value;
    return true;
}

// An index: any integer; negative ones raise IndexError, and ones beyond
// the native range are clamped (they name nothing either way).
inline bool AsIndex(PyObject* obj, const char* where, long long* out) {
    if (!PyIndex_Check(obj)) {
        SetWrongType(where, "an integer", obj);
        return false;
    }
    PyObject* number = PyNumber_Index(obj);
    if (!number) return false;
    int overflow = 0;
    long long value = PyLong_AsLongLongAndOverflow(number, &overflow);
    Py_DECREF(number);
    if (value == -1 && PyErr_Occurred()) return false;
    if (overflow < 0 || (overflow == 0 && value < 0)) {
        PyErr_Format(PyExc_IndexError, "%s must not be negative", where);
        return false;
    }
    *out = overflow > 0 ? LLONG_MAX : value;
    return true;
}

inline bool AsDouble(PyObject* obj, const char* where, double* out) {
    if (PyUnicode_Check(obj) || PyBytes_Check(obj) || obj == Py_None) {
        SetWrongType(where, "a real number", obj);
        return false;
    }
    double value = PyFloat_AsDouble(obj);
    if (value == -1.0 && PyErr_Occurred()) {
        if (PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            SetWrongType(where, "a real number", obj);
        }
        return false;
    }
    *out = value;
    return true;
}

// A real number that fits a 32-bit float; infinities and NaN pass unchanged.
inline bool AsFloat(PyObject* obj, const char* where, float* out) {
    double value;
    if (!AsDouble(obj, where, &value)) return false;
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
        PyErr_Format(PyExc_ValueError, "%s is out of range for a 32-bit float, got %R", where, obj);
        return false;
    }
    *out = static_cast<float>(value);
    return true;
}

// A str, encoded as UTF-8 with surrogateescape, without NUL characters.
inline bool AsText(PyObject* obj, const char* where, std::string* out) {
    if (!PyUnicode_Check(obj)) {
        SetWrongType(where, "str", obj);
        return false;
    }
    PyObject* bytes = PyUnicode_AsEncodedString(obj, "utf-8", "surrogateescape");
    if (!bytes) return false;
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes, &data, &size) < 0) {
        Py_DECREF(bytes);
        return false;
    }
    if (std::memchr(data, '\0', static_cast<size_t>(size))) {
        Py_DECREF(bytes);
        PyErr_Format(PyExc_ValueError, "%s must not contain a NUL character", where);
        return false;
    }
    out->assign(data, static_cast<size_t>(size));
    Py_DECREF(bytes);
    return true;
}

// A one-character str whose encoding is a single byte (the toolkit stores
// alternate locations and insert codes as one byte).
inline bool AsByteChar(PyObject* obj, const char* where, char* out) {
    std::string text;
    if (!AsText(obj, where, &text)) return false;
    if (text.size() != 1) {
        PyErr_Format(PyExc_ValueError, "%s must be a single one-byte character, got %R", where, obj);
        return false;
    }
    *out = text[0];
    return true;
}

// A str, bytes or os.PathLike path, in the file system encoding.
inline bool AsPath(PyObject* obj, std::string* out) {
    PyObject* bytes = nullptr;
    if (!PyUnicode_FSConverter(obj, &bytes)) return false;
    char* data = nullptr;
    Py_ssize_t size = 0;
    bool ok = PyBytes_AsStringAndSize(bytes, &data, &size) == 0;
    if (ok) out->assign(data, static_cast<size_t>(size));
    Py_DECREF(bytes);
    return ok;
}

inline PyObject* FromText(const char* data, size_t size) {
    return PyUnicode_DecodeUTF8(data, static_cast<Py_ssize_t>(size), "surrogateescape");
}

// Throws FileOpenError unless `path` names a regular file that can be opened
// for reading, so that Python sees FileNotFoundError, IsADirectoryError or
// PermissionError instead of a bare failed read.
inline void CheckReadable(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) throw FileOpenError{errno, path};
    if (S_ISDIR(info.st_mode)) throw FileOpenError{EISDIR, path};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw FileOpenError{errno, path};
    std::fclose(file);
}

// Throws FileOpenError unless `path` can be opened for writing. A missing
// file is created empty (the writer truncates it anyway).
inline void CheckWritable(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) throw FileOpenError{EISDIR, path};
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (!file) throw FileOpenError{errno, path};
    std::fclose(file);
}

// Sets OSError(errno, strerror, filename); Python picks the errno subclass.
inline void SetFileOpenError(const FileOpenError& e) {
    PyObject* name = PyUnicode_DecodeFSDefaultAndSize(e.path.data(), static_cast<Py_ssize_t>(e.path.size()));
    if (!name) return;
    PyObject* args = Py_BuildValue("(isO)", e.error, std::strerror(e.error), name);
    Py_DECREF(name);
    if (!args) return;
    PyErr_SetObject(PyExc_OSError, args);
    Py_DECREF(args);
}

}  // namespace KaPy
%}

// Unsigned 32-bit numbers: counts, codes, tags, levels, dimensions.
%typemap(in) unsigned int (long long value) {
    if (!KaPy::AsInteger($input, 0, UINT32_MAX, "argument '$1_name' of $symname", &value)) SWIG_fail;
    $1 = static_cast<$1_ltype>(value);
}
%typemap(typecheck, precedence=SWIG_TYPECHECK_UINT32) unsigned int {
    $1 = PyIndex_Check($input) ? 1 : 0;
}

%typemap(in) int (long long value) {
    if (!KaPy::AsInteger($input, INT32_MIN, INT32_MAX, "argument '$1_name' of $symname", &value)) SWIG_fail;
    $1 = static_cast<$1_ltype>(value);
}
%typemap(typecheck, precedence=SWIG_TYPECHECK_INT32) int {
    $1 = PyIndex_Check($input) ? 1 : 0;
}

%typemap(in) float {
    if (!KaPy::AsFloat($input, "argument '$1_name' of $symname", &$1)) SWIG_fail;
}
%typemap(in) double {
    if (!KaPy::AsDouble($input, "argument '$1_name' of $symname", &$1)) SWIG_fail;
}

// Texts.
%typemap(in) const std::string& (std::string text) {
    if (!KaPy::AsText($input, "argument '$1_name' of $symname", &text)) SWIG_fail;
    $1 = &text;
}
%typemap(in) std::string {
    if (!KaPy::AsText($input, "argument '$1_name' of $symname", &$1)) SWIG_fail;
}
%typemap(in) const char* (std::string text) {
    if (!KaPy::AsText($input, "argument '$1_name' of $symname", &text)) SWIG_fail;
    $1 = const_cast<char*>(text.c_str());
}
%typemap(freearg) const char* ""
%typemap(out) std::string {
    $result = KaPy::FromText($1.data(), $1.size());
}
%typemap(out) const std::string& {
    $result = KaPy::FromText($1->data(), $1->size());
}
%typemap(out) const char* {
    if ($1) {
        $result = KaPy::FromText($1, std::strlen($1));
    } else {
        $result = Py_None;
        Py_INCREF($result);
    }
}

// One-byte characters (alternate location, insert code) as 1-character str.
%typemap(in) char {
    if (!KaPy::AsByteChar($input, "argument '$1_name' of $symname", &$1)) SWIG_fail;
}
%typemap(out) char {
    $result = KaPy::FromText(&$1, 1);
}

// File paths: str, bytes or os.PathLike.
%typemap(in) const std::string& path (std::string text) {
    if (!KaPy::AsPath($input, &text)) SWIG_fail;
    $1 = &text;
}

// Indices (atoms, grid points): IndexError for negative values.
%typemap(in) long long index, long long i, long long j, long long k {
    if (!KaPy::AsIndex($input, "argument '$1_name' of $symname", &$1)) SWIG_fail;
}

// Results built by hand, already a new reference.
%typemap(out) PyObject* {
    $result = $1;
}

// None as self (a method called through its class, KaAtomBase.GetName(None))
// converts to a null object: refuse it as any other object that is not of the
// class, rather than call the native method on it. Destructors accept None.
%typemap(check, noblock=1) SWIGTYPE *self, SWIGTYPE const *self {
  if (!$1 && std::strncmp("$symname", "delete_", 7) != 0) {
    %argument_fail(SWIG_TypeError, "$type", $symname, $argnum);
  }
}
