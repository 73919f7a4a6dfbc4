// count STRUCTURE SELECTION: prints the number of atoms the selection picks in
// the structure's first model, one line. Exit status 2 for a selection that
// does not parse, 1 for a structure that cannot be read.
#include <exception>
#include <iostream>
#include <memory>

#include <kaselect/molecule/io.h>
#include <kaselect/selection/select.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: count STRUCTURE SELECTION\n";
        return 2;
    }
    KaSel::KaSelection selection;
    try {
        selection = KaSel::KaSelection::Parse(argv[2]);
    } catch (const std::exception& error) {  // SelectionError, or a number out of range
        std::cerr << "count: " << error.what() << "\n";
        return 2;
    }
    std::unique_ptr<Kamol::KaGraphMol> molecule;
    try {
        molecule = Kamol::ReadMolecule(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "count: cannot read " << argv[1] << ": " << error.what() << "\n";
        return 1;
    }
    KaSel::KaSelect select(*molecule, selection);
    std::cout << select.SelectAll().size() << "\n";
    return 0;
}
