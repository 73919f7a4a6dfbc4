"""Periodic boxes: the cell (a, b, c, alpha, beta, gamma) a molecule may
carry, in Å and degrees. With a cell, every distance test of a selection is
answered by the minimum-image distance in that box.

Files read from disk get no cell by themselves: a crystal's unit cell is not
a simulation box. read_cell reads the cell a file states, for a caller that
wants it applied."""
from __future__ import annotations

import gzip
import io
import re
from typing import TYPE_CHECKING

if TYPE_CHECKING:
    import os
    from collections.abc import Iterable, Sequence
    from typing import Any, SupportsFloat

    import numpy
    from numpy.typing import NDArray

    from lumora.kamol import KaMolBase

    Cell = tuple[float, float, float, float, float, float]


def _molecule(mol: object) -> None:
    from lumora import kamol
    if not isinstance(mol, kamol.KaMolBase):
        raise TypeError("expected a molecule (lumora.kamol.KaMolBase), got %s" % type(mol).__name__)


def set_cell(mol: KaMolBase, cell: Sequence[SupportsFloat] | NDArray[numpy.number[Any]] | None) -> None:
    """Gives `mol` the periodic box `cell`: six numbers (a, b, c, alpha, beta,
    gamma) as a tuple, list or NumPy array of any real dtype (MDAnalysis'
    `dimensions` as they are), or removes its box with None. TypeError for
    something that is no sequence of numbers, ValueError for another count or
    a cell that is no box (a length not positive and finite, an angle outside
    (0, 180), angles no box has); the molecule is then unchanged. Setting a
    cell makes the distance answers of earlier coordinates stale, as
    set_coords does."""
    _molecule(mol)
    values: Any = cell
    if hasattr(values, "tolist") and hasattr(values, "ndim"):
        if values.ndim != 1:
            # A (1, 6) or (6, 1) array holds the right numbers in the wrong
            # shape: say so rather than count its rows.
            raise ValueError("a cell has six numbers (a, b, c, alpha, beta, gamma), got an array of shape %s"
                             % (values.shape,))
        values = values.tolist()  # float32 values become the same numbers as Python floats
    mol.SetCell(values)


def get_cell(mol: KaMolBase) -> Cell | None:
    """The periodic box of `mol` as a tuple (a, b, c, alpha, beta, gamma) of
    floats, or None when it has none."""
    _molecule(mol)
    return mol.GetCell()


def box_or_none(dimensions: Any) -> Any:
    """`dimensions` as trajectories report them, or None where they mean "no
    box": None itself, all three lengths zero (what several MD formats write
    without a box), or the 1 Å cube with right angles that stands in for a
    missing cell in PDB and mmCIF entries of non-crystal structures."""
    if dimensions is None:
        return None
    values = [float(v) for v in dimensions]
    if len(values) == 6 and (values[:3] == [0.0, 0.0, 0.0] or values == [1.0, 1.0, 1.0, 90.0, 90.0, 90.0]):
        return None
    return dimensions


# The six values of a cell in mmCIF (_cell.length_a) and in small-molecule
# CIF (_cell_length_a), and how a number may be followed by its uncertainty.
_CIF_CELL = re.compile(r"_cell[._](length_a|length_b|length_c|angle_alpha|angle_beta|angle_gamma)\s+(\S+)")
_CIF_ORDER = ("length_a", "length_b", "length_c", "angle_alpha", "angle_beta", "angle_gamma")
_UNCERTAINTY = re.compile(r"\(\d+\)$")
# Format codes of the files that can state a cell: PDB, CIF, mmCIF.
_PDB, _CIF, _MMCIF = 3, 24, 26


def _format_of(path: str) -> int:
    from lumora import kamol
    name = path[:-3] if path.lower().endswith(".gz") else path
    _, dot, suffix = name.rpartition(".")
    return kamol.FormatFromSuffix(suffix) if dot and suffix.isascii() and suffix.isalnum() else 0


def _six(texts: Sequence[str]) -> Cell:
    """Six numbers from their texts; ValueError for other texts or another count."""
    a, b, c, alpha, beta, gamma = (float(_UNCERTAINTY.sub("", t)) for t in texts)
    return a, b, c, alpha, beta, gamma


def _pdb_cell(lines: Iterable[str], path: str) -> Cell | None:
    for line in lines:
        if line.startswith("CRYST1"):
            try:
                return _six([line[6:15], line[15:24], line[24:33], line[33:40], line[40:47], line[47:54]])
            except ValueError:
                pass
            try:  # not in its columns: six numbers after the record name will do
                return _six(line[6:].split()[:6])
            except ValueError:
                raise ValueError("%s: the CRYST1 record holds no cell: %s" % (path, line.rstrip())) from None
        if line.startswith(("ATOM", "HETATM")):
            return None  # the cell comes before the coordinates
    return None


def _cif_cell(lines: Iterable[str], path: str) -> Cell | None:
    found: dict[str, str] = {}
    for line in lines:
        if not line.startswith("_cell"):
            continue
        match = _CIF_CELL.match(line)
        if match and match[1] not in found:
            found[match[1]] = match[2]
            if len(found) == 6:
                break
    if len(found) < 6 or any(found[k] in ("?", ".") for k in _CIF_ORDER):
        return None
    try:
        return _six([found[k] for k in _CIF_ORDER])
    except ValueError:
        raise ValueError("%s: the _cell values hold no cell: %s"
                         % (path, " ".join(found[k] for k in _CIF_ORDER))) from None


def read_cell(path: str | os.PathLike[str], fmt: int = 0) -> Cell | None:
    """The cell a structure file states, as (a, b, c, alpha, beta, gamma):
    the CRYST1 record of a PDB file (before its first atom), or the six
    _cell values of an mmCIF or CIF file; gzip-compressed files too. The
    format comes from the suffix (after a ".gz"), or from `fmt` (a format
    code, as ReadMolecule takes).
    None when the file states no cell, states it as unknown ("?"), or states
    the placeholder of non-crystal entries (1 1 1 90 90 90) or zero lengths;
    also None for formats that hold no cell (mol, SDF, MOL2). OSError when
    the file cannot be read, ValueError when its cell record holds no
    numbers. The cell is not checked here: set_cell does that."""
    import os
    name = os.fspath(path)
    if not isinstance(name, str):
        raise TypeError("path must be str or os.PathLike[str], not %s" % type(name).__name__)
    code = fmt or _format_of(name)
    if code not in (_PDB, _CIF, _MMCIF):
        return None
    with open(name, "rb") as raw:
        # Compressed files are known by their first bytes, as the readers know them.
        compressed = raw.read(2) == b"\x1f\x8b"
        raw.seek(0)
        with io.TextIOWrapper(gzip.GzipFile(fileobj=raw) if compressed else raw, encoding="latin-1") as lines:
            cell = _pdb_cell(lines, name) if code == _PDB else _cif_cell(lines, name)
    return None if cell is None or box_or_none(cell) is None else cell
