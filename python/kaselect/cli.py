"""The kaselect command-line tool.

    kaselect STRUCTURE SELECTION [--count | --indices | --residues | --json] [-o FILE] [--format FORMAT]
             [--periodic]
    kaselect --canonical SELECTION
    kaselect batch -s SELECTION [-s SELECTION ...] INPUT [INPUT ...] -o OUT.jsonl [options]
      (many files at once: see kaselect.batch_command)
    kaselect view STRUCTURE SELECTION [SELECTION ...] -o OUT.html|OUT.pml|OUT.cxc
      (a 3D page or a viewer script: see kaselect.view_command)

Exit status: 0 on success (also when nothing is selected), 2 when the selection
does not parse or an option is wrong, 1 when the structure cannot be read or
written, or --periodic finds no cell in it.
"""
from __future__ import annotations

import argparse
import json
import sys
from typing import TYPE_CHECKING

from .file_errors import fault_of

if TYPE_CHECKING:
    from collections.abc import Sequence
    from types import ModuleType
    from typing import NoReturn, TextIO

    from lumora.kamol import KaMolBase

    from .kaselect import KaSelection

EXIT_OK, EXIT_IO, EXIT_SELECTION = 0, 1, 2

COLUMNS = ("index", "name", "resn", "resi", "icode", "chain", "element", "x", "y", "z")

# Format codes the readers take (MDL mol, PDB, MOL2, MOL2 with H, SDF, CIF,
# macromolecular CIF) and the names --format offers for them.
READ_FORMATS = (2, 3, 4, 7, 8, 24, 26)
_FORMAT_NAMES = "pdb, mmcif, cif, sdf, mol, mol2"


def read_format(text: str) -> int:
    """The format code of a --format value: the code itself, "mmcif", or a
    file name suffix (pdb, ent, cif, sdf, sd, mol, mdl, mol2, ...) in any case,
    with or without its dot. Formats without a reader are refused."""
    if text.isascii() and text.isdigit():
        code = int(text)
    else:
        name = text[1:] if text.startswith(".") else text
        if name.lower() == "mmcif":
            code = 26       # no suffix gives macromolecular CIF: it is chosen by code
        elif name.isascii() and name.isalnum():
            from lumora import kamol
            code = kamol.FormatFromSuffix(name)
        else:
            code = 0
    if code not in READ_FORMATS:
        raise argparse.ArgumentTypeError(
            f"{text!r} is not a format kaselect reads; give {_FORMAT_NAMES} "
            f"or a format code ({', '.join(map(str, READ_FORMATS))})")
    return code


def _build_parser():
    # argparse exits with status 2 on usage errors, like a selection that does not parse.
    from ._version import __version__
    parser = argparse.ArgumentParser(
        prog="kaselect", description="Select atoms of a molecular structure.",
        epilog="Many files at once: kaselect batch -s SELECTION INPUT ... -o OUT.jsonl "
               "(see kaselect batch --help). A 3D page or a PyMOL/ChimeraX script: "
               "kaselect view STRUCTURE SELECTION ... -o OUT.html|.pml|.cxc (see kaselect view --help).")
    parser.add_argument("--version", action="version", version=f"kaselect {__version__}")
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
    parser.add_argument("--segments", action="store_true",
                        help="print the segment ids of STRUCTURE with their chain letters, one per line, "
                             "instead of selecting (select a segment by its chain: chain B)")
    parser.add_argument("--format", type=read_format, metavar="FORMAT",
                        help=f"format of STRUCTURE when its name does not tell: {_FORMAT_NAMES}, "
                             "or a format code (see the README)")
    parser.add_argument("--periodic", action="store_true",
                        help="distances in the periodic box the file states (PDB CRYST1, mmCIF _cell): "
                             "minimum-image distances; a file without a cell is an error")
    return parser


_ROW = "{index:>7} {name:<4} {resn:<4} {resi:>5} {icode:<5} {chain:<5} {element:<2} {x:>9} {y:>9} {z:>9}\n"
# Rows are formatted in native code, this many per write, so that a large
# selection is streamed rather than built whole.
_CHUNK = 65536
_INDEX_ROWS, _TABLE_ROWS, _JSON_ROWS = 0, 1, 2


def _write_rows(mol, selected, count, kind, out, separator=""):
    """Writes the selected atoms' lines (from `selected`, a _fastpath.indices
    owner) in chunks; `separator` goes between chunks."""
    from . import _fastpath
    for start in range(0, count, _CHUNK):
        if start:
            out.write(separator)
        out.write(_fastpath.rows(mol, selected, start, min(start + _CHUNK, count), kind))


def _print_table(mol, selected, count, out):
    out.write(_ROW.format(index="index", name="name", resn="resn", resi="resi", icode="icode",
                          chain="chain", element="el", x="x", y="y", z="z"))
    _write_rows(mol, selected, count, _TABLE_ROWS, out)


def _print_json(mol, selected, count, head, out):
    """One JSON object: the keys of `head`, then "atoms" streamed row by row."""
    text = json.dumps({**head, "atoms": []})
    out.write(text[:-2])  # up to the atoms' "["
    _write_rows(mol, selected, count, _JSON_ROWS, out, separator=", ")
    out.write("]}\n")


def file_error(action: str, path: str, error: Exception) -> str:
    """The message for a file that cannot be read or written, naming it once."""
    return f"kaselect: cannot {action} {path}: {fault_of(path, error)}"


def read_structure(path: str, fmt: int | None, kamol: ModuleType) -> KaMolBase | None:
    """The structure at `path`, or None after printing the one-line error."""
    try:
        return kamol.ReadMolecule(path, fmt or 0)
    except (OSError, ValueError, RuntimeError) as error:
        print(file_error("read", path, error), file=sys.stderr)
        return None


def write_subset(mol: KaMolBase, selected: object, path: str, kamol: ModuleType) -> None:
    """Writes the selected atoms of `mol` (a _fastpath.indices owner; with
    residues, coordinates and the bonds among them) to `path`, format from the
    suffix."""
    from . import _fastpath
    subset = kamol.KaGraphMol()
    subset.SetTitle(mol.GetTitle())
    _fastpath.copy_atoms(mol, subset, selected)
    kamol.WriteMolecule(path, subset)


def apply_file_cell(mol: KaMolBase, path: str, fmt: int, kaselect: ModuleType) -> str | None:
    """Gives `mol` the cell its file states (read_cell); the one-line error
    when the file states none or one that is no box, else None."""
    try:
        cell = kaselect.read_cell(path, fmt)
        if cell is None:
            return f"kaselect: --periodic: {path} states no periodic cell (no CRYST1 record or _cell values)"
        kaselect.set_cell(mol, cell)
    except (OSError, ValueError) as error:
        return f"kaselect: --periodic: {path}: {fault_of(path, error)}"
    return None


def warn_of_repeated_residues(mol: KaMolBase, selection: KaSelection, kaselect: ModuleType,
                              err: TextIO) -> None:
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


def report_selection_error(text: str, error: Exception, out: TextIO) -> None:
    """The parser's message, then, for text the grammar rejects, the text with
    a caret under the first character it could not take and, for a name that
    needs quotes, the quoted spelling."""
    from .parse_failure import parse_failure
    print(f"kaselect: {error}", file=out)
    found = parse_failure(text) if isinstance(error, ValueError) else None
    if found is None:
        return
    column, hint = found
    shown = "".join(" " if c in "\t\n\v\f\r" else c for c in text)
    print(f"  {shown}\n  {' ' * column}^ at column {column + 1}", file=out)
    if hint:
        print(f"kaselect: names with such characters are written in double quotes: {hint}", file=out)


def main(argv: Sequence[str] | None = None) -> int:
    argv = sys.argv[1:] if argv is None else list(argv)
    if argv[:1] == ["batch"]:
        from .batch_command import main as batch_main
        return batch_main(argv[1:])
    if argv[:1] == ["view"]:
        from .view_command import main as view_main
        return view_main(argv[1:])
    args = _build_parser().parse_args(argv)
    import kaselect
    from lumora import kamol

    if args.canonical is not None:
        try:
            print(kaselect.KaSelection.Parse(args.canonical).ToCanonical())
        except (ValueError, RuntimeError) as error:
            report_selection_error(args.canonical, error, sys.stderr)
            return EXIT_SELECTION
        return EXIT_OK
    if args.segments and (args.structure is None or args.selection is not None):
        _build_parser().print_usage(sys.stderr)
        print("kaselect: --segments takes a STRUCTURE and no SELECTION", file=sys.stderr)
        return EXIT_SELECTION
    if args.segments:
        try:
            mol = kamol.ReadMolecule(args.structure, args.format or 0)
        except (OSError, ValueError, RuntimeError) as error:
            print(file_error("read", args.structure, error), file=sys.stderr)
            return EXIT_IO
        sys.stdout.write("".join(f"{name} {chains}\n" for name, chains in kaselect.segments(mol).items()))
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
        report_selection_error(args.selection, error, sys.stderr)
        return EXIT_SELECTION
    mol = read_structure(args.structure, args.format, kamol)
    if mol is None:
        return EXIT_IO

    if args.periodic:
        error_line = apply_file_cell(mol, args.structure, args.format or 0, kaselect)
        if error_line:
            print(error_line, file=sys.stderr)
            return EXIT_IO

    warn_of_repeated_residues(mol, selection, kaselect, sys.stderr)
    # The selected indices stay in native memory: no Python object per atom.
    # The selection parsed above is evaluated as it is, not parsed again.
    selected, _, count = kaselect._fastpath.parsed_indices(mol, selection)
    out = sys.stdout
    if args.count:
        out.write(f"{count}\n")
    elif args.indices:
        _write_rows(mol, selected, count, _INDEX_ROWS, out)
    elif args.residues:
        out.write("".join(f"{s}\n" for s in kaselect._fastpath.residues_of(mol, selected)))
    elif args.json:
        _print_json(mol, selected, count, {"selection": canonical, "count": count,
                                           "residues": kaselect._fastpath.residues_of(mol, selected)}, out)
    else:
        _print_table(mol, selected, count, out)
        out.write(f"{count} of {mol.NumAtoms()} atoms selected\n")

    if args.output:
        try:
            write_subset(mol, selected, args.output, kamol)
        except (OSError, ValueError, RuntimeError) as error:
            print(file_error("write", args.output, error), file=sys.stderr)
            return EXIT_IO
    return EXIT_OK


def console_main() -> NoReturn:
    try:
        sys.exit(main())
    except BrokenPipeError:
        sys.exit(EXIT_OK)
