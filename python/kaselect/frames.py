"""Selections over the frames of a trajectory: the molecule takes each frame's
coordinates in turn, and one selection, parsed once, answers for each."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath
from .arrays import _index_array, columns, get_coords, set_coords
from .cells import box_or_none, set_cell

if TYPE_CHECKING:
    import os
    from collections.abc import Iterable, Iterator
    from typing import Any

    import numpy
    from numpy.typing import ArrayLike, NDArray

    from lumora.kamol import KaGraphMol, KaMolBase


def select_frames(mol: KaMolBase, selection: str, frames: Iterable[Any],
                  cells: ArrayLike | None = None) -> Iterator[NDArray[numpy.uint32]]:
    """Yields, for each frame of `frames`, the indices of the atoms of `mol`
    that `selection` selects in that frame, as a numpy.uint32 array in
    storage order. A frame is an (N, 3) coordinate array (`frames` may be an
    (F, N, 3) array), or an MDAnalysis Timestep, so that a trajectory (or a
    slice of one) is taken directly: its positions, and its `dimensions` as
    the periodic cell of that frame (no cell when it has none).

    `cells` gives the periodic cells of plain arrays: one cell (a, b, c,
    alpha, beta, gamma) for every frame, or an (F, 6) array, one per frame;
    it takes the place of a Timestep's own. Without `cells` and with plain
    arrays the molecule's own cell, if any, applies to every frame.

    The selection is parsed here (a bad text raises ValueError at once), and
    so are `cells`: a wrong shape, a bad cell, or another count than the
    frames (when `frames` has a length) raises before anything changes. Parts
    that do not depend on coordinates (properties, residue classes, groups of
    them) are evaluated once and reused, distance tests and what stands above
    them again for each frame. Each frame's coordinates, and its cell when
    the frame has one, are set on `mol` as by set_coords and set_cell, so
    after the loop it holds the last frame's coordinates and cell (its own
    cell when no frame gave one); a frame of the wrong shape or dtype, or a
    Timestep whose dimensions are no box, raises before that frame changes
    anything."""
    selector = _fastpath.frame_selector(mol, selection)
    if isinstance(frames, (str, bytes)) or not hasattr(frames, "__iter__"):
        raise TypeError("frames must be an iterable of (N, 3) coordinate arrays, got %s"
                        % type(frames).__name__)
    per_frame = _frame_cells(cells, frames)

    def answers() -> Iterator[NDArray[numpy.uint32]]:
        number = -1
        for number, frame in enumerate(frames):
            coords, cell = frame, _KEEP  # type: Any, Any
            if _is_timestep(frame):
                coords, cell = frame.positions, box_or_none(frame.dimensions)
                if cell is not None and per_frame is None:
                    cell = _checked_cell(cell, "frame %d" % number)
            if per_frame is not None:
                if isinstance(per_frame, list):
                    if number >= len(per_frame):
                        raise ValueError("cells has a cell for %d frames, but frames go on" % len(per_frame))
                    cell = per_frame[number]
                else:
                    cell = per_frame
            set_coords(mol, coords)
            if cell is not _KEEP:
                mol.SetCell(cell)
            yield _index_array(_fastpath.frame_indices(selector))
        if isinstance(per_frame, list) and number + 1 < len(per_frame):
            raise ValueError("cells has a cell for %d frames, but frames held %d" % (len(per_frame), number + 1))
    return answers()


# A frame that leaves the molecule's cell as it is.
_KEEP = object()


def _is_timestep(frame: Any) -> bool:
    """Whether `frame` is a trajectory's timestep (positions and dimensions),
    not an array."""
    return hasattr(frame, "positions") and hasattr(frame, "dimensions") and not hasattr(frame, "__array__")


def _checked_cell(cell: Any, what: str) -> Any:
    """`cell` as a tuple of six floats, checked as set_cell checks it (on a
    scratch molecule), so that a bad cell is refused before anything changes."""
    from lumora import kamol
    scratch = kamol.KaGraphMol()
    try:
        set_cell(scratch, cell)
    except (TypeError, ValueError) as error:
        raise type(error)("%s: %s" % (what, error)) from None
    return scratch.GetCell()


def _frame_cells(cells: ArrayLike | None, frames: Iterable[Any]) -> Any:
    """None without `cells`; one checked cell for every frame; or a list of
    checked cells, one per frame."""
    if cells is None:
        return None
    import numpy
    array = numpy.asarray(cells)
    if not numpy.issubdtype(array.dtype, numpy.number):
        raise TypeError("cells must hold numbers: one cell (a, b, c, alpha, beta, gamma) or an (F, 6) array")
    if array.ndim == 1:
        return _checked_cell(array, "cells")
    if array.ndim != 2 or array.shape[1] != 6:
        raise ValueError("cells must be one cell of six numbers or an (F, 6) array, got shape %s" % (array.shape,))
    from collections.abc import Sized
    if isinstance(frames, Sized) and len(frames) != len(array):
        raise ValueError("cells has a cell for %d frames, but frames has %d" % (len(array), len(frames)))
    return [_checked_cell(row, "cell %d" % number) for number, row in enumerate(array)]


# Per-atom fields that must agree between the models of one file read as frames.
_IDENTITY = ("name", "resname", "resid", "icode", "chain", "altloc", "element")


def read_frames(path: str | os.PathLike[str]) -> tuple[KaGraphMol, NDArray[numpy.float32]]:
    """(molecule, frames): the first model of a multi-model structure file as a
    molecule, and the coordinates of every model, the first included, as a
    float32 array of shape (F, N, 3). Every model must hold the same atoms
    (names, residues, chains, elements, in the same order); otherwise
    ValueError names the first model that differs."""
    import numpy
    from lumora import kamol
    models = kamol.ReadMolecules(path)
    if not models:
        raise ValueError("%s: no model to read" % path)
    first = models[0]
    reference = columns(first, _IDENTITY)
    frames = numpy.empty((len(models), first.NumAtoms(), 3), dtype=numpy.float32)
    for number, model in enumerate(models, start=1):
        if model.NumAtoms() != first.NumAtoms():
            raise ValueError("%s: model %d holds %d atoms, model 1 holds %d"
                             % (path, number, model.NumAtoms(), first.NumAtoms()))
        if number > 1:
            fields = columns(model, _IDENTITY)
            for name in _IDENTITY:
                differs = numpy.flatnonzero(fields[name] != reference[name])
                if len(differs):
                    row = int(differs[0])
                    raise ValueError("%s: model %d differs from model 1 at atom row %d: %s %r, not %r"
                                     % (path, number, row, name, fields[name][row].item(),
                                        reference[name][row].item()))
        frames[number - 1] = get_coords(model)
    return first, frames
