"""Molecular-dynamics conventions at the binding's layer: segments and ions
through from_mdanalysis, the segment API, and where a selection text goes
wrong (parse_failure and the command-line tool's report). The systems are
cut from the bundled structures and written as MD tools write them."""
import os
import subprocess
import sys

import numpy
import pytest
from hypothesis import given, settings, strategies as st

import kaselect
from lumora import kamol

DATA = os.path.join(os.path.dirname(__file__), "..", "data")


def _atom_lines(name):
    with open(os.path.join(DATA, name)) as handle:
        return [line[:66] for line in handle if line.startswith(("ATOM", "HETATM"))]


@pytest.fixture(scope="module")
def two_segments(tmp_path_factory):
    """pept.pdb twice in chain E, as segments PROA and PROB (columns 73-76)."""
    lines = _atom_lines("pept.pdb")
    text = "".join(f"{line}      {segment}\n" for segment in ("PROA", "PROB") for line in lines)
    path = tmp_path_factory.mktemp("md") / "two_segments.pdb"
    path.write_text(text + "END\n")
    return path, len(lines)


def test_segments_stay_apart_read_and_converted(two_segments):
    mda = pytest.importorskip("MDAnalysis")
    path, per_copy = two_segments
    read = kamol.ReadMolecule(str(path))
    gemmi = pytest.importorskip("gemmi")
    converted = kaselect.from_mdanalysis(mda.Universe(str(path)))
    from_gemmi = kaselect.from_gemmi(gemmi.read_structure(str(path)))
    first_residue = kaselect.CountSelection(read, "resi 1") // 2
    for mol in (read, converted, from_gemmi):
        assert kaselect.segments(mol) == {"PROA": "A", "PROB": "B"}
        assert kaselect.CountSelection(mol, f"byres index {per_copy}") == first_residue
        numpy.testing.assert_array_equal(kaselect.segment_indices(mol, " PROB"),
                                         numpy.arange(per_copy, 2 * per_copy, dtype=numpy.uint32))
        assert kaselect.select_indices(mol, "chain B").tolist() == list(range(per_copy, 2 * per_copy))
    with pytest.raises(KeyError):
        kaselect.segment_indices(read, "PROC")
    with pytest.raises(TypeError):
        kaselect.segment_indices(read, 1)


def test_from_arrays_segments_without_chains():
    """A topology with segment ids and no chain ids (as PSF and GRO give)."""
    xyz = numpy.zeros((4, 3))
    mol = kaselect.from_arrays(xyz, names=["CA"] * 4, resnames=["ALA"] * 4, resids=[1, 1, 1, 2],
                               chains=None, segments=["PROA", "PROA", "PROB", "WAT"])
    assert kaselect.segments(mol) == {"PROA": "A", "PROB": "B", "WAT": "T"}
    assert kaselect.CountSelection(mol, "byres index 0") == 2


def test_ions_of_a_topology_without_elements(tmp_path):
    """A GRO file (names and residue names only) whose waters became ions."""
    mda = pytest.importorskip("MDAnalysis")
    universe = mda.Universe(os.path.join(DATA, "1hpv.pdb"))
    waters = universe.select_atoms("resname HOH").residues[:4]
    for residue, name in zip(waters, ("SOD", "CLA", "NA", "POT")):
        residue.resname = name
        residue.atoms.names = [name]
    path = tmp_path / "box.gro"
    universe.atoms.write(str(path))
    gro = mda.Universe(str(path))
    assert not hasattr(gro.atoms, "elements") or not all(gro.atoms.elements)
    mol = kaselect.from_mdanalysis(gro, perceive_bonds=False)
    assert [kaselect.CountSelection(mol, f"elem {e}") for e in ("Na", "Cl", "K")] == [2, 1, 1]
    assert kaselect.CountSelection(mol, "metal") == 3
    assert kaselect.CountSelection(mol, "protein and name CA and elem C") == \
        kaselect.CountSelection(mol, "protein and name CA")


def test_parse_failure_counts_characters():
    assert kaselect.parse_failure('name "Å" and resn MG2+') == (21, 'resn "MG2+"')  # 22 in bytes


_TOKENS = ["water", "resn", "name", "NA+", '"NA+"', "CA+CB", "and", "or", "not", "byres", "(", ")", "around",
           "5", "resi", "<", "10-20", "chain", "AB", "A", "O1'", "//A/10/CA", "-", "+"]


@given(st.lists(st.sampled_from(_TOKENS), max_size=8), st.lists(st.sampled_from(["", " ", "  "]), min_size=8,
                                                                   max_size=8))
@settings(max_examples=300, deadline=None)
def test_parse_failure_agrees_with_the_parser(tokens, blanks):
    text = "".join(t + b for t, b in zip(tokens, blanks))
    try:
        kaselect.KaSelection.Parse(text)
        parses = True
    except ValueError:
        parses = False
    except RuntimeError:  # a number out of range: the grammar matched
        parses = True
    found = kaselect.parse_failure(text)
    assert (found is None) == parses, text
    assert found is None or 0 <= found[0] <= len(text)


def test_parse_failure_takes_only_text():
    with pytest.raises(TypeError):
        kaselect.parse_failure(b"water")


def test_command_line_points_at_the_fault():
    result = subprocess.run([sys.executable, "-m", "kaselect", os.path.join(DATA, "pept.pdb"), "water or resn NA+"],
                            capture_output=True, text=True, timeout=120)
    assert result.returncode == 2
    lines = result.stderr.splitlines()
    assert lines[0] == "kaselect: Failed to parse selection: water or resn NA+"
    assert lines[1:3] == ["  water or resn NA+", "  " + " " * 16 + "^ at column 17"]
    assert lines[3].endswith('resn "NA+"') and len(lines) == 4
    quoted = subprocess.run([sys.executable, "-m", "kaselect", os.path.join(DATA, "pept.pdb"), 'resn "NA+"',
                             "--count"], capture_output=True, text=True, timeout=120)
    assert (quoted.returncode, quoted.stdout) == (0, "0\n")


def test_command_line_lists_segments(two_segments):
    path, _ = two_segments
    listed = subprocess.run([sys.executable, "-m", "kaselect", str(path), "--segments"],
                            capture_output=True, text=True, timeout=120)
    assert (listed.returncode, listed.stdout) == (0, "PROA A\nPROB B\n")
    both = subprocess.run([sys.executable, "-m", "kaselect", str(path), "water", "--segments"],
                          capture_output=True, text=True, timeout=120)
    assert both.returncode == 2 and "--segments takes a STRUCTURE" in both.stderr
