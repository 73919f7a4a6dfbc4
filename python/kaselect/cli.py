"""The kaselect command-line tool.

    kaselect STRUCTURE SELECTION [--count | --indices | --residues | --json] [-o FILE]
    kaselect --canonical SELECTION
    kaselect batch -s SELECTION [-s SELECTION ...] INPUT [INPUT ...] -o OUT.jsonl [options]
      (many files at once: see kaselect.batch_command)

Exit status: 0 on success (also when nothing is selected), 2 when the selection
does not parse, 1 when the structure cannot be read or written.
"""
import argparse
import json
import sys

EXIT_OK, EXIT_IO, EXIT_SELECTION = 0, 1, 2

COLUMNS = ("index", "name", "resn", "resi", "icode", "chain", "element", "x", "y", "z")


def _build_parser():
    # argparse exits with status 2 on usage errors, like a selection that does not parse.
    parser = argparse.ArgumentParser(prog="kaselect", description="Select atoms of a molecular structure.")
    parser.add_argument("structure", nargs="?", help="structure file (PDB, mmCIF, mol, SDF, MOL2; .gz ok)")
    parser.add_argument("selection", nargs="?", help="selection text, e.g. \"byres (ligand around 5)\"")
    parser.add_argument("--canonical", metavar="SELECTION",
                        help="print the canonical text of SELECTION and exit")
    shape = parser.add_mutually_exclusive_group()
    shape.add_argument("--count", action="store_true", help="print only the number of selected atoms")
    shape.add_argument("--indices", action="store_true", help="print selected atom indices, one per line")
    shape.add_argument("--residues", action="store_true",
                       help="print residue selectors (NAME:NUMBER:ICODE:CHAIN) of the selected atoms, "
                            "by chain, residue number and insert code")
    shape.add_argument("--json", action="store_true", help="print one JSON object")
    parser.add_argument("-o", "--output", metavar="FILE", help="also write the selected atoms to FILE")
    return parser


def atom_row(mol, index, kamol):
    """The printed fields of one atom."""
    atom = mol.GetAtom(index)
    residue = kamol.GetAtomResidue(atom)
    x, y, z = mol.GetCoords(atom)
    return {
        "index": index,
        "name": atom.GetName(),
        "resn": residue.residueName,
        "resi": residue.residueNumber,
        "icode": residue.insertCode,
        "chain": residue.chainId,
        "element": kamol.GetElementSymbol(atom.GetAtomicNum()),
        "x": round(x, 3),
        "y": round(y, 3),
        "z": round(z, 3),
    }


_ROW = "{index:>7} {name:<4} {resn:<4} {resi:>5} {icode:<5} {chain:<5} {element:<2} {x:>9} {y:>9} {z:>9}\n"


def _print_table(rows, out):
    out.write(_ROW.format(index="index", name="name", resn="resn", resi="resi", icode="icode",
                          chain="chain", element="el", x="x", y="y", z="z"))
    for r in rows:
        out.write(_ROW.format(**{**r, "x": f"{r['x']:.3f}", "y": f"{r['y']:.3f}", "z": f"{r['z']:.3f}"}))


def write_subset(mol, indices, path, kamol):
    """Writes the atoms `indices` of `mol` (with residues, coordinates and the
    bonds among them) to `path`, format from the suffix."""
    subset = kamol.KaGraphMol()
    subset.SetTitle(mol.GetTitle())
    copies = {}
    for index in indices:
        atom = mol.GetAtom(index)
        copy = subset.NewAtom(atom.GetAtomicNum())
        copy.SetName(atom.GetName())
        subset.SetCoords(copy, mol.GetCoords(atom))
        if kamol.HasAtomResidue(atom):
            kamol.SetAtomResidue(copy, kamol.GetAtomResidue(atom))
        copies[index] = copy
    for index in indices:
        for bond in mol.GetAtom(index).GetBonds():
            other = bond.GetNeighbour(mol.GetAtom(index)).GetIndex()
            if index < other and other in copies:
                subset.NewBond(copies[index], copies[other], bond.GetOrder())
    kamol.WriteMolecule(path, subset)


def warn_of_repeated_residues(mol, selection, kaselect, err):
    """Warns when a grouping selection meets residue keys that stand for
    several copies of a residue: byres and bychain then take every copy."""
    grouping = (kaselect.PredicateType_BY_RES, kaselect.PredicateType_BY_CHAIN)
    if not any(selection.ContainsPredicate(kind) for kind in grouping):
        return
    repeated = kaselect.first_repeated_residue(mol)
    if repeated is not None:
        err.write(f"kaselect: warning: residue {repeated} (chain, number, insert code) occurs again "
                  "after other residues; byres and bychain take every residue and chain with the same "
                  "key, in every copy (add an index range to stay inside one)\n")


def main(argv=None):
    argv = sys.argv[1:] if argv is None else list(argv)
    if argv[:1] == ["batch"]:
        from .batch_command import main as batch_main
        return batch_main(argv[1:])
    args = _build_parser().parse_args(argv)
    import kaselect
    from lumora import kamol

    if args.canonical is not None:
        try:
            print(kaselect.KaSelection.Parse(args.canonical).ToCanonical())
        except (ValueError, RuntimeError) as error:
            print(f"kaselect: {error}", file=sys.stderr)
            return EXIT_SELECTION
        return EXIT_OK
    if args.structure is None or args.selection is None:
        _build_parser().print_usage(sys.stderr)
        print("kaselect: give a STRUCTURE and a SELECTION, or --canonical SELECTION", file=sys.stderr)
        return EXIT_SELECTION

    # Parse first: a bad selection is reported without reading the file.
    try:
        selection = kaselect.KaSelection.Parse(args.selection)
        canonical = selection.ToCanonical()
    except (ValueError, RuntimeError) as error:
        print(f"kaselect: {error}", file=sys.stderr)
        return EXIT_SELECTION
    try:
        mol = kamol.ReadMolecule(args.structure)
    except (OSError, ValueError, RuntimeError) as error:
        print(f"kaselect: cannot read {args.structure}: {error}", file=sys.stderr)
        return EXIT_IO

    warn_of_repeated_residues(mol, selection, kaselect, sys.stderr)
    indices = kaselect.EvaluateSelection(mol, args.selection)
    out = sys.stdout
    if args.count:
        out.write(f"{len(indices)}\n")
    elif args.indices:
        out.write("".join(f"{i}\n" for i in indices))
    elif args.residues:
        out.write("".join(f"{s}\n" for s in kaselect.selected_residues(mol, args.selection)))
    elif args.json:
        json.dump({"selection": canonical, "count": len(indices),
                   "residues": kaselect.selected_residues(mol, args.selection),
                   "atoms": [atom_row(mol, i, kamol) for i in indices]}, out)
        out.write("\n")
    else:
        _print_table((atom_row(mol, i, kamol) for i in indices), out)
        out.write(f"{len(indices)} of {mol.NumAtoms()} atoms selected\n")

    if args.output:
        try:
            write_subset(mol, indices, args.output, kamol)
        except (OSError, ValueError, RuntimeError) as error:
            print(f"kaselect: cannot write {args.output}: {error}", file=sys.stderr)
            return EXIT_IO
    return EXIT_OK


def console_main():
    try:
        sys.exit(main())
    except BrokenPipeError:
        sys.exit(EXIT_OK)
