// Reading molecules from structure files and writing them back.
//
// Readers: PDB (format 3) and mmCIF (24, 26); MDL mol/SDF (2, 8); Tripos MOL2
// (4, 7). Any of them may be gzip-compressed. The PDB (3) and mmCIF (24, 26)
// writers write plain or, for a name ending in ".gz", compressed text.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "molecule/molecule.h"

namespace Kamol {

// The file cannot be opened, read or written (missing, unreadable, a directory).
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's content cannot be read as the format, or a molecule cannot be
// written in it. The message names the file and what was wrong.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The format a path is read or written in when no code is given: its suffix
// after a trailing ".gz" is removed ("1abc.pdb.gz" is PDB). 0 when unknown.
uint32_t FormatFromPath(const std::string& path);

// The first molecule of the file: the first model of a PDB or mmCIF file, the
// first record of an SDF or MOL2 file. `fmt` 0 takes the format from the
// suffix. Throws FileError or FormatError.
std::unique_ptr<KaGraphMol> ReadMolecule(const std::string& path, int fmt = 0);

// Every model or record of the file, in file order. A record that cannot be
// read is skipped with a warning through the message handler; when no record
// can be read at all, FormatError.
std::vector<std::unique_ptr<KaGraphMol>> ReadMolecules(const std::string& path, int fmt = 0);

// Writes the molecule's live atoms in storage order. Throws FileError when the
// file cannot be written, FormatError for a format without a writer or for
// what the format cannot hold (PDB: coordinates, atom serials and residue
// numbers past its columns, even in hybrid-36, and chain ids longer than two
// characters; the message points to mmCIF, which holds them all).
void WriteMolecule(const std::string& path, const KaMolBase& mol, int fmt = 0);

}  // namespace Kamol
