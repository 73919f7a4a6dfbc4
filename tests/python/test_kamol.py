"""lumora.kamol: molecules built from Python and read from structure files."""
import gc
import gzip
import math
import re
import struct
import textwrap
import threading
import weakref
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

import lumora.kamol as k
from isolated import assert_raised, outcomes, run_python

DATA = Path(__file__).resolve().parents[1] / "data"
PDB_FILES = ["1hpv.pdb", "3al1.pdb", "pept.pdb"]


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def warnings_count():
    return k.ErrorHandler().Count(4)


def chain_of(n):
    """A molecule with n carbon atoms bonded in a chain."""
    mol = k.KaGraphMol()
    atoms = [mol.NewAtom(6) for _ in range(n)]
    for a, b in zip(atoms, atoms[1:]):
        mol.NewBond(a, b)
    return mol, atoms


# --- building molecules -----------------------------------------------------

def test_new_atoms_and_bonds():
    mol = k.KaGraphMol()
    c, o, n = mol.NewAtom(6), mol.NewAtom(8), mol.NewAtom(7)
    assert [a.GetIndex() for a in (c, o, n)] == [0, 1, 2]
    assert [a.GetAtomicNum() for a in mol.GetAtoms()] == [6, 8, 7]
    double = mol.NewBond(c, o, 2)
    single = mol.NewBond(n, c)
    assert (mol.NumAtoms(), mol.NumBonds()) == (3, 2)
    assert (double.GetBgn(), double.GetEnd(), double.GetOrder()) == (c, o, 2)
    assert single.GetOrder() == 1
    assert c.GetBonds() == [double, single]
    assert double.GetNeighbour(o) == c and single.GetNeighbour(c) == n
    assert double.GetNeighbour(n) is None
    assert c.GetOwner() is mol and double.GetOwner() is mol
    c.SetName("C1")
    c.SetAtomicNum(16)
    assert (c.GetName(), c.GetAtomicNum()) == ("C1", 16)
    mol.SetTitle("glycine fragment")
    assert mol.GetTitle() == "glycine fragment"
    assert mol.GetAtom(2) == n and mol.GetAtom(3) is None and mol.GetAtom(2 ** 40) is None
    assert isinstance(mol, k.KaMolBase) and isinstance(c, k.KaAtomBase)


def test_deletion():
    mol, atoms = chain_of(5)
    other, (foreign,) = chain_of(1)
    bond = atoms[0].GetBonds()[0]
    assert mol.DeleteAtom(atoms[1]) and mol.DeleteAtom(atoms[3])
    assert mol.GetAtoms() == [atoms[0], atoms[2], atoms[4]]
    assert (mol.NumAtoms(), mol.NumBonds()) == (3, 0)
    assert mol.GetAtom(1) is None and atoms[1].IsDeleted() and bond.IsDeleted()
    assert atoms[0].GetBonds() == [] and atoms[2].GetBonds() == []
    # Deleting again, or another molecule's atom, answers False and changes nothing.
    assert mol.DeleteAtom(atoms[1]) is False and mol.DeleteAtom(foreign) is False
    assert (mol.NumAtoms(), other.NumAtoms()) == (3, 1)
    assert mol.NewAtom(1).GetIndex() == 5


@pytest.mark.parametrize("use", [
    lambda mol, atom, bond: atom.GetAtomicNum(),
    lambda mol, atom, bond: atom.SetAtomicNum(1),
    lambda mol, atom, bond: atom.GetName(),
    lambda mol, atom, bond: atom.SetName("X"),
    lambda mol, atom, bond: atom.GetBonds(),
    lambda mol, atom, bond: atom.HasData(100),
    lambda mol, atom, bond: atom.SetIntData(100, 1),
    lambda mol, atom, bond: mol.GetCoords(atom),
    lambda mol, atom, bond: mol.SetCoords(atom, (0, 0, 0)),
    lambda mol, atom, bond: mol.NewBond(atom, mol.GetAtom(1)),
    lambda mol, atom, bond: k.GetAtomResidue(atom),
    lambda mol, atom, bond: k.SetAtomResidue(atom, k.KaResidue()),
    lambda mol, atom, bond: bond.GetOrder(),
    lambda mol, atom, bond: bond.GetBgn(),
])
def test_using_a_deleted_atom_raises(use):
    mol, atoms = chain_of(2)
    bond = atoms[0].GetBonds()[0]
    mol.DeleteAtom(atoms[0])
    with pytest.raises(ValueError, match="deleted"):
        use(mol, atoms[0], bond)
    # What identifies the atom still answers.
    assert atoms[0].GetIndex() == 0 and atoms[0].GetOwner() is mol


# --- coordinates ------------------------------------------------------------

finite_f32 = st.floats(width=32, allow_nan=False, allow_infinity=False)


@given(st.tuples(finite_f32, finite_f32, finite_f32))
def test_coordinates_round_trip_as_float32(xyz):
    mol, (atom,) = chain_of(1)
    assert mol.GetCoords(atom) == (0.0, 0.0, 0.0)
    assert mol.SetCoords(atom, xyz) is True
    assert mol.GetCoords(atom) == xyz


@pytest.mark.parametrize("xyz", [[0.1, -2, 3], (0.1, -2, 3), range(1, 4)])
def test_coordinates_accept_any_sequence_and_round_to_float32(xyz):
    mol, (atom,) = chain_of(1)
    mol.SetCoords(atom, xyz)
    assert mol.GetCoords(atom) == tuple(f32(v) for v in xyz)


# --- generic data -----------------------------------------------------------

@given(st.integers(-2 ** 31, 2 ** 31 - 1), st.floats(allow_nan=False))
def test_generic_data_round_trip(number, real):
    mol, (atom,) = chain_of(1)
    int_tag, double_tag = k.TagFromName("test.int"), k.TagFromName("test.double")
    for owner in (mol, atom):
        assert owner.SetIntData(int_tag, number) and owner.SetDoubleData(double_tag, real)
        assert owner.GetIntData(int_tag) == number
        assert owner.GetDoubleData(double_tag) == real
        assert owner.HasData(int_tag) and owner.HasData(double_tag)


def test_absent_data_reads_none_without_warning():
    mol, (atom,) = chain_of(1)
    tag = k.TagFromName("test.absent")
    assert k.TagFromName("test.absent") == tag != k.TagFromName("test.other")
    assert k.TagFromName("Residue") == 35
    before = warnings_count()
    assert not atom.HasData(tag)
    assert atom.GetIntData(tag) is None and mol.GetDoubleData(tag) is None
    assert warnings_count() == before


def test_type_mismatch_gives_none_or_false_and_warns(capfd):
    mol, (atom,) = chain_of(1)
    tag = k.TagFromName("test.mismatch")
    atom.SetIntData(tag, 7)
    before = warnings_count()
    assert atom.GetDoubleData(tag) is None
    assert atom.SetDoubleData(tag, 2.5) is False
    assert atom.GetIntData(tag) == 7
    assert warnings_count() == before + 2
    assert capfd.readouterr().err.count(
        "Warning: data type mismatch found when using generic data\n") == 2


# --- residue records --------------------------------------------------------

def test_residue_defaults_and_atoms_without_residue():
    mol, (atom,) = chain_of(1)
    expected = dict(residueName="UNL", occupancy=1.0, bFactor=20.0, residueNumber=1,
                    serialNumber=0, modelNumber=0, fragmentNumber=0, secondaryStructure=0,
                    alternateLocation=" ", insertCode=" ", hetAtom=False, chainId=" ")
    assert not k.HasAtomResidue(atom)
    for record in (k.KaResidue(), k.GetAtomResidue(atom)):
        assert {f: getattr(record, f) for f in expected} == expected


def test_residue_is_stored_as_a_copy():
    mol, (atom,) = chain_of(1)
    record = k.KaResidue(residueName="HOH", residueNumber=-5, chainId="AB", insertCode="x",
                         alternateLocation="B", bFactor=12.5, occupancy=0.5, hetAtom=True,
                         serialNumber=99999, modelNumber=2, fragmentNumber=4,
                         secondaryStructure=138)
    assert k.SetAtomResidue(atom, record) is True and k.HasAtomResidue(atom)
    record.residueName = "changed"
    stored = k.GetAtomResidue(atom)
    assert stored.residueName == "HOH" and stored.chainId == "AB" and stored.insertCode == "x"
    stored.residueNumber = 7
    assert k.GetAtomResidue(atom).residueNumber == -5
    record.residueName = "HOH"
    assert k.GetAtomResidue(atom) == record


def test_residue_over_other_data_is_refused():
    mol, (atom,) = chain_of(1)
    atom.SetIntData(35, 1)
    assert k.SetAtomResidue(atom, k.KaResidue(residueName="ALA")) is False
    assert k.GetAtomResidue(atom).residueName == "UNL"


@given(st.binary(max_size=40).filter(lambda b: b"\0" not in b))
def test_texts_round_trip_bytes_that_are_not_utf8(raw):
    text = raw.decode("utf-8", "surrogateescape")
    mol, (atom,) = chain_of(1)
    atom.SetName(text)
    mol.SetTitle(text)
    record = k.KaResidue(residueName=text, chainId=text)
    k.SetAtomResidue(atom, record)
    assert atom.GetName() == mol.GetTitle() == text
    assert k.GetAtomResidue(atom).residueName == k.GetAtomResidue(atom).chainId == text


# --- elements and formats ---------------------------------------------------

@pytest.mark.parametrize("symbol, number", [
    ("Ca", 20), ("CA", 20), ("ca", 20), ("  Fe", 26), ("D", 1), ("Uun", 110), ("Xx", 0), ("", 0),
])
def test_atomic_number_from_symbol(symbol, number):
    assert k.GetAtomicNumFromSymbol(symbol) == number


@pytest.mark.parametrize("suffix, code", [
    ("PDB", 3), ("pdb.gz", 3), ("pdb7", 3), ("pdbx", 0), ("sdf.gz", 8), ("sdfx", 0), ("rxn", 2),
    ("ism", 6), ("", 0),
])
def test_format_from_suffix(suffix, code):
    assert k.FormatFromSuffix(suffix) == code


@pytest.mark.parametrize("code, name", [
    (0, "UNDEFINED"), (6, "Canonical stereo SMILES"), (27, "Chemaxon Extended SMILES"),
])
def test_format_names(code, name):
    assert k.FormatName(code) == name


def test_format_name_out_of_range_warns(capfd):
    before = warnings_count()
    assert k.FormatName(28) == ""
    assert warnings_count() == before + 1
    assert "Warning: Stream format tag out of range 28\n" in capfd.readouterr().err


# --- reading the real files -------------------------------------------------

def pdb_records(name):
    """ATOM/HETATM lines of the file's first model."""
    records = []
    for line in (DATA / name).read_text().splitlines():
        if line.startswith("ENDMDL"):
            break
        if line.startswith(("ATOM  ", "HETATM")):
            records.append(line.ljust(80))
    return records


@pytest.mark.parametrize("name", PDB_FILES)
def test_pdb_atoms_match_their_records(name):
    mol = k.ReadMolecule(DATA / name)
    records = pdb_records(name)
    atoms = mol.GetAtoms()
    assert mol.NumAtoms() == len(atoms) == len(records)
    for atom, line in zip(atoms, records):
        res = k.GetAtomResidue(atom)
        assert atom.GetName() == line[12:16].strip()
        assert (res.residueName, res.chainId, res.residueNumber) == \
               (line[17:20].strip(), line[21], int(line[22:26]))
        assert (res.alternateLocation, res.insertCode) == (line[16], line[26])
        assert res.serialNumber == int(line[6:11])
        assert res.hetAtom == line.startswith("HETATM")
        assert (res.occupancy, res.bFactor) == pytest.approx(
            (float(line[54:60]), float(line[60:66])), abs=1e-5)
        assert mol.GetCoords(atom) == pytest.approx(
            [float(line[c:c + 8]) for c in (30, 38, 46)], abs=1e-4)
        # The element column when the file has one, else the atom name's first letter.
        symbol = line[76:78] if line[76:78].strip().isalpha() else re.sub("[^A-Z]", "", line[12:16])[:1]
        assert atom.GetAtomicNum() == k.GetAtomicNumFromSymbol(symbol)


@pytest.mark.parametrize("name, resname, count", [
    ("1hpv.pdb", "478", 35), ("1hpv.pdb", "HOH", 80), ("3al1.pdb", "HOH", 30),
    ("3al1.pdb", "MPD", 44),
])
def test_ligands_and_waters_are_hetero_atoms(name, resname, count):
    mol = k.ReadMolecule(DATA / name)
    hits = [a for a in mol.GetAtoms() if k.GetAtomResidue(a).residueName == resname]
    assert len(hits) == count
    assert all(k.GetAtomResidue(a).hetAtom for a in hits)


def secondary_structure_of(name):
    """(chain, residue number) -> flag word expected from HELIX and SHEET records."""
    flags = {}
    helix_class_flags = {1: 10, 3: 12, 5: 9, 6: 138, 7: 136, 8: 136}
    for line in (DATA / name).read_text().splitlines():
        if line.startswith("HELIX "):
            chain, first, last = line[19], int(line[21:25]), int(line[33:37])
            value = helix_class_flags.get(int(line[38:40]), 8)
        elif line.startswith("SHEET "):
            chain, first, last, value = line[21], int(line[22:26]), int(line[33:37]), 32
        else:
            continue
        for number in range(first, last + 1):
            flags[(chain, number)] = value
    return flags


@pytest.mark.parametrize("name", ["1hpv.pdb", "3al1.pdb"])
def test_secondary_structure_flags(name):
    expected = secondary_structure_of(name)
    assert expected
    mol = k.ReadMolecule(DATA / name)
    for atom in mol.GetAtoms():
        res = k.GetAtomResidue(atom)
        assert res.secondaryStructure == expected.get((res.chainId, res.residueNumber), 0)


def test_peptide_bonds_are_perceived():
    mol = k.ReadMolecule(DATA / "pept.pdb")
    by_residue = {}
    for atom in mol.GetAtoms():
        by_residue.setdefault(k.GetAtomResidue(atom).residueNumber, {})[atom.GetName()] = atom
    numbers = sorted(by_residue)
    for this, following in zip(numbers, numbers[1:]):
        carbon, nitrogen = by_residue[this]["C"], by_residue[following]["N"]
        assert any(b.GetNeighbour(carbon) == nitrogen for b in carbon.GetBonds())
    for atom in mol.GetAtoms():
        for bond in atom.GetBonds():
            other = bond.GetNeighbour(atom)
            if atom.GetAtomicNum() <= 10 and other.GetAtomicNum() <= 10:
                assert math.dist(mol.GetCoords(atom), mol.GetCoords(other)) <= 2.0


def mdl_counts(block):
    line = block.splitlines()[3]
    return int(line[0:3]), int(line[3:6])


def mol2_counts(block):
    lines = block.splitlines()
    fields = lines[lines.index("@<TRIPOS>MOLECULE") + 2].split()
    return int(fields[0]), int(fields[1])


def small_molecule_records(name):
    text = (DATA / name).read_text()
    if name.endswith(".mol2"):
        return [mol2_counts("@<TRIPOS>MOLECULE" + r)
                for r in text.split("@<TRIPOS>MOLECULE")[1:]]
    return [mdl_counts(r) for r in text.split("$$$$\n") if r.strip()]


@pytest.mark.parametrize("name", ["small01.mol", "ligs3d.sdf", "LIG_1HPV.mol2", "small03.mol2"])
def test_small_molecule_counts_match_the_file(name):
    molecules = k.ReadMolecules(DATA / name)
    assert [(m.NumAtoms(), m.NumBonds()) for m in molecules] == small_molecule_records(name)
    first = k.ReadMolecule(DATA / name)
    assert (first.NumAtoms(), first.NumBonds()) == (molecules[0].NumAtoms(), molecules[0].NumBonds())
    assert not any(k.HasAtomResidue(a) for a in first.GetAtoms())
    assert k.GetAtomResidue(first.GetAtom(0)).residueName == "UNL"


@pytest.mark.parametrize("path", [str(DATA / "pept.pdb"), bytes(DATA / "pept.pdb"), DATA / "pept.pdb"])
def test_paths_may_be_str_bytes_or_pathlike(path):
    assert k.ReadMolecule(path).NumAtoms() == 107


def test_gzip_and_explicit_format(tmp_path):
    packed = tmp_path / "pept.pdb.gz"
    packed.write_bytes(gzip.compress((DATA / "pept.pdb").read_bytes()))
    assert k.ReadMolecule(packed).NumAtoms() == 107
    renamed = tmp_path / "pept.txt"
    renamed.write_bytes((DATA / "pept.pdb").read_bytes())
    assert k.ReadMolecule(renamed, fmt=3).NumAtoms() == 107


@pytest.mark.parametrize("suffix", [".pdb", ".pdb.gz"])
def test_write_and_read_back(tmp_path, suffix):
    original = k.ReadMolecule(DATA / "3al1.pdb")
    original.DeleteAtom(original.GetAtom(0))
    path = tmp_path / ("out" + suffix)
    k.WriteMolecule(path, original)
    again = k.ReadMolecule(path)
    assert again.NumAtoms() == original.NumAtoms() == 678
    for a, b in zip(original.GetAtoms(), again.GetAtoms()):
        ra, rb = k.GetAtomResidue(a), k.GetAtomResidue(b)
        assert (a.GetName(), a.GetAtomicNum(), original.GetCoords(a)) == \
               (b.GetName(), b.GetAtomicNum(), again.GetCoords(b))
        assert (ra.residueName, ra.residueNumber, ra.chainId, ra.alternateLocation, ra.hetAtom) == \
               (rb.residueName, rb.residueNumber, rb.chainId, rb.alternateLocation, rb.hetAtom)


# --- files that cannot be read ----------------------------------------------

def test_missing_files_and_directories(tmp_path):
    with pytest.raises(FileNotFoundError):
        k.ReadMolecule(tmp_path / "absent.pdb")
    with pytest.raises(FileNotFoundError):
        k.ReadMolecules(tmp_path / "absent.sdf")
    with pytest.raises(IsADirectoryError):
        k.ReadMolecule(tmp_path)
    with pytest.raises(OSError):
        k.WriteMolecule(tmp_path / "no" / "such" / "dir.pdb", chain_of(1)[0])


@pytest.mark.parametrize("name, content", [
    ("garbage.pdb", b"hello\nthis is not a structure\n"),
    ("empty.sdf", b""),
    ("truncated.mol", b"\n".join((DATA / "small01.mol").read_bytes().splitlines()[:20])),
    ("truncated.mol2", b"\n".join((DATA / "LIG_1HPV.mol2").read_bytes().splitlines()[:12])),
    ("counts.sdf", b"name\n  prog\n\nxx yy  0  0  0  0  0  0  0  0999 V2000\nM  END\n$$$$\n"),
    ("notgzip.pdb.gz", b"\x1f\x8b this is not gzip data"),
    ("binary.mol2", bytes(range(256)) * 4),
    ("unknown.suffix", (DATA / "pept.pdb").read_bytes()),
])
def test_unreadable_content_is_value_error(tmp_path, name, content):
    path = tmp_path / name
    path.write_bytes(content)
    with pytest.raises(ValueError, match=re.escape(name)):
        k.ReadMolecule(path)


def test_format_without_reader_or_writer(tmp_path):
    with pytest.raises(ValueError):
        k.ReadMolecule(DATA / "pept.pdb", fmt=1)
    with pytest.raises(ValueError):
        k.WriteMolecule(tmp_path / "out.sdf", chain_of(1)[0])


# --- lifetime ---------------------------------------------------------------

def test_proxies_keep_their_molecule_alive():
    mol, atoms = chain_of(2)
    watch = weakref.ref(mol)
    bond = atoms[0].GetBonds()[0]
    del mol, atoms
    gc.collect()
    assert watch() is not None and bond.GetEnd().GetIndex() == 1
    del bond
    gc.collect()
    assert watch() is None


SNAPSHOT = """
import lumora.kamol as k

def snapshot(atom, bond, atoms, neighbour):
    return [atom.GetName(), k.GetAtomResidue(atom).residueName, atom.GetOwner().NumAtoms(),
            bond.GetOrder(), bond.GetBgn().GetName(), len(atoms), atoms[-1].GetName(),
            neighbour.GetName()]
"""


def test_atoms_from_temporary_molecules_stay_usable():
    # A dangling atom would crash the interpreter: run in a child, and
    # compare with the same reads on a molecule that is held.
    path = str(DATA / "1hpv.pdb")
    proc = run_python(SNAPSHOT + textwrap.dedent(f"""
        import gc
        path = {path!r}
        atom = k.ReadMolecule(path).GetAtom(0)
        bond = k.ReadMolecule(path).GetAtom(1).GetBonds()[0]
        atoms = k.ReadMolecule(path).GetAtoms()
        second = k.ReadMolecule(path).GetAtom(1)
        neighbour = second.GetBonds()[0].GetNeighbour(second)
        del second
        gc.collect()
        junk = [k.ReadMolecule(path) for _ in range(3)]
        print(snapshot(atom, bond, atoms, neighbour))
        """))
    assert proc.returncode == 0, proc.stderr
    namespace = {"k": k}
    exec(SNAPSHOT, namespace)
    held = k.ReadMolecule(path)
    second = held.GetAtom(1)
    expected = namespace["snapshot"](held.GetAtom(0), second.GetBonds()[0], held.GetAtoms(),
                                     second.GetBonds()[0].GetNeighbour(second))
    assert proc.stdout == "%r\n" % expected


# --- message handler --------------------------------------------------------

@pytest.fixture
def handler():
    h = k.ErrorHandler()
    strict, level = h.GetStrict(), h.GetLevel()
    yield h
    h.SetStrict(strict)
    h.SetLevel(level)


def test_handler_prints_counts_and_filters(handler, capfd):
    handler.ClearCounts()
    handler.Msg(4, "something odd")
    handler.Msg(2, "below the threshold")
    handler.Msg(1, "debug below the threshold")
    handler.Msg(3, "plain")
    assert capfd.readouterr().err == "Warning: something odd\nplain\n"
    assert (handler.Count(4), handler.Count(2), handler.Count(3), handler.Count(0)) == (1, 0, 1, 2)
    handler.SetLevel(1)
    handler.Msg(1, "now shown")
    handler.Msg(8, "counted only")
    assert capfd.readouterr().err == "Debug: now shown\n"
    assert handler.Count(1) == handler.Count(8) == 1


def test_handler_non_strict_error_and_unknown_levels(handler, capfd):
    handler.SetStrict(False)
    assert handler.GetStrict() is False
    handler.ClearCounts()
    slot0 = handler.Count(9)
    handler.Msg(5, "recoverable")
    handler.Msg(12, "odd level")
    assert capfd.readouterr().err == "Warning: recoverable\nUnknown Error Level(12): odd level\n"
    assert handler.Count(4) == 1 and handler.Count(5) == 0
    assert handler.Count(12) == handler.Count(9) == slot0 + 1
    handler.ClearCounts()
    assert handler.Count(0) == 0 and handler.Count(12) == slot0 + 1


def test_handler_levels_are_per_thread(handler, capfd):
    before = warnings_count()

    def quiet_worker():
        worker_handler = k.ErrorHandler()
        worker_handler.SetLevel(5)
        k.FormatName(99)
        # Thread ids are reused: leave the default for the next thread.
        worker_handler.SetLevel(3)

    worker = threading.Thread(target=quiet_worker)
    worker.start()
    worker.join()
    assert handler.GetLevel() == 3
    k.FormatName(98)
    assert capfd.readouterr().err == "Warning: Stream format tag out of range 98\n"
    assert warnings_count() == before + 1


@pytest.mark.parametrize("setup, message, status, printed", [
    ("", "Msg(6, 'giving up')", 1, "Fatal: giving up\n"),
    ("", "Msg(7, 'how to use')", 0, "Usage: how to use\n"),
    ("", "Msg(5, 'strict error')", 1, "Fatal: strict error\n"),
    ("h.SetLevel(7)", "Msg(6, 'filtered but fatal')", 1, ""),
    ("h.SetLevel(6)", "Msg(5, 'below the threshold')", 0, ""),
])
def test_fatal_levels_end_the_process(setup, message, status, printed):
    proc = run_python(f"""
        import lumora.kamol as k
        h = k.ErrorHandler()
        {setup}
        print("before", flush=False)
        h.{message}
        print("after")
        """)
    assert proc.returncode == status
    assert proc.stderr == printed
    expected_stdout = "before\nafter\n" if status == 0 and not printed else "before\n"
    assert proc.stdout == expected_stdout


# --- bad arguments never crash ----------------------------------------------

BAD_SETUP = f"""
import lumora.kamol as k
mol = k.KaGraphMol()
a, b = mol.NewAtom(6), mol.NewAtom(8)
bond = mol.NewBond(a, b)
gone = mol.NewAtom(7)
mol.DeleteAtom(gone)
foreign = k.KaGraphMol().NewAtom(1)
res = k.KaResidue()
h = k.ErrorHandler()
pdb = {str(DATA / "pept.pdb")!r}
"""

BAD_CASES = [
    ("NewAtom(-1)", "mol.NewAtom(-1)", "ValueError"),
    ("NewAtom(2**32)", "mol.NewAtom(2**32)", "ValueError"),
    ("NewAtom(None)", "mol.NewAtom(None)", "TypeError"),
    ("NewAtom(6.0)", "mol.NewAtom(6.0)", "TypeError"),
    ("NewAtom()", "mol.NewAtom()", "TypeError"),
    ("NewBond(a, None)", "mol.NewBond(a, None)", "TypeError"),
    ("NewBond(a, mol)", "mol.NewBond(a, mol)", "TypeError"),
    ("NewBond(a, b, -1)", "mol.NewBond(a, b, -1)", "ValueError"),
    ("NewBond(order=2**33)", "mol.NewBond(a, b, order=2**33)", "ValueError"),
    ("NewBond(gone)", "mol.NewBond(a, gone)", "ValueError"),
    ("NewBond(foreign)", "mol.NewBond(a, foreign)", "ValueError"),
    ("NewBond(a, a)", "mol.NewBond(a, a)", "ValueError"),
    ("GetCoords(foreign)", "mol.GetCoords(foreign)", "ValueError"),
    ("SetCoords(foreign)", "mol.SetCoords(foreign, (1, 2, 3))", "ValueError"),
    ("DeleteAtom(None)", "mol.DeleteAtom(None)", "TypeError"),
    ("GetAtom(-1)", "mol.GetAtom(-1)", "IndexError"),
    ("GetAtom(-2**70)", "mol.GetAtom(-2**70)", "IndexError"),
    ("GetAtom(None)", "mol.GetAtom(None)", "TypeError"),
    ("GetAtom(0.0)", "mol.GetAtom(0.0)", "TypeError"),
    ("SetCoords(None xyz)", "mol.SetCoords(a, None)", "TypeError"),
    ("SetCoords(2 values)", "mol.SetCoords(a, (1, 2))", "ValueError"),
    ("SetCoords(str)", "mol.SetCoords(a, 'xyz')", "TypeError"),
    ("SetCoords(str item)", "mol.SetCoords(a, (1, '2', 3))", "TypeError"),
    ("SetCoords(huge)", "mol.SetCoords(a, (1e300, 0, 0))", "ValueError"),
    ("SetCoords(None atom)", "mol.SetCoords(None, (0, 0, 0))", "TypeError"),
    ("GetCoords(None)", "mol.GetCoords(None)", "TypeError"),
    ("GetCoords(mol)", "mol.GetCoords(mol)", "TypeError"),
    ("SetTitle(None)", "mol.SetTitle(None)", "TypeError"),
    ("SetTitle(bytes)", "mol.SetTitle(b'x')", "TypeError"),
    ("SetTitle(NUL)", "mol.SetTitle('a\\0b')", "ValueError"),
    ("SetName(None)", "a.SetName(None)", "TypeError"),
    ("SetAtomicNum(-5)", "a.SetAtomicNum(-5)", "ValueError"),
    ("GetNeighbour(None)", "bond.GetNeighbour(None)", "TypeError"),
    ("SetIntData(2**31)", "a.SetIntData(1, 2**31)", "ValueError"),
    ("SetIntData(1.5)", "a.SetIntData(1, 1.5)", "TypeError"),
    ("SetDoubleData(str)", "a.SetDoubleData(1, 'x')", "TypeError"),
    ("HasData(-1)", "a.HasData(-1)", "ValueError"),
    ("GetIntData(None)", "mol.GetIntData(None)", "TypeError"),
    ("TagFromName(None)", "k.TagFromName(None)", "TypeError"),
    ("insertCode 'AB'", "setattr(res, 'insertCode', 'AB')", "ValueError"),
    ("insertCode ''", "setattr(res, 'insertCode', '')", "ValueError"),
    ("insertCode 'é'", "setattr(res, 'insertCode', 'é')", "ValueError"),
    ("alternateLocation 1", "setattr(res, 'alternateLocation', 1)", "TypeError"),
    ("residueNumber 2**31", "setattr(res, 'residueNumber', 2**31)", "ValueError"),
    ("fragmentNumber -1", "setattr(res, 'fragmentNumber', -1)", "ValueError"),
    ("occupancy 'x'", "setattr(res, 'occupancy', 'x')", "TypeError"),
    ("chainId None", "setattr(res, 'chainId', None)", "TypeError"),
    ("KaResidue(bad field)", "k.KaResidue(nonsense=1)", "TypeError"),
    ("GetAtomResidue(None)", "k.GetAtomResidue(None)", "TypeError"),
    ("GetAtomResidue(mol)", "k.GetAtomResidue(mol)", "TypeError"),
    ("SetAtomResidue(None)", "k.SetAtomResidue(a, None)", "TypeError"),
    ("SetAtomResidue(5)", "k.SetAtomResidue(a, 5)", "TypeError"),
    ("HasAtomResidue(gone)", "k.HasAtomResidue(gone)", "ValueError"),
    ("GetAtomicNumFromSymbol(None)", "k.GetAtomicNumFromSymbol(None)", "TypeError"),
    ("FormatFromSuffix(None)", "k.FormatFromSuffix(None)", "TypeError"),
    ("FormatName(-1)", "k.FormatName(-1)", "ValueError"),
    ("ReadMolecule(None)", "k.ReadMolecule(None)", "TypeError"),
    ("ReadMolecule(NUL)", "k.ReadMolecule('a\\0b.pdb')", "ValueError"),
    ("ReadMolecule(fmt=-1)", "k.ReadMolecule(pdb, fmt=-1)", "ValueError"),
    ("ReadMolecule(fmt=999)", "k.ReadMolecule(pdb, fmt=999)", "ValueError"),
    ("ReadMolecules(fmt=None)", "k.ReadMolecules(pdb, fmt=None)", "TypeError"),
    ("WriteMolecule(None)", "k.WriteMolecule('/tmp/x.pdb', None)", "TypeError"),
    ("Count(-1)", "h.Count(-1)", "ValueError"),
    ("SetLevel(None)", "h.SetLevel(None)", "TypeError"),
    ("SetStrict(1)", "h.SetStrict(1)", "TypeError"),
    ("Msg(None text)", "h.Msg(4, None)", "TypeError"),
    ("KaMolBase()", "k.KaMolBase()", "TypeError"),
    ("KaAtomBase()", "k.KaAtomBase()", "TypeError"),
    ("KaBondBase()", "k.KaBondBase()", "TypeError"),
    ("KaErrorHandlerImplBase()", "k.KaErrorHandlerImplBase()", "TypeError"),
]


@pytest.fixture(scope="module")
def bad_outcomes():
    return outcomes(BAD_SETUP, [(name, expr) for name, expr, _ in BAD_CASES])


@pytest.mark.parametrize("name, expected", [(n, e) for n, _, e in BAD_CASES],
                         ids=[n for n, _, _ in BAD_CASES])
def test_bad_arguments_raise(bad_outcomes, name, expected):
    assert_raised(bad_outcomes, name, expected)


# --- cooperation with the selection module ------------------------------------

def test_objects_travel_through_the_shared_type_registry():
    kaselect = pytest.importorskip("kaselect")
    mol = k.ReadMolecule(DATA / "1hpv.pdb")
    assert kaselect.CountSelection(mol, "all") == mol.NumAtoms()
    assert kaselect.CountSelection(mol, "water") == 80
    select = kaselect.KaSelect(mol, "resn 478")
    ligand = [a for a in mol.GetAtoms() if select(a)]
    assert len(ligand) == 35
