// Molecule file formats: codes and names, reading and writing files.
//
// Paths may be str, bytes or os.PathLike. A file that cannot be opened raises
// the OSError subclass of its errno (FileNotFoundError for a missing file);
// content a reader cannot make sense of raises ValueError naming the file.

%{
#include "molecule/format.h"
#include "molecule/io.h"

namespace KaPy {

using MoleculeList = std::vector<std::unique_ptr<Kamol::KaGraphMol>>;

inline int MoleculeFormat(uint32_t fmt) {
    if (fmt > Kamol::kLastMolFormat)
        throw std::invalid_argument("unknown molecule format code " + std::to_string(fmt));
    return static_cast<int>(fmt);
}

inline Kamol::KaGraphMol* ReadMolecule(const std::string& path, uint32_t fmt) {
    int code = MoleculeFormat(fmt);
    CheckReadable(path);
    return Kamol::ReadMolecule(path, code).release();
}

inline MoleculeList ReadMolecules(const std::string& path, uint32_t fmt) {
    int code = MoleculeFormat(fmt);
    CheckReadable(path);
    return Kamol::ReadMolecules(path, code);
}

inline void WriteMolecule(const std::string& path, const Kamol::KaMolBase& mol, uint32_t fmt) {
    Kamol::WriteMolecule(path, mol, MoleculeFormat(fmt));
}

}  // namespace KaPy
%}

namespace KaPy {
class MoleculeList;
}
%feature("novaluewrapper") KaPy::MoleculeList;

// A list of molecule proxies, each owning its molecule.
%typemap(out) KaPy::MoleculeList {
    $result = PyList_New(static_cast<Py_ssize_t>($1.size()));
    if (!$result) SWIG_fail;
    for (size_t i = 0; i < $1.size(); ++i) {
        PyObject* item = SWIG_NewPointerObj(SWIG_as_voidptr($1[i].get()), $descriptor(Kamol::KaGraphMol*),
                                            SWIG_POINTER_OWN);
        if (!item) {
            Py_CLEAR($result);
            SWIG_fail;
        }
        $1[i].release();
        PyList_SetItem($result, static_cast<Py_ssize_t>(i), item);
    }
}

namespace Kamol {

%feature("docstring") FormatName
"The display name of a molecule format code; for a code above the last
one, the toolkit's warning and an empty text.";
std::string FormatName(uint32_t code);

%feature("docstring") FormatFromSuffix
"The format code of a file name suffix given without its dot ('pdb', 'SDF',
'sdf.gz'); 0 when unknown, and for a suffix given with its dot ('.pdb').";
uint32_t FormatFromSuffix(const char* suffix);

}  // namespace Kamol

%feature("compactdefaultargs") KaPy::ReadMolecule;
%feature("compactdefaultargs") KaPy::ReadMolecules;
%feature("compactdefaultargs") KaPy::WriteMolecule;
%newobject KaPy::ReadMolecule;

namespace KaPy {

%feature("docstring") ReadMolecule
"The first molecule of the file (the first model of a PDB or mmCIF file).
fmt 0 takes the format from the suffix ('.gz' understood). OSError when the
file cannot be opened, ValueError for content that cannot be read.";
Kamol::KaGraphMol* ReadMolecule(const std::string& path, uint32_t fmt = 0);

%feature("docstring") ReadMolecules
"Every model or record of the file, as a list of molecules in file order.";
MoleculeList ReadMolecules(const std::string& path, uint32_t fmt = 0);

%feature("docstring") WriteMolecule
"Writes the molecule's live atoms (PDB or mmCIF, plain or gzip-compressed
for a name ending in '.gz'). OSError when the file cannot be written,
ValueError for a format without a writer or for what PDB cannot hold.";
void WriteMolecule(const std::string& path, const Kamol::KaMolBase& mol, uint32_t fmt = 0);

}  // namespace KaPy
