// Native exceptions of the selection library as Python exceptions, for the
// SWIG module _kaselect and for _fastpath alike: SelectionError becomes
// ValueError, another standard exception what standard_errors.h says for the
// selection modules (RuntimeError), with its text, anything else RuntimeError
// "Unknown C++ exception". Call inside a catch block.
#pragma once

#include <Python.h>

#include <exception>

#include "selection/selection.h"
#include "standard_errors.h"

namespace KaPy {

inline void SetErrorFromCurrentException() {
    try {
        throw;
    } catch (const KaSel::SelectionError& e) {
        PyErr_SetString(PyExc_ValueError, e.what());
    } catch (const std::exception& e) {
        PyErr_SetString(StandardErrorType(e, ErrorFamily::Selection), e.what());
    } catch (...) {
        PyErr_SetString(PyExc_RuntimeError, "Unknown C++ exception");
    }
}

}  // namespace KaPy
