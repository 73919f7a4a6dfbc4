"""kaselect view: a 3D page or a PyMOL/ChimeraX script showing selections.

    kaselect view STRUCTURE SELECTION [SELECTION ...] -o OUT.html|OUT.pml|OUT.cxc [--format FORMAT]

Exit status: 0 when OUT was written, 2 for a selection that does not parse or
a bad option (an unknown suffix among them), 1 when the structure cannot be
read or OUT cannot be written. On failure no output file is left behind.
"""
from __future__ import annotations

import argparse
import os
import sys
from typing import TYPE_CHECKING

from .cli import EXIT_IO, EXIT_OK, EXIT_SELECTION, file_error, read_format, read_structure
from .views import SUFFIXES

if TYPE_CHECKING:
    from collections.abc import Sequence


def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="kaselect view",
        description="Show selections of a structure: an offline 3D page (.html), "
                    "or a script for PyMOL (.pml) or ChimeraX (.cxc) defining sel1, sel2, ...")
    parser.add_argument("structure", help="structure file (PDB, mmCIF, mol, SDF, MOL2; .gz ok)")
    parser.add_argument("selections", nargs="+", metavar="SELECTION", help="selection text; several allowed")
    parser.add_argument("-o", "--output", required=True, metavar="OUT",
                        help="output file; its suffix picks the kind: " + ", ".join(SUFFIXES))
    parser.add_argument("--format", type=read_format, metavar="FORMAT",
                        help="format of STRUCTURE when its name does not tell (as for kaselect)")
    return parser


def main(argv: Sequence[str]) -> int:
    args = build_parser().parse_args(list(argv))
    suffix = os.path.splitext(args.output)[1].lower()
    if suffix not in SUFFIXES:
        print(f"kaselect view: unknown output suffix {suffix or '(none)'!r} in {args.output}; "
              f"give {', '.join(SUFFIXES)}", file=sys.stderr)
        return EXIT_SELECTION
    import kaselect
    from lumora import kamol

    from .views import View, ViewError

    try:
        selections = [kaselect.KaSelection.Parse(text) for text in args.selections]
    except (ValueError, RuntimeError) as error:
        print(f"kaselect: {error}", file=sys.stderr)  # one line: the parser's message
        return EXIT_SELECTION
    mol = read_structure(args.structure, args.format, kamol)
    if mol is None:
        return EXIT_IO
    try:
        View(mol, selections, structure_path=args.structure, structure_format=args.format or 0).save(args.output)
    except ViewError as error:
        print(f"kaselect view: {error}", file=sys.stderr)
        return EXIT_IO
    except (OSError, ValueError, RuntimeError) as error:
        print(file_error("write", args.output, error), file=sys.stderr)
        return EXIT_IO
    return EXIT_OK
