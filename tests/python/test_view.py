"""kaselect view: the page in a real browser, the PyMOL script in PyMOL, the
ChimeraX script by its atom specs, and the command's failures."""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import textwrap

import numpy as np
import pytest

import kaselect
from kaselect import views as view_module
from lumora import kamol

from browser import BINARY as CHROMIUM, Chromium

DATA = os.path.join(os.path.dirname(__file__), "..", "data")
COMPLEX = os.path.join(DATA, "1hpv.pdb")
SYSTEM_PYTHON = "/usr/bin/python3"
# Where the screenshots are kept to be looked at (also by a person).
SHOTS = os.environ.get("KASELECT_VIEW_SHOTS")


def run(*args):
    return subprocess.run([sys.executable, "-m", "kaselect", "view", *args],
                          capture_output=True, text=True, timeout=300)


def has_pymol():
    if not os.path.exists(SYSTEM_PYTHON):
        return False
    return subprocess.run([SYSTEM_PYTHON, "-c", "import pymol"], capture_output=True).returncode == 0


@pytest.mark.parametrize("args, status, message", [
    ([COMPLEX, "water and", "-o", "{out}/site.html"], 2, "Failed to parse selection: water and"),
    ([COMPLEX, "ligand", "-o", "{out}/site.png"], 2, "unknown output suffix '.png'"),
    ([os.path.join(DATA, "missing.pdb"), "ligand", "-o", "{out}/site.pml"], 1, "cannot read"),
    ([os.path.join(DATA, "LIG_1HPV.mol2"), "ligand", "--format", "pdb", "-o", "{out}/site.cxc"], 1,
     "cannot read"),
    ([COMPLEX, "ligand", "-o", "{out}/no/such/dir/site.html"], 1, "cannot write"),
])
def test_failures_give_one_line_and_leave_no_file(tmp_path, args, status, message):
    result = run(*[a.format(out=tmp_path) for a in args])
    assert result.returncode == status, result.stderr
    assert result.stderr.count("\n") == 1 and message in result.stderr, result.stderr
    assert "Traceback" not in result.stderr
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("args, error, message", [
    ((None, "ligand"), TypeError, "Null reference."),
    (("1hpv.pdb", "ligand"), TypeError, "Expected KaMolBase-derived object."),
    (("mol",), ValueError, "at least one selection"),
    (("mol", "water and"), ValueError, "Failed to parse selection: water and"),
    (("mol", None), TypeError, "null reference"),
])
def test_python_view_refuses_bad_arguments(args, error, message):
    mol = kamol.ReadMolecule(COMPLEX)
    with pytest.raises(error, match=re.escape(message)):
        kaselect.view(*[mol if a == "mol" else a for a in args])


def test_python_view_saves_only_known_suffixes_and_shows_in_jupyter(tmp_path):
    v = kaselect.view(kamol.ReadMolecule(COMPLEX), "ligand")
    with pytest.raises(ValueError, match="unknown view suffix '.png'"):
        v.save(tmp_path / "site.png")
    assert list(tmp_path.iterdir()) == []
    frame = v._repr_html_()
    assert frame.startswith('<iframe srcdoc="')
    assert html.unescape(frame[len('<iframe srcdoc="'):frame.index('" style=')]) == v.html()


# ---- PyMOL -------------------------------------------------------------------

PYMOL_CASES = [
    ("1hpv.pdb", ["protein and byres (ligand around 5)", "water and ligand around 3.5"]),
    ("1hpv.pdb", ["resn ASP and resi 25 and name CA+CB+CG", "ligand"]),
    ("3al1.pdb", ["water and protein around 3.2", "chain B and resi 203-208 and not hydrogen"]),
    ("pept_models.pdb", ["resn ASP and (resi 2 around 3)"]),
    ("LIG_1HPV.mol2", ["elem N or elem O"]),
    ("ligs3d.sdf", ["not hydrogen"]),
]


def pymol_selections(script, count):
    """Coordinates of sel1..selN after PyMOL ran `script`, in PyMOL's atom order."""
    answer = script + ".json"  # PyMOL's own messages share standard output
    code = textwrap.dedent(f"""
        import json, pymol2
        session = pymol2.PyMOL()  # an instance in this thread, no launcher that may exit first
        session.start()
        cmd = session.cmd
        cmd.load({script!r})
        out = [[atom.coord for atom in cmd.get_model("sel%d" % k).atom] for k in range(1, {count} + 1)]
        with open({answer!r}, "w") as f:
            json.dump(out, f)
    """)
    result = subprocess.run([SYSTEM_PYTHON, "-c", code], capture_output=True, text=True,
                            timeout=120, cwd=os.path.dirname(script))
    assert result.returncode == 0, result.stderr
    with open(answer) as f:
        return [np.array(c, dtype=float).reshape(-1, 3) for c in json.load(f)]


@pytest.mark.skipif(not has_pymol(), reason="PyMOL (Debian python3-pymol) is not installed")
@pytest.mark.parametrize("name, selections", PYMOL_CASES)
def test_pymol_script_selects_the_engines_atoms(tmp_path, name, selections):
    path = os.path.join(DATA, name)
    script = str(tmp_path / "site.pml")
    assert run(path, *selections, "-o", script).returncode == 0
    mol = kamol.ReadMolecule(path)
    coords = kaselect.get_coords(mol)
    selected = pymol_selections(script, len(selections))
    for k, (selection, got) in enumerate(zip(selections, selected), 1):
        expected = coords[kaselect.select_indices(mol, selection)]
        assert len(got) == len(expected), (name, selection)
        # Same atoms: the same coordinates, atom for atom, in file order.
        np.testing.assert_allclose(got, expected, atol=1e-3, err_msg=f"{name} sel{k} {selection}")
    print(f"PyMOL {name}: " + ", ".join(f"{s!r} {len(c)} atoms" for s, c in zip(selections, selected)))


@pytest.mark.skipif(not has_pymol(), reason="PyMOL (Debian python3-pymol) is not installed")
def test_script_of_a_molecule_without_a_file_loads_the_mmcif_written_beside_it(tmp_path):
    mol = kamol.ReadMolecule(COMPLEX)
    mol.DeleteAtom(mol.GetAtom(0))  # index 0 gone: rows of the file no longer equal indices
    cols = kaselect.columns(mol, ["name", "resname", "resid", "chain"])
    built = kaselect.from_arrays(kaselect.get_coords(mol), names=cols["name"], resnames=cols["resname"],
                                 resids=cols["resid"], chains=cols["chain"])
    for molecule in (mol, built):
        kaselect.view(molecule, "ligand around 4 and water").save(tmp_path / "site.pml")
        assert (tmp_path / "site.cif").exists()
        (got,) = pymol_selections(str(tmp_path / "site.pml"), 1)
        expected = kaselect.get_coords(molecule)[
            np.searchsorted(kaselect.columns(molecule, ["index"])["index"],
                            kaselect.select_indices(molecule, "ligand around 4 and water"))]
        np.testing.assert_allclose(got, expected, atol=1e-3)


# ---- ChimeraX (by its text: ChimeraX is not a Debian package) ------------------

def parse_chimerax(spec):
    """The (chain, number, insert code, name) atoms a `name sel1 ...` spec names."""
    atoms = set()
    for term in spec.split(" | "):
        match = re.fullmatch(r"(?:/(\S+?))?:(-?\d+)([A-Za-z]?)@(.+)", term)
        assert match, term
        chain, number, icode, names = match.groups()
        atoms |= {(chain or "", int(number), icode, n) for n in names.split(",")}
    return atoms


@pytest.mark.parametrize("name, selection", [
    ("1hpv.pdb", "protein and byres (ligand around 5)"),
    ("3al1.pdb", "water and protein around 3.2"),
    ("1hpv.pdb", "none"),
])
def test_chimerax_script_names_exactly_the_selected_atoms(tmp_path, name, selection):
    path = os.path.join(DATA, name)
    out = tmp_path / "site.cxc"
    assert run(path, selection, "-o", str(out)).returncode == 0
    lines = out.read_text().splitlines()
    assert lines[1] == f"open {path}"
    mol = kamol.ReadMolecule(path)
    cols = kaselect.columns(mol, ["name", "resid", "icode", "chain"])
    rows = kaselect.select_indices(mol, selection)
    expected = {(cols["chain"][i].strip(), int(cols["resid"][i]), cols["icode"][i].strip(), cols["name"][i])
                for i in rows}
    named = [line for line in lines if line.startswith("name sel1 ")]
    got = parse_chimerax(named[0][len("name sel1 "):]) if named else set()
    assert got == expected
    assert ("view sel1" in lines) == bool(len(rows))


# ---- the page ----------------------------------------------------------------

def test_large_structure_page_holds_the_selections_and_their_surroundings(monkeypatch):
    mol = kamol.ReadMolecule(COMPLEX)
    monkeypatch.setattr(view_module, "PAGE_ATOM_LIMIT", 1000)
    v = kaselect.view(mol, "ligand")
    shown, indices, partial = v._shown()
    assert partial
    expected = kaselect.select_indices(mol, "byres (ligand expand 8)")
    assert indices.tolist() == expected.tolist() and shown.NumAtoms() == len(expected)
    page = v.html()
    assert "Large structure (1631 atoms, above 1000)" in page
    assert f"({len(expected)} atoms)" in page


SELECTOR_AND_NAME = r"(\S+:-?\d+:.:.) (\S+)"
needs_chromium = pytest.mark.skipif(CHROMIUM is None, reason="Chromium (Debian chromium) is not installed")

PAGES = [
    # (structure, selections, page atom limit or None)
    ("1hpv.pdb", ["protein and byres (ligand around 4)", "ligand"], None),
    ("3al1.pdb", ["water and protein around 3.2"], 300),
]


@pytest.fixture(scope="module")
def browser():
    if CHROMIUM is None:
        pytest.skip("Chromium (Debian chromium) is not installed")
    chromium = Chromium()
    yield chromium
    chromium.close()


def selection_pixels(png, colour):
    """Number of pixels whose hue is that of `colour` (the viewer shades it)."""
    from PIL import Image
    pixels = np.asarray(Image.open(png).convert("RGB")).astype(int)
    target = np.array([int(colour[i:i + 2], 16) for i in (1, 3, 5)])
    # Shading scales the channels; compare directions in colour space.
    norm = np.linalg.norm(pixels, axis=2) + 1e-9
    cosine = (pixels @ target) / norm / np.linalg.norm(target)
    return int(((cosine > 0.97) & (norm > 80)).sum())


@needs_chromium
@pytest.mark.parametrize("name, selections, limit", PAGES)
def test_page_draws_offline_and_lists_residues(browser, tmp_path, monkeypatch, name, selections, limit):
    if limit:
        monkeypatch.setattr(view_module, "PAGE_ATOM_LIMIT", limit)
    mol = kamol.ReadMolecule(os.path.join(DATA, name))
    page = tmp_path / "site.html"
    kaselect.view(mol, *selections).save(page)
    browser.requests.clear()
    browser.open(page)
    # Nothing but the file itself and in-page blob/data URLs was asked for.
    assert {u.split(":", 1)[0] for u in browser.requests} <= {"file", "blob", "data"}, browser.requests
    for k, selection in enumerate(selections, 1):
        listed = browser.evaluate(
            f"[...document.querySelectorAll('#kaselect-residues-{k} > li')].map(li => li.textContent)")
        assert listed == kaselect.selected_residues(mol, selection)
    if limit:
        assert "showing the selections" in browser.evaluate("document.body.innerText")
    # Hovering an atom shows its residue selector string and atom name.
    width, height = browser.evaluate(
        "[document.getElementById('kaselect-viewer').clientWidth, innerHeight]")
    atoms = {(kaselect.get_selector_string(atom), atom.GetName()) for atom in mol.GetAtoms()}
    # The viewer picks asynchronously: nudge the pointer and poll for the label.
    label = None
    for dx, dy in [(0, 0), (-30, 0), (30, 0), (0, -30), (0, 30), (-60, -30), (60, 30), (-30, 60)]:
        for nudge in range(6):
            browser.move_mouse(width // 2 + dx + nudge % 2, height // 2 + dy)
            label = browser.evaluate(
                "new Promise(r => setTimeout(() => r([...document.querySelectorAll('.msp-highlight-info')]"
                ".map(e => e.innerText).join(' ')), 200))")
            if label and re.match(SELECTOR_AND_NAME, label):
                break
        else:
            continue
        break
    match = re.match(SELECTOR_AND_NAME, label or "")
    assert match and match.groups() in atoms, label

    # Then the screenshot (taken first, it leaves the viewer's picking stale).
    browser.move_mouse(width + 50, 20)
    shot = str(tmp_path / "site.png")
    browser.screenshot(shot)
    if SHOTS:
        shutil.copy(shot, os.path.join(SHOTS, name.replace(".", "_") + ".png"))
    for k in range(len(selections)):
        assert selection_pixels(shot, view_module.COLOURS[k]) > 200, f"sel{k + 1} not drawn"
