"""Segments of molecular-dynamics systems (PROA, PROB, WAT, ...), as PDB
columns 73-76 and MDAnalysis topologies give them. A segment's whole name is
kept with its atoms; selections tell segments apart through their chains:
segments that would share a chain's first character get chains of their own
when the molecule is read or converted."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath

if TYPE_CHECKING:
    import numpy
    from numpy.typing import NDArray

    from lumora.kamol import KaMolBase


def segments(mol: KaMolBase) -> dict[str, str]:
    """The segment ids of the atoms of `mol` (blanks around them dropped,
    atoms without one left out), in order of first appearance, each with
    the chain letters its atoms carry: {"PROA": "A", "PROB": "B"} for two
    copies of a chain, so that `chain B` selects the second."""
    return dict(_fastpath.segments(mol))


def segment_indices(mol: KaMolBase, segment: str) -> NDArray[numpy.uint32]:
    """Indices of the atoms of `mol` in the chains of segment `segment` (its
    whole name, blanks around it ignored), in storage order; KeyError when
    no atom carries that segment id."""
    import numpy
    if not isinstance(segment, str):
        raise TypeError("segment must be str, got %s" % type(segment).__name__)
    chains = segments(mol).get(segment.strip())
    if chains is None:
        raise KeyError(segment)
    raw = _fastpath.columns(mol)
    texts, ids = raw["chain"]
    wanted = numpy.array([(t[:1] or " ") in chains for t in texts], dtype=bool)
    rows = wanted[numpy.frombuffer(ids, dtype=numpy.uint32)]
    return numpy.frombuffer(raw["index"], dtype=numpy.uint32)[rows]
