// The _kaselect extension module: selections, evaluation and residue selectors.
%module(package="kaselect") kaselect

%{
#include "selection/selection.h"
#include "selection/version.h"
%}

%include "kaselect_containers.i"  // first: it must precede std_except.i (see there)
%include <std_except.i>
%include <std_string.i>
%include <std_vector.i>
%include <std_set.i>

%include "kaselect_errors.i"

%include "selection/version.h"

%include "kaselect_selection.i"
%include "kaselect_molecule.i"
%include "kaselect_select.i"
%include "kaselect_selector.i"
