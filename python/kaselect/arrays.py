"""Selection results, coordinates and per-atom columns as NumPy arrays, made
without a Python object per atom."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath

if TYPE_CHECKING:
    from collections.abc import Collection
    from typing import Any

    import numpy
    from numpy.typing import ArrayLike, NDArray

    from lumora.kamol import KaMolBase


class _IndexBuffer:
    """The engine's index buffer as NumPy sees it: the array made from it keeps
    this object, and so the buffer's owner, alive."""

    __slots__ = ("__array_interface__", "_owner")

    def __init__(self, owner, address, count, typestr):
        self._owner = owner
        self.__array_interface__ = {"shape": (count,), "typestr": typestr,
                                    "data": (address, False), "version": 3}


def _index_array(buffer: tuple[object, int, int]) -> NDArray[numpy.uint32]:
    """A numpy.uint32 array over an (owner, address, count) buffer of the engine."""
    import numpy
    owner, address, count = buffer
    if count == 0:
        return numpy.empty(0, dtype=numpy.uint32)
    return numpy.asarray(_IndexBuffer(owner, address, count, numpy.dtype(numpy.uint32).str))


def select_indices(mol: KaMolBase, text: str) -> NDArray[numpy.uint32]:
    """Indices of the atoms of `mol` selected by `text`, as a numpy.uint32 array
    in storage order (the same indices as EvaluateSelection)."""
    return _index_array(_fastpath.indices(mol, text))


def select_mask(mol: KaMolBase, text: str) -> NDArray[numpy.bool_]:
    """Boolean mask indexed by atom index: True where `text` selects the atom.
    Its length is one past the largest atom index; deleted atoms read False."""
    import numpy
    return numpy.frombuffer(_fastpath.mask(mol, text), dtype=numpy.bool_)


def coordinate_array(coords: ArrayLike, what: str = "coords",
                     rows: int | None = None) -> NDArray[numpy.floating[Any]]:
    """`coords` as a float32 or float64 array of shape (N, 3). TypeError for
    None or another dtype, ValueError for another shape, or another N than
    `rows`."""
    import numpy
    if coords is None:
        raise TypeError("%s must be an array of shape (N, 3), got None" % what)
    array = numpy.asarray(coords)
    if array.dtype not in (numpy.float32, numpy.float64):
        raise TypeError("%s must hold float32 or float64 values, got %s" % (what, array.dtype))
    if array.ndim != 2 or array.shape[1] != 3:
        raise ValueError("%s must have shape (N, 3), got %s" % (what, array.shape))
    if rows is not None and array.shape[0] != rows:
        raise ValueError("%s must have one row per atom (%d), got %d rows" % (what, rows, array.shape[0]))
    return array


def get_coords(mol: KaMolBase) -> NDArray[numpy.float32]:
    """Coordinates of the live atoms of `mol` as a float32 array of shape (N, 3),
    one row per atom in storage order (row k is atom index k when no atom was
    deleted; else the "index" column of `columns` maps rows to indices)."""
    import numpy
    return numpy.frombuffer(_fastpath.coords(mol), dtype=numpy.float32).reshape(-1, 3)


def set_coords(mol: KaMolBase, coords: ArrayLike) -> None:
    """Sets the coordinates of every live atom of `mol` from an (N, 3) array of
    float32 or float64 (any memory order), rows in storage order, in one call.
    Wrong shapes, dtypes or row counts raise TypeError or ValueError, and so do
    finite values beyond single precision; the molecule is then unchanged.
    Only coordinate-dependent caches (the distance grid) become stale."""
    import numpy
    array = coordinate_array(coords)
    # One copy in C order (tobytes), handed over as bytes.
    _fastpath.set_coords(mol, array.tobytes(), len(array), array.dtype == numpy.float64)


_COLUMN_TYPES = {"index": "uint32", "resid": "int32", "element": "uint32", "serial": "int32",
                 "bfactor": "float32", "occupancy": "float32", "hetatm": "bool",
                 "secondary": "uint32"}
COLUMN_NAMES = ("index", "name", "resname", "resid", "icode", "chain", "altloc", "element",
                "serial", "bfactor", "occupancy", "hetatm", "secondary")


def columns(mol: KaMolBase, names: Collection[str] | None = None) -> dict[str, NDArray[Any]]:
    """Per-atom columns of the live atoms of `mol`, rows in storage order, as a
    dict of NumPy arrays: "index" (atom index), "name", "resname", "resid",
    "icode", "chain", "altloc" (str), "element" (atomic number), "serial",
    "bfactor", "occupancy", "hetatm", "secondary" (the secondary-structure
    flag word: 8 helix, 16 turn, 32 sheet); all of them, or those in `names`.
    Atoms without residue data read the default record's values."""
    import numpy
    wanted = COLUMN_NAMES if names is None else names
    if isinstance(wanted, str):
        raise TypeError("names must be a sequence of column names, got str")
    unknown = [n for n in wanted if n not in COLUMN_NAMES]
    if unknown:
        raise ValueError("unknown column %r; the columns are %s" % (unknown[0], ", ".join(COLUMN_NAMES)))
    raw = _fastpath.columns(mol)
    out = {}
    for name in wanted:
        value = raw[name]
        if name in _COLUMN_TYPES:
            out[name] = numpy.frombuffer(value, dtype=_COLUMN_TYPES[name])
        else:
            texts, ids = value
            out[name] = numpy.array(texts, dtype=str)[numpy.frombuffer(ids, dtype=numpy.uint32)]
    return out
