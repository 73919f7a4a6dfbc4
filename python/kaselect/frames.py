"""Selections over the frames of a trajectory: the molecule takes each frame's
coordinates in turn, and one selection, parsed once, answers for each."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath
from .arrays import _index_array, columns, get_coords, set_coords

if TYPE_CHECKING:
    import os
    from collections.abc import Iterable, Iterator

    import numpy
    from numpy.typing import ArrayLike, NDArray

    from lumora.kamol import KaGraphMol, KaMolBase


def select_frames(mol: KaMolBase, selection: str,
                  frames: Iterable[ArrayLike]) -> Iterator[NDArray[numpy.uint32]]:
    """Yields, for each (N, 3) coordinate array of `frames` (an iterable such as
    an MDAnalysis trajectory's positions, or an (F, N, 3) array), the indices
    of the atoms of `mol` that `selection` selects with those coordinates, as a
    numpy.uint32 array in storage order.

    The selection is parsed here (a bad text raises ValueError at once); parts
    that do not depend on coordinates (properties, residue classes, groups of
    them) are evaluated once and reused, distance tests and what stands above
    them again for each frame. Each frame's coordinates are set on `mol` as by
    set_coords, so after the loop it holds the last frame's; a frame of the
    wrong shape or dtype raises as set_coords does, before anything changes."""
    selector = _fastpath.frame_selector(mol, selection)
    if isinstance(frames, (str, bytes)) or not hasattr(frames, "__iter__"):
        raise TypeError("frames must be an iterable of (N, 3) coordinate arrays, got %s"
                        % type(frames).__name__)

    def answers() -> Iterator[NDArray[numpy.uint32]]:
        for frame in frames:
            set_coords(mol, frame)
            yield _index_array(_fastpath.frame_indices(selector))
    return answers()


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
