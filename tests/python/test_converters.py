"""Structures of gemmi, MDAnalysis and RDKit converted to molecules agree atom
for atom with the same file read by ReadMolecule: every per-atom column the
library holds, the bonds, and the atoms each of a set of selections gives."""
import warnings
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol
from test_arrays import SELECTIONS

DATA = Path(__file__).resolve().parents[1] / "data"
RESIDUE_FIELDS = ["name", "resname", "resid", "icode", "chain", "altloc", "serial", "bfactor", "occupancy",
                  "hetatm"]
# Secondary structure is held by gemmi's structures only.
NO_SECONDARY = {"helix", "sheet"}


def gemmi_structure(path):
    gemmi = pytest.importorskip("gemmi")
    # 1hpv.pdb carries an identifier in the charge columns; the reader ignores them too.
    return kaselect.from_gemmi(gemmi.read_pdb(str(path), max_line_length=78))


def mdanalysis_universe(path):
    mda = pytest.importorskip("MDAnalysis")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return kaselect.from_mdanalysis(mda.Universe(str(path)))


def rdkit_molecule(path):
    Chem = pytest.importorskip("rdkit.Chem")
    if path.suffix == ".pdb":
        mol = Chem.MolFromPDBFile(str(path), removeHs=False, sanitize=False)
    elif path.suffix == ".mol2":
        mol = Chem.MolFromMol2File(str(path), removeHs=False, sanitize=False)
    else:
        mol = next(iter(Chem.SDMolSupplier(str(path), removeHs=False, sanitize=False)))
    return kaselect.from_rdkit(mol)


# (converter, file, columns compared, selections left out: fields the library does not hold).
CASES = [
    (gemmi_structure, "1hpv.pdb", RESIDUE_FIELDS, set()),
    (gemmi_structure, "3al1.pdb", RESIDUE_FIELDS, set()),
    (mdanalysis_universe, "1hpv.pdb", RESIDUE_FIELDS, NO_SECONDARY),
    (mdanalysis_universe, "3al1.pdb", RESIDUE_FIELDS, NO_SECONDARY),
    # RDKit keeps one alternate location per atom, so only files without them.
    (rdkit_molecule, "1hpv.pdb", RESIDUE_FIELDS, NO_SECONDARY),
    (rdkit_molecule, "pept.pdb", RESIDUE_FIELDS, NO_SECONDARY),
    (rdkit_molecule, "ligs3d.sdf", [], set()),
    (rdkit_molecule, "LIG_1HPV.mol2", ["name"], set()),
]


def bonds_of(mol, orders=True):
    """(lower index, higher index, order or 0) of every bond."""
    return sorted((min(b.GetBgn().GetIndex(), b.GetEnd().GetIndex()), max(b.GetBgn().GetIndex(), b.GetEnd().GetIndex()),
                   b.GetOrder() if orders else 0) for a in mol.GetAtoms() for b in a.GetBonds() if b.GetBgn() == a)


@pytest.mark.parametrize("convert, name, fields, skipped", CASES,
                         ids=["%s-%s" % (c[0].__name__.split("_")[0], c[1]) for c in CASES])
def test_converted_structure_agrees_with_read_molecule(convert, name, fields, skipped):
    converted = convert(DATA / name)
    expected = kamol.ReadMolecule(str(DATA / name))
    cell = kaselect.get_cell(converted)
    if cell is not None:  # MDAnalysis' dimensions of a crystal: its CRYST1 cell
        assert cell == pytest.approx(kaselect.read_cell(DATA / name), rel=1e-6)
        kaselect.set_cell(expected, cell)
    assert converted.NumAtoms() == expected.NumAtoms()
    np.testing.assert_allclose(kaselect.get_coords(converted), kaselect.get_coords(expected), atol=1e-3)
    got, want = kaselect.columns(converted), kaselect.columns(expected)
    for field in ["element"] + fields:
        assert np.array_equal(got[field], want[field]), field
    # The PDB reader makes no bond orders; RDKit's PDB parser keeps those of its templates.
    orders = name.endswith((".sdf", ".mol2"))
    assert bonds_of(converted, orders) == bonds_of(expected, orders)
    for text in SELECTIONS:
        if text not in skipped:
            assert kaselect.EvaluateSelection(converted, text) == kaselect.EvaluateSelection(expected, text), text


def test_mdanalysis_atomgroup_keeps_group_order_and_bonds_within_it():
    mda = pytest.importorskip("MDAnalysis")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        universe = mda.Universe(str(DATA / "1hpv.pdb"))
    ligand = universe.select_atoms("resname 478")
    first, second, third = ligand.indices[:3].tolist()
    universe.add_bonds([(first, second), (second, third), (first, 0)])  # the last leaves the group
    group = ligand[::-1]
    mol = kaselect.from_mdanalysis(group, perceive_bonds=False)
    assert kaselect.columns(mol)["serial"].tolist() == group.ids.tolist()
    last = len(group) - 1
    assert bonds_of(mol) == [(last - 2, last - 1, 1), (last - 1, last, 1)]


@pytest.mark.parametrize("convert, argument", [
    (kaselect.from_gemmi, "1hpv.pdb"), (kaselect.from_mdanalysis, None), (kaselect.from_rdkit, 5)])
def test_converters_refuse_other_objects(convert, argument):
    with pytest.raises(TypeError):
        convert(argument)
