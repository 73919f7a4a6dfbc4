// lumora.kamol: the toolkit's molecules from Python.
//
// Built in SWIG's default proxy mode so that it shares the SWIG type registry
// with _kaselect: a KaGraphMol made here is accepted wherever _kaselect takes
// a Kamol::KaMolBase, and an atom wherever it takes a Kamol::KaAtomBase.
%module(package="lumora") kamol

%feature("kwargs");
%feature("autodoc", "0");

%include "kamol_convert.i"
%include "kamol_errors.i"
%include "kamol_molecule.i"
%include "kamol_residue.i"
%include "kamol_handler.i"
%include "kamol_io.i"
