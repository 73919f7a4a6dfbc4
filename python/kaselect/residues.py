"""Residue lists in residue order, and the residue keys that repeat."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import _fastpath

if TYPE_CHECKING:
    from lumora.kamol import KaMolBase


def selected_residues(mol: KaMolBase, text: str) -> list[str]:
    """Residue selector strings (NAME:NUMBER:ICODE:CHAIN) of the atoms of `mol`
    that `text` selects, by chain, then residue number, then insert code, as a
    binding-site list is read (`str_selector_set` gives the same strings in
    string order)."""
    return _fastpath.residues(mol, text)


def first_repeated_residue(mol: KaMolBase) -> str | None:
    """Selector string of the first atom, in storage order, whose residue key
    (chain, number, insert code) was met before in a separate run of atoms, or
    that starts the residue the structure reader joined atoms of a later copy
    to (a chain repeated under the same chain id after TER), or None. Such a
    key names several copies of one residue (an assembly, a lattice, a solvent
    box): byres and bychain select every copy."""
    return _fastpath.repeated_residue(mol)
