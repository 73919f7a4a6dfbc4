// Which Python exception a native standard exception becomes. The extension
// modules fall in two families that answer differently on purpose, and this
// is the one table of both:
//
//   native exception        selection modules        toolkit modules
//                           (_kaselect, _fastpath)   (lumora.kamol, lumora.kagrid)
//   std::invalid_argument   RuntimeError             ValueError
//   std::out_of_range       RuntimeError             IndexError
//   std::bad_alloc          RuntimeError             MemoryError
//   other std::exception    RuntimeError             RuntimeError
//
// Selection calls have three outcomes only: ValueError for a selection that
// does not parse (SelectionError, caught before this table is asked),
// RuntimeError with the native text for every other standard exception, and
// RuntimeError "Unknown C++ exception" for anything else. A number too large
// for the parser ("stoi argument out of range") is such a RuntimeError: it is
// a fault of the selection's text, not an index. (The container wrappers of
// _kaselect put IndexError and ValueError clauses of their own in front, for
// positions and iterators of the containers themselves.)
//
// The toolkit modules give each kind its Python counterpart, as Python's own
// containers do: a grid point outside the grid is an IndexError, a refused
// argument a ValueError, a failed allocation a MemoryError.
#pragma once

#include <Python.h>

#include <exception>
#include <new>
#include <stdexcept>

namespace KaPy {

enum class ErrorFamily { Selection, Toolkit };

// The Python exception type `e` becomes in `family`.
inline PyObject* StandardErrorType(const std::exception& e, ErrorFamily family) {
    if (family == ErrorFamily::Toolkit) {
        if (dynamic_cast<const std::invalid_argument*>(&e)) return PyExc_ValueError;
        if (dynamic_cast<const std::out_of_range*>(&e)) return PyExc_IndexError;
        if (dynamic_cast<const std::bad_alloc*>(&e)) return PyExc_MemoryError;
    }
    return PyExc_RuntimeError;
}

}  // namespace KaPy
