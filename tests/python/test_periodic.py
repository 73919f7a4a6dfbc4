"""Periodic boxes from Python (cells set, read from files, taken from
MDAnalysis and per frame, --periodic), and minimum-image answers against
MDAnalysis: selections with periodic=True and distance_array with a box.
MDAnalysis decides some distances in double precision and counts a distance
equal to the cutoff as within; kaselect compares in single precision and
strictly. Atoms whose nearest source lies within TIE of the cutoff may go
either way and are left out of the comparisons, explicitly."""
import gzip
import json
import subprocess
import sys
import warnings
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"
TIE = 1e-4


def within_of_cutoff(distances, cutoff):
    """Rows of a (targets, sources) distance matrix: (selected, undecided),
    selected meaning nearer than `cutoff` to some source, undecided meaning
    the nearest source lies within TIE of the cutoff."""
    nearest = distances.min(axis=1)
    return nearest < cutoff, np.abs(nearest - cutoff) < TIE


def two_groups(rng, box, sources, targets, spread=3):
    """Random float32 points over `spread` boxes each way (as an unwrapped
    trajectory leaves them): `sources` as residue SRC, then `targets`."""
    xyz = (rng.uniform(-spread, spread + 1, (sources + targets, 3)) * box[:3]).astype(np.float32)
    mol = kaselect.from_arrays(xyz, names=["C"] * len(xyz), resnames=["SRC"] * sources + ["TGT"] * targets,
                               resids=list(range(len(xyz))), chains=None)
    return mol, xyz[sources:], xyz[:sources]


# ---- setting and reading cells ------------------------------------------------------

@pytest.mark.parametrize("given", [(50.0, 60.0, 70.0, 90.0, 90.0, 90.0), [50, 60, 70, 80, 95, 100],
                                   np.array([50.1, 60.2, 70.3, 90, 90, 120], dtype=np.float32)])
def test_set_cell_takes_sequences_and_arrays(given):
    mol = kamol.ReadMolecule(str(DATA / "pept.pdb"))
    kaselect.set_cell(mol, given)
    cell = kaselect.get_cell(mol)
    assert all(type(v) is float for v in cell) and cell == tuple(float(v) for v in given)  # float32 kept exactly
    kaselect.set_cell(mol, None)
    assert kaselect.get_cell(mol) is None


@pytest.mark.parametrize("bad, error, words", [
    ((50, 60, 70, 90, 90), ValueError, "six numbers"), (np.ones((1, 6)), ValueError, "shape (1, 6)"),
    ("506070", TypeError, "sequence"), ((50, 60, "70", 90, 90, 90), TypeError, "numbers"),
    (5.0, TypeError, "sequence"),
    ((0, 60, 70, 90, 90, 90), ValueError, "length a"),  # which cells are boxes: the C++ tests
])
def test_bad_cells_raise_and_change_nothing(bad, error, words):
    mol = kamol.ReadMolecule(str(DATA / "pept.pdb"))
    kaselect.set_cell(mol, (40, 40, 40, 90, 90, 90))
    with pytest.raises(error) as info:
        kaselect.set_cell(mol, bad)
    assert words in str(info.value)
    assert kaselect.get_cell(mol) == (40.0, 40.0, 40.0, 90.0, 90.0, 90.0)
    with pytest.raises(TypeError, match="expected a molecule"):
        kaselect.set_cell(bad, None)


def test_read_cell_agrees_with_gemmi_and_leaves_files_without_a_box(tmp_path):
    gemmi = pytest.importorskip("gemmi")
    for name in ("1hpv.pdb", "3al1.pdb"):   # hexagonal and triclinic cells
        structure = gemmi.read_pdb(str(DATA / name), max_line_length=78)
        cell = structure.cell
        expected = (cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma)
        # Compressed files are known by their first bytes, with or without ".gz".
        mmcif, gz = tmp_path / (name[:-4] + ".cif"), tmp_path / (name + ".gz" if "1hpv" in name else "z" + name)
        structure.make_mmcif_document().write_file(str(mmcif))
        gz.write_bytes(gzip.compress((DATA / name).read_bytes()))
        for path in (DATA / name, mmcif, gz):
            assert kaselect.read_cell(path) == pytest.approx(expected, abs=1e-9), path
        assert kaselect.get_cell(kamol.ReadMolecule(str(DATA / name))) is None  # not applied by reading
    atom = "ATOM      1  O   HOH A   1       1.000   2.000   3.000  1.00  0.00           O\n"
    cases = {
        "placeholder.pdb": ("CRYST1    1.000    1.000    1.000  90.00  90.00  90.00 P 1           1\n" + atom, None),
        "zeros.pdb": ("CRYST1    0.000    0.000    0.000  90.00  90.00  90.00 P 1           1\n" + atom, None),
        "late.pdb": (atom + "CRYST1   30.000   30.000   30.000  90.00  90.00  90.00 P 1\n", None),
        "unknown.cif": ("data_x\n_cell.length_a ?\n_cell.length_b ?\n_cell.length_c ?\n"
                        "_cell.angle_alpha ?\n_cell.angle_beta ?\n_cell.angle_gamma ?\n", None),
        "small.cif": ("data_s\n_cell_length_a 10.5(2)\n_cell_length_b 11\n_cell_length_c 12.25\n"
                      "_cell_angle_alpha 90\n_cell_angle_beta 101.5(1)\n_cell_angle_gamma 90\n",
                      (10.5, 11.0, 12.25, 90.0, 101.5, 90.0)),
    }
    for name, (text, expected) in cases.items():
        (tmp_path / name).write_text(text)
        assert kaselect.read_cell(tmp_path / name) == expected, name
    assert kaselect.read_cell(DATA / "ligs3d.sdf") is None
    (tmp_path / "broken.pdb").write_text("CRYST1   abc\n" + atom)
    with pytest.raises(ValueError, match="CRYST1"):
        kaselect.read_cell(tmp_path / "broken.pdb")
    with pytest.raises(OSError):
        kaselect.read_cell(tmp_path / "missing.pdb")


# ---- minimum image against MDAnalysis' distance_array ---------------------------------------

BOXES = {
    "orthorhombic": np.array([20.0, 23.0, 17.5, 90, 90, 90], dtype=np.float32),
    "triclinic": np.array([21.0, 19.0, 24.0, 75, 100, 65], dtype=np.float32),
    "skewed": np.array([35.446037, 35.06156, 34.158504, 91.328026, 61.735207, 44.40703], dtype=np.float32),
}


@pytest.mark.parametrize("shape", BOXES)
@pytest.mark.parametrize("cutoff", [3.5, 9.0, 14.0])   # 14 lies beyond half of every box's width
def test_unwrapped_points_agree_with_distance_array(shape, cutoff):
    lib = pytest.importorskip("MDAnalysis.lib.distances")
    box = BOXES[shape]
    # Few sources for long cutoffs, so that some targets stay out of reach.
    mol, targets, sources = two_groups(np.random.default_rng(int(cutoff)), box, {3.5: 12, 9.0: 3, 14.0: 1}[cutoff], 3000)
    kaselect.set_cell(mol, box)
    distances = lib.distance_array(targets, sources, box=box)
    selected, undecided = within_of_cutoff(distances, cutoff)
    decided = np.flatnonzero(~undecided)
    assert len(decided) > len(targets) - 5 and 0 < selected.sum() < len(targets)
    for text, expected in ((f"resn SRC around {cutoff}", selected), (f"resn SRC beyond {cutoff}", ~selected)):
        mask = kaselect.select_mask(mol, text)[len(sources):]
        assert np.array_equal(mask[decided], expected[decided]), text


# ---- MDAnalysis trajectories and selections ----------------------------------------------------

def universe(*names):
    """An MDAnalysis Universe of MDAnalysisTests data files."""
    mda = pytest.importorskip("MDAnalysis")
    datafiles = pytest.importorskip("MDAnalysisTests.datafiles")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return mda.Universe(*(getattr(datafiles, name) for name in names))


# Per system: the Universe's files, and (kaselect, MDAnalysis, the sources of
# the distance test, cutoff) with residue names written out on both sides.
# The adk water box (a triclinic box of 80 Å edges and angles 60, 60, 90)
# holds protein, SOL and NA+ ions; tip125 is 125 TIP3 waters in a strongly
# skewed box that changes every frame (MDAnalysis' grid takes cutoffs up to
# about 4 Å there).
AGREEMENT = {
    "adk water box": (("GRO", "XTC"), [
        ("resn SOL and ((not resn SOL+NA*) around 3.5)", "resname SOL and around 3.5 (not resname SOL NA*)",
         "not resname SOL NA*", 3.5),
        ("byres ((resn NA*) around 5)", "byres (around 5 resname NA*)", "resname NA*", 5.0),
        ("(resn SOL and resi 5000-5100) around 7", "around 7 (resname SOL and resid 5000:5100)",
         "resname SOL and resid 5000:5100", 7.0),
    ]),
    "tip125 triclinic": (("PSF_TRICLINIC", "DCD_TRICLINIC"), [
        ("(resi 1-5) around 3.5", "around 3.5 resid 1:5", "resid 1:5", 3.5),
        ("byres ((resi 1-3) around 3)", "byres (around 3 resid 1:3)", "resid 1:3", 3.0),
    ]),
}


@pytest.mark.parametrize("system", AGREEMENT)
def test_frames_agree_with_mdanalysis(system):
    """Every frame, atom for atom, with each frame's box; and at least one
    answer per system that the box changes."""
    from MDAnalysis.lib.distances import distance_array
    files, selections = AGREEMENT[system]
    u = universe(*files)
    mol = kaselect.from_mdanalysis(u)
    assert kaselect.get_cell(mol) == tuple(u.dimensions.tolist())
    box_matters = 0
    for ts in u.trajectory:
        kaselect.set_coords(mol, ts.positions)
        kaselect.set_cell(mol, ts.dimensions)
        for ours, theirs, sources, cutoff in selections:
            mine = set(kaselect.select_indices(mol, ours).tolist())
            peer = set(u.select_atoms(theirs, periodic=True).indices.tolist())
            differ = np.array(sorted(mine ^ peer), dtype=np.int64)
            if len(differ):
                near = distance_array(ts.positions[differ], ts.positions[u.select_atoms(sources).indices],
                                      box=ts.dimensions)
                differ = differ[~within_of_cutoff(near, cutoff)[1]]
            assert len(differ) == 0 and mine, (ts.frame, ours, differ[:10])
            box_matters += len(peer) != len(u.select_atoms(theirs, periodic=False))
    assert box_matters


def test_select_frames_takes_a_trajectory_and_its_boxes():
    u = universe("PSF_TRICLINIC", "DCD_TRICLINIC")
    mol = kaselect.from_mdanalysis(u)
    text = "(resi 100-125) around 4"
    by_frame = []
    for ts in u.trajectory:
        kaselect.set_coords(mol, ts.positions)
        kaselect.set_cell(mol, ts.dimensions)
        by_frame.append(kaselect.select_indices(mol, text).tolist())
    last_cell = kaselect.get_cell(mol)
    kaselect.set_cell(mol, None)
    frames = np.stack([ts.positions.copy() for ts in u.trajectory])
    assert [a.tolist() for a in kaselect.select_frames(mol, text, frames)] != by_frame  # the boxes matter
    assert [a.tolist() for a in kaselect.select_frames(mol, text, u.trajectory)] == by_frame
    assert [a.tolist() for a in kaselect.select_frames(mol, text, u.trajectory[::3])] == by_frame[::3]
    assert kaselect.get_cell(mol) == last_cell
    # Arrays with cells: one per frame, or one for all.
    boxes = np.stack([ts.dimensions.copy() for ts in u.trajectory])
    assert [a.tolist() for a in kaselect.select_frames(mol, text, frames, cells=boxes)] == by_frame
    assert [a.tolist() for a in kaselect.select_frames(mol, text, frames[3:4], cells=boxes[3])] == by_frame[3:4]
    # Without cells, the molecule's own applies, and stays.
    kaselect.set_cell(mol, boxes[0])
    assert [a.tolist() for a in kaselect.select_frames(mol, text, frames[:1])] == by_frame[:1]
    assert kaselect.get_cell(mol) == tuple(boxes[0].tolist())


def test_select_frames_refuses_bad_cells_before_changing_anything():
    mol = kamol.ReadMolecule(str(DATA / "1hpv.pdb"))
    coords = kaselect.get_coords(mol).copy()
    box = (60.0, 60.0, 60.0, 90.0, 90.0, 90.0)
    kaselect.set_cell(mol, box)
    frames = np.stack([coords + 1, coords + 2])
    for cells, error in (([box] * 3, ValueError), ([box, (0, 60, 60, 90, 90, 90)], ValueError),
                         ((60, 60, 60, 90, 90), ValueError), ([["a"] * 6] * 2, TypeError)):
        with pytest.raises(error):
            kaselect.select_frames(mol, "water", frames, cells=cells)
    # A generator's length is known only at its end.
    answers = kaselect.select_frames(mol, "water", (f for f in frames), cells=[box])
    next(answers)
    with pytest.raises(ValueError, match="cells has a cell for 1 frames, but frames go on"):
        next(answers)
    assert np.array_equal(kaselect.get_coords(mol), coords + 1) and kaselect.get_cell(mol) == box


def test_from_mdanalysis_takes_dimensions_but_not_placeholders():
    u = universe("PDB_small")
    for dimensions, expected in ((None, None), ([0, 0, 0, 90, 90, 90], None), ([1, 1, 1, 90, 90, 90], None),
                                 ([50, 60, 70, 80, 90, 100], (50.0, 60.0, 70.0, 80.0, 90.0, 100.0))):
        u.dimensions = dimensions
        assert kaselect.get_cell(kaselect.from_mdanalysis(u, perceive_bonds=False)) == expected
    u.dimensions = [50, 50, 50, 0, 0, 0]
    with pytest.raises(ValueError, match="describe no periodic box"):
        kaselect.from_mdanalysis(u)


# ---- the command line and batch runs ---------------------------------------------------------

def box_file(tmp_path, cryst1=True):
    """Two atoms 1 Å from opposite faces of a 20 Å cube: 2 Å apart through
    the face, 18 Å apart inside the box."""
    lines = ["CRYST1   20.000   20.000   20.000  90.00  90.00  90.00 P 1           1"] if cryst1 else []
    lines += ["HETATM    1  O   HOH W   1       1.000  10.000  10.000  1.00  0.00           O",
              "HETATM    2  O   HOH W   2      19.000  10.000  10.000  1.00  0.00           O", "END"]
    path = tmp_path / ("box.pdb" if cryst1 else "nobox.pdb")
    path.write_text("\n".join(lines) + "\n")
    return path


def run_tool(*args):
    return subprocess.run([sys.executable, "-m", "kaselect", *map(str, args)], capture_output=True, text=True)


def test_periodic_option_of_the_tool_and_batch_runs(tmp_path):
    from kaselect.batch import select_files
    boxed, plain = box_file(tmp_path), box_file(tmp_path, cryst1=False)
    assert run_tool(boxed, "resi 1 around 3", "--count").stdout == "0\n"
    done = run_tool(boxed, "resi 1 around 3", "--count", "--periodic")
    assert (done.returncode, done.stdout) == (0, "1\n")
    missing = run_tool(plain, "resi 1 around 3", "--periodic")
    assert missing.returncode == 1 and missing.stdout == ""
    assert missing.stderr.count("\n") == 1 and "states no periodic cell" in missing.stderr
    records = list(select_files([boxed, plain], ["resi 1 around 3"], workers=1, periodic=True, ordered=True))
    assert records[0]["count"] == 1 and "states no periodic cell" in records[1]["error"]
    out = tmp_path / "out.jsonl"
    done = run_tool("batch", "-s", "resi 1 around 3", boxed, "-o", out, "--periodic", "--no-progress")
    assert done.returncode == 0 and json.loads(out.read_text())["count"] == 1
