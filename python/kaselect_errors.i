// Native exceptions become Python exceptions (selection_errors.h).
%{
#include "selection_errors.h"
%}

%exception {
    try {
        $action
    } catch (...) {
        KaPy::SetErrorFromCurrentException();
        SWIG_fail;
    }
}
