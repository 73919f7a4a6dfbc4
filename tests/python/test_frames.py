"""Selections over frames: select_frames against EvaluateSelection on each
frame's coordinates, and multi-model files read as frames."""
import warnings
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"
TEXTS = ["water and protein around 3.5", "byres (ligand around 5)", "protein and not (ligand beyond 4)",
         "bychain (water expand 2.5) and name CA", "ligand"]


def write_models(path, shifts, edit=None):
    """1hpv's atom records as one model per shift (each atom moved by its own
    multiple of the shift); `edit(model number, lines)` may change a model."""
    atoms = [line for line in (DATA / "1hpv.pdb").read_text().splitlines() if line.startswith(("ATOM", "HETATM"))]
    out = []
    for number, shift in enumerate(shifts, start=1):
        lines = []
        for k, line in enumerate(atoms):
            xyz = [float(line[30 + 8 * i:38 + 8 * i]) + shift * ((k * (i + 1)) % 7 - 3) for i in range(3)]
            lines.append(line[:30] + "".join("%8.3f" % v for v in xyz) + line[54:])
        out += ["MODEL     %4d" % number] + (edit(number, lines) if edit else lines) + ["ENDMDL"]
    path.write_text("\n".join(out + ["END", ""]))
    return path


def test_frames_of_a_multi_model_file_select_as_each_model_alone(tmp_path):
    path = write_models(tmp_path / "models.pdb", [0.0, 0.4, -0.7])
    mol, frames = kaselect.read_frames(str(path))
    models = kamol.ReadMolecules(str(path))
    assert frames.shape == (3, mol.NumAtoms(), 3) and frames.dtype == np.float32
    for frame, model in zip(frames, models):
        assert np.array_equal(frame, kaselect.get_coords(model))
    for text in TEXTS:
        answers = [a.tolist() for a in kaselect.select_frames(mol, text, frames)]
        assert answers == [list(kaselect.EvaluateSelection(m, text)) for m in models], text
    assert np.array_equal(kaselect.get_coords(mol), frames[-1])


def test_an_mdanalysis_trajectory_gives_the_same_frames(tmp_path):
    mda = pytest.importorskip("MDAnalysis")
    path = write_models(tmp_path / "models.pdb", [0.0, 0.5, 1.0])
    mol, frames = kaselect.read_frames(str(path))
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        universe = mda.Universe(str(path))
    text = TEXTS[0]
    from_trajectory = [a.tolist() for a in kaselect.select_frames(mol, text, (ts.positions for ts in universe.trajectory))]
    assert from_trajectory == [a.tolist() for a in kaselect.select_frames(mol, text, frames)]


def rename_first_atom(number, lines):
    return [lines[0][:12] + " XX " + lines[0][16:]] + lines[1:] if number == 3 else lines


@pytest.mark.parametrize("edit, message", [
    (rename_first_atom, "model 3 differs from model 1 at atom row 0: name 'XX', not 'N'"),
    (lambda number, lines: lines[:-1] if number == 2 else lines, "model 2 holds 1630 atoms, model 1 holds 1631"),
])
def test_models_with_other_atoms_are_named(tmp_path, edit, message):
    path = write_models(tmp_path / "models.pdb", [0.0, 0.1, 0.2], edit)
    with pytest.raises(ValueError) as info:
        kaselect.read_frames(str(path))
    assert message in str(info.value)


def test_select_frames_refuses_bad_input_before_changing_anything():
    mol = kamol.ReadMolecule(str(DATA / "1hpv.pdb"))
    coords = kaselect.get_coords(mol).copy()
    with pytest.raises(ValueError):
        kaselect.select_frames(mol, "water and", [coords])
    with pytest.raises(TypeError):
        kaselect.select_frames(mol, "water", 5)
    answers = kaselect.select_frames(mol, "water", [coords + 1, coords[:10]])
    next(answers)
    with pytest.raises(ValueError, match="one row per atom"):
        next(answers)
    assert np.array_equal(kaselect.get_coords(mol), coords + 1)
