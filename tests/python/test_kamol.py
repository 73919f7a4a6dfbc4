"""lumora.kamol from Python: building molecules, coordinates, generic data and
residue records through the binding, paths and file errors, proxies' lifetimes
and the message handler. Readers and writers themselves are tested in C++."""
import gzip
import re
import textwrap
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

import lumora.kamol as k
from isolated import run_python

DATA = Path(__file__).resolve().parents[1] / "data"


def chain_of(n):
    """A molecule with n carbon atoms bonded in a chain."""
    mol = k.KaGraphMol()
    atoms = [mol.NewAtom(6) for _ in range(n)]
    for a, b in zip(atoms, atoms[1:]):
        mol.NewBond(a, b)
    return mol, atoms


def test_new_atoms_bonds_and_deletion():
    mol = k.KaGraphMol()
    c, o, n = mol.NewAtom(6), mol.NewAtom(8), mol.NewAtom(7)
    double, single = mol.NewBond(c, o, 2), mol.NewBond(n, c)
    assert [a.GetAtomicNum() for a in mol.GetAtoms()] == [6, 8, 7] and (mol.NumAtoms(), mol.NumBonds()) == (3, 2)
    assert (double.GetBgn(), double.GetEnd(), double.GetOrder(), single.GetOrder()) == (c, o, 2, 1)
    assert c.GetBonds() == [double, single] and double.GetNeighbour(o) == c and double.GetNeighbour(n) is None
    assert c.GetOwner() is mol and double.GetOwner() is mol and mol.GetAtom(3) is None
    assert mol.DeleteAtom(o) and not mol.DeleteAtom(o) and double.IsDeleted()
    assert mol.GetAtoms() == [c, n] and mol.NumBonds() == 1 and mol.NewAtom(1).GetIndex() == 3
    with pytest.raises(ValueError, match="deleted"):
        o.GetName()
    assert o.GetIndex() == 1 and o.GetOwner() is mol  # what identifies the atom still answers


@given(st.tuples(*[st.floats(width=32, allow_nan=False, allow_infinity=False)] * 3))
def test_coordinates_round_trip_as_float32(xyz):
    mol, (atom,) = chain_of(1)
    assert mol.SetCoords(atom, xyz) is True and mol.GetCoords(atom) == xyz


@given(st.integers(-2 ** 31, 2 ** 31 - 1), st.floats(allow_nan=False))
def test_generic_data_round_trip(number, real):
    mol, (atom,) = chain_of(1)
    int_tag, double_tag = k.TagFromName("test.int"), k.TagFromName("test.double")
    for owner in (mol, atom):
        assert owner.SetIntData(int_tag, number) and owner.SetDoubleData(double_tag, real)
        assert (owner.GetIntData(int_tag), owner.GetDoubleData(double_tag)) == (number, real)


def test_absent_and_mismatched_data(capfd):
    mol, (atom,) = chain_of(1)
    tag = k.TagFromName("test.mismatch")
    assert atom.GetIntData(tag) is None and capfd.readouterr().err == ""
    atom.SetIntData(tag, 7)
    assert atom.GetDoubleData(tag) is None and atom.SetDoubleData(tag, 2.5) is False and atom.GetIntData(tag) == 7
    assert capfd.readouterr().err.count("Warning: data type mismatch found when using generic data\n") == 2


def test_residue_is_stored_as_a_copy():
    mol, (atom,) = chain_of(1)
    assert k.GetAtomResidue(atom).residueName == "UNL" and not k.HasAtomResidue(atom)
    record = k.KaResidue(residueName="HOH", residueNumber=-5, chainId="AB", insertCode="x", bFactor=12.5)
    assert k.SetAtomResidue(atom, record) is True
    record.residueName = "changed"
    stored = k.GetAtomResidue(atom)
    stored.residueNumber = 7
    assert (k.GetAtomResidue(atom).residueName, k.GetAtomResidue(atom).residueNumber) == ("HOH", -5)
    other = mol.NewAtom(6)
    other.SetIntData(35, 1)  # other data under the residue tag
    assert k.SetAtomResidue(other, record) is False


@given(st.binary(max_size=40).filter(lambda b: b"\0" not in b))
def test_texts_round_trip_bytes_that_are_not_utf8(raw):
    text = raw.decode("utf-8", "surrogateescape")
    mol, (atom,) = chain_of(1)
    atom.SetName(text)
    k.SetAtomResidue(atom, k.KaResidue(residueName=text, chainId=text))
    assert atom.GetName() == k.GetAtomResidue(atom).residueName == k.GetAtomResidue(atom).chainId == text


def test_paths_of_every_kind_gzip_and_explicit_format(tmp_path):
    packed = tmp_path / "pept.pdb.gz"
    packed.write_bytes(gzip.compress((DATA / "pept.pdb").read_bytes()))
    renamed = tmp_path / "pept.txt"
    renamed.write_bytes((DATA / "pept.pdb").read_bytes())
    assert k.ReadMolecule(packed).NumAtoms() == k.ReadMolecule(bytes(renamed), fmt=3).NumAtoms() == 107
    k.WriteMolecule(str(tmp_path / "out.pdb.gz"), k.ReadMolecule(str(packed)))
    assert k.ReadMolecules(tmp_path / "out.pdb.gz")[0].NumAtoms() == 107


def test_files_that_cannot_be_read_raise(tmp_path):
    with pytest.raises(FileNotFoundError):
        k.ReadMolecules(tmp_path / "absent.sdf")
    with pytest.raises(OSError):
        k.WriteMolecule(tmp_path / "no" / "dir.pdb", chain_of(1)[0])
    with pytest.raises(ValueError):
        k.WriteMolecule(tmp_path / "out.sdf", chain_of(1)[0])
    for name, content in [("garbage.pdb", b"not a structure\n"), ("empty.sdf", b""),
                          ("notgzip.pdb.gz", b"\x1f\x8b nope"), ("unknown.suffix", b"ATOM")]:
        (tmp_path / name).write_bytes(content)
        with pytest.raises(ValueError, match=re.escape(name)):
            k.ReadMolecule(tmp_path / name)


def test_atoms_from_temporary_molecules_stay_usable():
    # A dangling atom would crash the interpreter: run in a child.
    proc = run_python(textwrap.dedent(f"""
        import gc, lumora.kamol as k
        path = {str(DATA / "1hpv.pdb")!r}
        atom = k.ReadMolecule(path).GetAtom(0)
        bond = k.ReadMolecule(path).GetAtom(1).GetBonds()[0]
        atoms = k.ReadMolecule(path).GetAtoms()
        gc.collect()
        junk = [k.ReadMolecule(path) for _ in range(3)]
        print(atom.GetName(), k.GetAtomResidue(atom).residueName, atom.GetOwner().NumAtoms(),
              bond.GetBgn().GetName(), len(atoms), atoms[-1].GetName())
        """))
    assert (proc.returncode, proc.stdout) == (0, "N PRO 1631 N 1631 O\n"), proc.stderr


@pytest.mark.parametrize("setup, message, status, printed", [
    ("", "Msg(6, 'giving up')", 1, "Fatal: giving up\n"),
    ("", "Msg(7, 'how to use')", 0, "Usage: how to use\n"),
    ("h.SetLevel(7)", "Msg(6, 'filtered but fatal')", 1, ""),
])
def test_fatal_levels_end_the_process(setup, message, status, printed):
    proc = run_python(f"import lumora.kamol as k\nh = k.ErrorHandler()\n{setup}\nh.{message}\nprint('after')\n")
    assert (proc.returncode, proc.stderr, proc.stdout) == (status, printed, "")
