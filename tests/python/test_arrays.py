"""Coordinates in bulk, per-atom columns and molecules from arrays, against the
per-atom toolkit API and NumPy references."""
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"
SELECTIONS = ["ligand", "water", "protein", "backbone", "organic", "polar_hydrogen", "byres (ligand around 5)",
              "chain B and resi 10-20", "alt A", "b > 40", "id 100-200", "elem O", "helix", "sheet", "metal"]


def read(name):
    return kamol.ReadMolecule(str(DATA / name))


def with_a_deleted_atom():
    mol = read("pept.pdb")
    assert mol.DeleteAtom(mol.GetAtom(3))
    return mol


@pytest.mark.parametrize("make", [lambda: read("3al1.pdb"), with_a_deleted_atom], ids=["3al1", "deleted atom"])
def test_coords_and_columns_agree_with_the_per_atom_api(make):
    mol = make()
    atoms = list(mol.GetAtoms())
    cols = kaselect.columns(mol)
    assert cols["index"].tolist() == [a.GetIndex() for a in atoms]
    assert kaselect.get_coords(mol).tolist() == [list(mol.GetCoords(a)) for a in atoms]
    records = [kamol.GetAtomResidue(a) for a in atoms]
    expected = {
        "name": [a.GetName() for a in atoms], "element": [a.GetAtomicNum() for a in atoms],
        "resname": [r.residueName for r in records], "resid": [r.residueNumber for r in records],
        "icode": [r.insertCode for r in records], "chain": [r.chainId for r in records],
        "altloc": [r.alternateLocation for r in records], "serial": [r.serialNumber for r in records],
        "bfactor": [np.float32(r.bFactor) for r in records], "occupancy": [np.float32(r.occupancy) for r in records],
        "hetatm": [r.hetAtom for r in records], "secondary": [r.secondaryStructure for r in records]}
    assert set(cols) == set(expected) | {"index"}
    for name, values in expected.items():
        assert cols[name].tolist() == values, name
    assert list(kaselect.columns(mol, ["chain", "index"])) == ["chain", "index"]


@pytest.mark.parametrize("convert", [np.asarray, np.asfortranarray, lambda c: c.astype(np.float64),
                                     lambda c: np.repeat(c, 2, axis=0)[::2]],
                         ids=["float32", "fortran order", "float64", "strided"])
def test_set_coords_then_get_coords_round_trips(convert):
    mol = with_a_deleted_atom()
    moved = kaselect.get_coords(mol) * np.float32(1.5) + np.float32(2)
    kaselect.set_coords(mol, convert(moved))
    assert np.array_equal(kaselect.get_coords(mol), moved)
    assert mol.GetCoords(mol.GetAtom(4)) == tuple(float(v) for v in moved[3])  # row 3 is atom 4


def within(points, sources, radius):
    """NumPy reference of the engine's distance test: float32 ((dx² + dy²) + dz²) < r²."""
    d = points[:, None, :] - sources[None, :, :]
    squared = (d[..., 0] * d[..., 0] + d[..., 1] * d[..., 1]) + d[..., 2] * d[..., 2]
    return (squared < np.float32(radius) ** 2).any(axis=1)


def test_distance_selections_answer_for_coordinates_set_in_bulk():
    mol = read("1hpv.pdb")
    water = kaselect.select_indices(mol, "water")
    protein = kaselect.select_indices(mol, "protein")
    rng = np.random.default_rng(5)
    coords = kaselect.get_coords(mol)
    for _ in range(3):
        coords = (coords + rng.uniform(-1.5, 1.5, coords.shape)).astype(np.float32)
        kaselect.set_coords(mol, coords)
        expected = water[within(coords[water], coords[protein], 3.5)]
        assert kaselect.select_indices(mol, "water and protein around 3.5").tolist() == expected.tolist()


# Bad coordinate arrays: the error and the molecule left as it was.
@pytest.mark.parametrize("make_bad, error, message", [
    (lambda c: None, TypeError, "got None"),
    (lambda c: c.astype(np.int64), TypeError, "float32 or float64"),
    (lambda c: c.astype(object), TypeError, "float32 or float64"),
    (lambda c: "coordinates", TypeError, "float32 or float64"),
    (lambda c: c[:, :2], ValueError, "shape (N, 3)"),
    (lambda c: c[None], ValueError, "shape (N, 3)"),
    (lambda c: c.ravel(), ValueError, "shape (N, 3)"),
    (lambda c: c[:-1], ValueError, "one row per atom (107), got 106 rows"),
    (lambda c: np.where(np.arange(len(c))[:, None] == 9, 1e39, c.astype(np.float64)), ValueError,
     "row 9, column 0 is out of range"),
])
def test_set_coords_refuses_bad_arrays(make_bad, error, message):
    mol = read("pept.pdb")
    before = kaselect.get_coords(mol).copy()
    with pytest.raises(error) as info:
        kaselect.set_coords(mol, make_bad(before.copy()))
    assert message in str(info.value)
    assert np.array_equal(kaselect.get_coords(mol), before)


def test_non_finite_coordinates_are_kept_as_set_coords_keeps_them():
    mol = read("pept.pdb")
    coords = kaselect.get_coords(mol).copy()
    coords[0] = (np.nan, np.inf, -np.inf)
    kaselect.set_coords(mol, coords.astype(np.float64))
    assert np.array_equal(kaselect.get_coords(mol), coords, equal_nan=True)


def arrays_of(mol):
    cols = kaselect.columns(mol)
    bonds = [(b.GetBgn().GetIndex(), b.GetEnd().GetIndex()) for a in mol.GetAtoms() for b in a.GetBonds()
             if b.GetBgn().GetIndex() == a.GetIndex()]
    return kaselect.get_coords(mol), dict(
        names=cols["name"], resnames=cols["resname"], resids=cols["resid"], chains=cols["chain"],
        elements=cols["element"], icodes=cols["icode"], altlocs=cols["altloc"], serials=cols["serial"],
        bfactors=cols["bfactor"], occupancies=cols["occupancy"], hetatm=cols["hetatm"],
        secondary=cols["secondary"], bonds=bonds)


@pytest.mark.parametrize("name", ["1hpv.pdb", "3al1.pdb"])
def test_from_arrays_rebuilds_a_molecule_from_its_columns(name):
    mol = read(name)
    coords, fields = arrays_of(mol)
    copy = kaselect.from_arrays(coords, **fields)
    assert copy.NumBonds() == mol.NumBonds()
    for key, values in kaselect.columns(copy).items():
        assert np.array_equal(values, kaselect.columns(mol)[key]), key
    for text in SELECTIONS:
        assert kaselect.EvaluateSelection(copy, text) == kaselect.EvaluateSelection(mol, text), text
    # Without elements they are perceived from the names, as the reader does.
    bare = kaselect.from_arrays(coords, names=list(fields["names"]), resnames=fields["resnames"],
                                resids=fields["resids"], chains=fields["chains"])
    assert np.array_equal(kaselect.columns(bare)["element"], fields["elements"])


@pytest.mark.parametrize("change, error, message", [
    (dict(chains=["A"] * 5), ValueError, "chains has 5 entries, but coords has 6 rows"),
    (dict(names=None, resids=np.arange(7)), ValueError, "resids has 7 entries"),
    (dict(resnames=[1, 2, 3, 4, 5, 6]), TypeError, "resnames must hold str"),
    (dict(names=np.array(["N", None, "C", "N", "CA", "O"], dtype=object)), TypeError, "names must hold str, got NoneType"),
    (dict(resnames="ALA"), TypeError, "one entry per atom"),
    (dict(resids=[1.5] * 6), TypeError, "resids must hold numbers"),
    (dict(resids=[2**31] * 6), ValueError, "resids must lie within"),
    (dict(elements=[-1] * 6), ValueError, "elements must lie within"),
    (dict(icodes=["A", "", "BC", "", "", ""]), ValueError, "icodes must hold one character per atom, row 2"),
    (dict(bfactors=[1e39] * 6), ValueError, "out of range for a 32-bit float"),
    (dict(bonds=[(0, 6)]), ValueError, "bond 0 joins rows 0 and 6, but there are 6 atoms"),
    (dict(bonds=[(0, 1), (2, 2)]), ValueError, "bond 1 joins row 2 to itself"),
    (dict(bonds=[(0, 1, 2)]), ValueError, "bonds must have shape (M, 2)"),
    (dict(bonds=[(0.5, 1)]), TypeError, "bonds must hold integer"),
    (dict(bonds=[(0, 1)], bond_orders=[-1]), ValueError, "bond_orders must lie within"),
    (dict(bond_orders=[1]), ValueError, "bond_orders given without bonds"),
])
def test_from_arrays_refuses_bad_columns(change, error, message):
    fields = dict(names=["N", "CA", "C", "N", "CA", "O"], resnames=["ALA"] * 3 + ["GLY"] * 2 + ["HOH"],
                  resids=[1, 1, 1, 2, 2, 7], chains="A A A A A W".split())
    fields.update(change)
    with pytest.raises(error) as info:
        kaselect.from_arrays(np.zeros((6, 3)), **fields)
    assert message in str(info.value)


def test_empty_molecules():
    empty = kaselect.from_arrays(np.empty((0, 3)), names=[], resnames=[], resids=[], chains=[], bonds=[])
    assert empty.NumAtoms() == 0 and kaselect.get_coords(empty).shape == (0, 3)
    kaselect.set_coords(empty, np.empty((0, 3), dtype=np.float32))
    assert all(len(column) == 0 for column in kaselect.columns(empty).values())
    assert [len(a) for a in kaselect.select_frames(empty, "water around 3", np.empty((2, 0, 3)))] == [0, 0]
