"""Evaluating selections from Python: the binding's part of KaSelect,
EvaluateSelection, CountSelection and the NumPy path (argument conversion,
lifetimes, result types). What the engine selects is tested in C++ and by the
generated differential (test_differential.py)."""
import gc
import weakref
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"


def build(rows):
    """A molecule from rows (atom name, atomic number, (x, y, z), residue name,
    residue number, chain); returns the molecule and its atoms."""
    mol = kamol.KaGraphMol()
    atoms = []
    for name, element, xyz, resn, resi, chain in rows:
        atom = mol.NewAtom(element)
        atom.SetName(name)
        assert mol.SetCoords(atom, xyz)
        kamol.SetAtomResidue(atom, kamol.KaResidue(residueName=resn, residueNumber=resi, chainId=chain))
        atoms.append(atom)
    return mol, atoms


def peptide():
    """Two residues and a water, laid out along x one unit apart."""
    return build([("N", 7, (0, 0, 0), "ALA", 1, "A"), ("CA", 6, (1, 0, 0), "ALA", 1, "A"),
                  ("C", 6, (2, 0, 0), "ALA", 1, "A"), ("N", 7, (3, 0, 0), "GLY", 2, "A"),
                  ("CA", 6, (4, 0, 0), "GLY", 2, "A"), ("O", 8, (9, 0, 0), "HOH", 7, "W")])


def selected(predicate, atoms):
    return tuple(a.GetIndex() for a in atoms if predicate(a))


def test_get_selection_keeps_its_kaselect_and_the_kaselect_its_molecule_alive():
    mol = kamol.ReadMolecule(str(DATA / "pept.pdb"))
    molecule_alive = weakref.ref(mol)
    select = kaselect.KaSelect(mol, "byres (name N around 1.5)")
    alive = weakref.ref(select)
    selection = select.GetSelection()
    copy = kaselect.KaSelect(select)
    del select, mol
    gc.collect()
    assert alive() is not None and selection.ContainsPredicate(kaselect.PredicateType_AROUND)
    del selection
    gc.collect()
    assert alive() is None and molecule_alive() is not None  # the copy still holds it
    del copy
    gc.collect()
    assert molecule_alive() is None


def test_cutoff_is_decided_in_float32():
    centre = np.array([1.5, -2.25, 3.125], dtype=np.float32)
    rng = np.random.default_rng(20240611)
    directions = rng.normal(size=(200000, 3))
    directions *= 5 / np.linalg.norm(directions, axis=1)[:, None]
    points = (centre + directions + rng.normal(scale=2e-6, size=directions.shape)).astype(np.float32)
    d = points - centre
    inside32 = (d[:, 0] * d[:, 0] + d[:, 1] * d[:, 1]) + d[:, 2] * d[:, 2] < np.float32(25)
    inside64 = (d.astype(np.float64) ** 2).sum(axis=1) < 25.0
    # Points that the two precisions judge differently, in both directions,
    # plus points exactly on the cutoff (axis offsets of 5 are exact).
    disagree = np.flatnonzero(inside32 != inside64)
    picks = list(disagree[~inside32[disagree]][:6]) + list(disagree[inside32[disagree]][:6])
    assert len(picks) == 12
    on_cutoff = [centre + np.float32(5) * np.eye(3, dtype=np.float32)[k] for k in range(3)]
    rows = [("Q", 6, tuple(map(float, centre)), "LIG", 1, "L")]
    rows += [("P", 8, tuple(map(float, p)), "HOH", 10 + n, "W") for n, p in enumerate([points[i] for i in picks] + on_cutoff)]
    mol, atoms = build(rows)
    inside = [bool(inside32[i]) for i in picks] + [False] * 3
    expected = tuple(a.GetIndex() for a, x in zip(atoms[1:], inside) if x)
    assert kaselect.EvaluateSelection(mol, "name Q around 5") == expected
    assert kaselect.EvaluateSelection(mol, "name Q expand -5") == (0,) + expected


def test_numpy_results():
    mol = kamol.ReadMolecule(str(DATA / "1hpv.pdb"))
    for text in ["", "byres (ligand around 5)", "resi 9999"]:
        expected = kaselect.EvaluateSelection(mol, text)
        assert type(expected) is tuple and all(type(i) is int for i in expected)
        indices = kaselect.select_indices(mol, text)
        assert indices.dtype == np.uint32 and tuple(indices.tolist()) == expected
        mask = kaselect.select_mask(mol, text)
        assert mask.dtype == np.bool_ and tuple(np.flatnonzero(mask).tolist()) == expected


def test_index_array_outlives_its_molecule_and_is_its_own():
    mol, atoms = peptide()
    first, second = kaselect.select_indices(mol, "all"), kaselect.select_indices(mol, "all")
    first[0] = 99
    del mol, atoms
    gc.collect()
    assert tuple(second.tolist()) == tuple(range(6)) and tuple(first.tolist()) == (99, 1, 2, 3, 4, 5)


MOLECULE_TAKERS = [lambda x: kaselect.EvaluateSelection(x, "all"), lambda x: kaselect.CountSelection(x, "all"),
                   kaselect.mol_to_selector_set, lambda x: kaselect.str_selector_set(x, ""),
                   lambda x: kaselect.select_indices(x, "all"), lambda x: kaselect.select_mask(x, "all")]
ATOM_TAKERS = [lambda mol, x: kaselect.KaSelect(mol, "all")(x), lambda mol, x: kaselect.KaResidueSelector("A:1: :A")(x),
               lambda mol, x: kaselect.KaHasAtomNameAdvanced("CA")(x), lambda mol, x: kaselect.get_selector_string(x),
               lambda mol, x: kaselect.Selector.FromAtom(x)]


@pytest.mark.parametrize("bad, message", [
    (lambda mol, atoms: None, "Null reference."),
    (lambda mol, atoms: "1hpv.pdb", "Expected KaMolBase-derived object."),
    (lambda mol, atoms: atoms[0], "Expected KaMolBase-derived object."),
])
def test_molecule_arguments(bad, message):
    mol, atoms = peptide()
    for function in MOLECULE_TAKERS:
        with pytest.raises(TypeError, match=f"^{message}$"):
            function(bad(mol, atoms))


@pytest.mark.parametrize("bad, message", [
    (lambda mol, atoms: None, "Null reference."),
    (lambda mol, atoms: mol, "Expected KaAtomBase-derived object."),
    (lambda mol, atoms: mol.NewBond(atoms[0], atoms[1]), "Expected KaAtomBase-derived object."),
])
def test_atom_arguments(bad, message):
    mol, atoms = peptide()
    for function in ATOM_TAKERS:
        with pytest.raises(TypeError, match=f"^{message}$"):
            function(mol, bad(mol, atoms))
