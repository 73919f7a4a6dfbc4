"""Molecules from NumPy arrays or sequences: one native call builds the whole
molecule through the toolkit's own operations, without a Python call per atom.
Columns are handed over as bytes in native order (one copy each)."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath
from .arrays import coordinate_array

if TYPE_CHECKING:
    from numpy.typing import ArrayLike

    from lumora.kamol import KaGraphMol

_INT32 = (-2**31, 2**31 - 1)
_UINT32 = (0, 2**32 - 1)


def _column(values, what, rows):
    """`values` as a one-dimensional array of `rows` entries."""
    import numpy
    if isinstance(values, (str, bytes)):
        raise TypeError("%s must be a sequence with one entry per atom, got %s" % (what, type(values).__name__))
    array = numpy.asarray(values)
    if array.ndim != 1:
        raise ValueError("%s must be one-dimensional, got shape %s" % (what, array.shape))
    if len(array) != rows:
        raise ValueError("%s has %d entries, but coords has %d rows" % (what, len(array), rows))
    return array


def _texts(values, what, rows):
    """The (bytes, kind, width) of a text column: str as UCS-4, bytes as bytes."""
    import numpy
    array = _column(values, what, rows)
    if rows == 0:
        array = numpy.empty(0, dtype="U1")  # an empty sequence has no type of its own
    if array.dtype.kind == "O":
        kinds = set(map(type, array))
        if not kinds <= {str}:
            other = next(k for k in kinds if k is not str)
            raise TypeError("%s must hold str, got %s" % (what, other.__name__))
        array = array.astype(str)
    if array.dtype.kind not in "US":
        raise TypeError("%s must hold str, got %s" % (what, array.dtype))
    width = array.dtype.itemsize // (4 if array.dtype.kind == "U" else 1)
    return array.astype(array.dtype.newbyteorder("=")).tobytes(), array.dtype.kind, width


def _numbers(values, what, rows, dtype, limits=None, kinds="iu"):
    import numpy
    array = _column(values, what, rows)
    if rows == 0:
        array = numpy.empty(0, dtype=dtype)
    if array.dtype.kind not in kinds:
        raise TypeError("%s must hold numbers, got %s" % (what, array.dtype))
    if limits and rows and array.dtype.kind in "iu":
        low, high = limits
        if int(array.min()) < low or int(array.max()) > high:
            raise ValueError("%s must lie within %d..%d" % (what, low, high))
    if dtype == "float32" and rows:
        big = numpy.isfinite(array) & (numpy.abs(array.astype(numpy.float64)) > numpy.finfo(numpy.float32).max)
        if big.any():
            raise ValueError("%s holds a value out of range for a 32-bit float" % what)
    kind = {"float32": "f4", "int32": "i4", "uint32": "u4", "uint8": "b1"}[dtype]
    return array.astype(dtype).tobytes(), kind, 1


def _bonds(bonds, orders, rows):
    import numpy
    if bonds is None:
        if orders is not None:
            raise ValueError("bond_orders given without bonds")
        return None
    if isinstance(bonds, (str, bytes)):
        raise TypeError("bonds must be an array of shape (M, 2), got %s" % type(bonds).__name__)
    ends = numpy.asarray(bonds)
    if ends.size == 0:
        ends = ends.reshape(0, 2).astype(numpy.int64)
    if ends.dtype.kind not in "iu":
        raise TypeError("bonds must hold integer row numbers, got %s" % ends.dtype)
    if ends.ndim != 2 or ends.shape[1] != 2:
        raise ValueError("bonds must have shape (M, 2), got %s" % (ends.shape,))
    order_bytes = None
    if orders is not None:
        order_bytes = _numbers(orders, "bond_orders", len(ends), "int32", (0, 2**31 - 1))[0]
    return ends.astype(numpy.int64).tobytes(), len(ends), order_bytes


def from_arrays(coords: ArrayLike, *, names: ArrayLike | None, resnames: ArrayLike | None,
                resids: ArrayLike | None, chains: ArrayLike | None, elements: ArrayLike | None = None,
                icodes: ArrayLike | None = None, altlocs: ArrayLike | None = None,
                serials: ArrayLike | None = None, bfactors: ArrayLike | None = None,
                occupancies: ArrayLike | None = None, hetatm: ArrayLike | None = None,
                secondary: ArrayLike | None = None, bonds: ArrayLike | None = None,
                bond_orders: ArrayLike | None = None, segments: ArrayLike | None = None,
                perceive_bonds: bool = False) -> KaGraphMol:
    """A new KaGraphMol with one atom per row of `coords` ((N, 3), float32 or
    float64), row k becoming atom index k.

    Each column is a sequence or array of N entries, or None to leave that
    field at the default residue record's value: `names`, `resnames`,
    `chains`, `icodes`, `altlocs` (str; an empty chain is stored as a blank,
    as the readers do; insert codes and alternate locations one character,
    empty read as blank), `resids`, `serials` (int32), `bfactors`,
    `occupancies` (float), `hetatm` (bool), `secondary` (the flag word: 8
    helix, 16 turn, 32 sheet), `elements` (atomic numbers or
    element symbols; when None, from the names: a two-letter element name
    that is also its residue's name is that element, as for ions, otherwise
    the first letter after leading digits; ions named as force fields name
    them, such as NA in NA+ or SOD in SOD, are that ion), `segments` (str,
    segment ids: segments that share a chain's first character get chains
    of their own, see `kaselect.segments`). Atoms get a residue record when
    any residue field is given. `bonds` is an (M, 2) array of row numbers,
    `bond_orders` their orders (default 1); with `perceive_bonds`, single
    bonds are then perceived from distances as the PDB reader does.

    A column of another length raises ValueError naming it; wrong types
    raise TypeError."""
    import numpy
    from lumora import kamol
    xyz = coordinate_array(coords)
    rows = len(xyz)
    fields = {"coords": (xyz.tobytes(), "f8" if xyz.dtype == numpy.float64 else "f4", 3)}
    for what, values in (("names", names), ("resnames", resnames), ("chains", chains), ("icodes", icodes),
                         ("altlocs", altlocs), ("segments", segments)):
        if values is not None:
            fields[what] = _texts(values, what, rows)
    for what, values, dtype, limits, kinds in (
            ("resids", resids, "int32", _INT32, "iu"),
            ("serials", serials, "int32", _INT32, "iu"),
            ("bfactors", bfactors, "float32", None, "iuf"),
            ("occupancies", occupancies, "float32", None, "iuf"),
            ("hetatm", hetatm, "uint8", (0, 1), "biu"),
            ("secondary", secondary, "uint32", _UINT32, "iu")):
        if values is not None:
            fields[what] = _numbers(values, what, rows, dtype, limits, kinds)
    if elements is not None:
        probe = _column(elements, "elements", rows)
        if probe.dtype.kind in "iu":
            fields["elements"] = _numbers(probe, "elements", rows, "uint32", _UINT32)
        else:
            fields["elements"] = _texts(probe, "elements", rows)
    mol = kamol.KaGraphMol()
    _fastpath.build(mol, rows, fields, _bonds(bonds, bond_orders, rows), bool(perceive_bonds))
    return mol
