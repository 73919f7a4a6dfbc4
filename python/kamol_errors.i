// Native exceptions become Python exceptions, for lumora.kamol and
// lumora.kagrid alike:
//   file that cannot be opened          -> OSError subclass of its errno (FileNotFoundError, ...)
//   file fault met by a reader/writer   -> OSError
//   unreadable file content             -> ValueError
//   std::invalid_argument               -> ValueError
//   std::out_of_range                   -> IndexError
//   std::bad_alloc                      -> MemoryError
//   other standard exceptions           -> RuntimeError with their text
//   anything else                       -> RuntimeError "Unknown C++ exception"
// Messages are decoded like every other text (UTF-8, surrogateescape), so a
// file name that is not UTF-8 cannot turn into a decoding error.

%{
#include <new>
#include <stdexcept>

#include "molecule/io.h"

namespace KaPy {
inline void SetError(PyObject* type, const char* text) {
    PyObject* message = FromText(text, std::strlen(text));
    if (!message) return;
    PyErr_SetObject(type, message);
    Py_DECREF(message);
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
    } catch (const std::invalid_argument& e) {
        KaPy::SetError(PyExc_ValueError, e.what());
        SWIG_fail;
    } catch (const std::out_of_range& e) {
        KaPy::SetError(PyExc_IndexError, e.what());
        SWIG_fail;
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
        SWIG_fail;
    } catch (const std::exception& e) {
        KaPy::SetError(PyExc_RuntimeError, e.what());
        SWIG_fail;
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Unknown C++ exception");
        SWIG_fail;
    }
}
