// Native exceptions become Python exceptions, for lumora.kamol and
// lumora.kagrid alike:
//   file that cannot be opened          -> OSError subclass of its errno (FileNotFoundError, ...)
//   file fault met by a reader/writer   -> OSError
//   unreadable file content             -> ValueError
//   other standard exceptions           -> the toolkit column of standard_errors.h
//                                          (ValueError, IndexError, MemoryError
//                                          or RuntimeError), with their text
//   anything else                       -> RuntimeError "Unknown C++ exception"
// Messages are decoded like every other text (UTF-8, surrogateescape), so a
// file name that is not UTF-8 cannot turn into a decoding error.

%{
#include <new>
#include <stdexcept>

#include "molecule/io.h"
#include "standard_errors.h"

namespace KaPy {
inline void SetError(PyObject* type, const char* text) {
    PyObject* message = FromText(text, std::strlen(text));
    if (!message) return;
    PyErr_SetObject(type, message);
    Py_DECREF(message);
}

// A MemoryError carries no text, as Python's own do.
inline void SetStandardError(const std::exception& e) {
    PyObject* type = StandardErrorType(e, ErrorFamily::Toolkit);
    if (type == PyExc_MemoryError)
        PyErr_NoMemory();
    else
        SetError(type, e.what());
}
}  // namespace KaPy
%}

%exception {
    try {
        $action
    } catch (const KaPy::PythonErrorSet&) {
        SWIG_fail;
    } catch (const KaPy::FileOpenError& e) {
        KaPy::SetFileOpenError(e);
        SWIG_fail;
    } catch (const Kamol::FileError& e) {
        KaPy::SetError(PyExc_OSError, e.what());
        SWIG_fail;
    } catch (const Kamol::FormatError& e) {
        KaPy::SetError(PyExc_ValueError, e.what());
        SWIG_fail;
    } catch (const std::exception& e) {
        KaPy::SetStandardError(e);
        SWIG_fail;
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Unknown C++ exception");
        SWIG_fail;
    }
}
