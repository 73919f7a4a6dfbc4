"""kaselect view: the page in a real browser, the PyMOL script in PyMOL, the
ChimeraX script by its atom lists, and the failures."""
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
from kaselect import views
from lumora import kamol

from browser import BINARY as CHROMIUM, Chromium

DATA = os.path.join(os.path.dirname(__file__), "..", "data")
COMPLEX = os.path.join(DATA, "1hpv.pdb")
SYSTEM_PYTHON = "/usr/bin/python3"
SHOTS = os.environ.get("KASELECT_VIEW_SHOTS")  # a folder to keep the screenshots in
HAS_PYMOL = subprocess.run([SYSTEM_PYTHON, "-c", "import pymol2"], capture_output=True).returncode == 0 \
    if os.path.exists(SYSTEM_PYTHON) else False
needs_pymol = pytest.mark.skipif(not HAS_PYMOL, reason="PyMOL (Debian python3-pymol) is not installed")


def run(*args):
    return subprocess.run([sys.executable, "-m", "kaselect", "view", *args],
                          capture_output=True, text=True, timeout=300)


@pytest.mark.parametrize("args, status, message", [
    ([COMPLEX, "water and", "-o", "{out}/site.html"], 2, "Failed to parse selection: water and"),
    ([COMPLEX, "ligand", "-o", "{out}/site.png"], 2, "unknown output suffix '.png'"),
    ([os.path.join(DATA, "missing.pdb"), "ligand", "-o", "{out}/site.pml"], 1, "cannot read"),
    ([os.path.join(DATA, "LIG_1HPV.mol2"), "ligand", "--format", "pdb", "-o", "{out}/s.cxc"], 1, "cannot read"),
    ([COMPLEX, "ligand", "-o", "{out}/no/such/dir/site.html"], 1, "cannot write"),
])
def test_failures_give_one_line_and_leave_no_file(tmp_path, args, status, message):
    result = run(*[a.format(out=tmp_path) for a in args])
    assert result.returncode == status and result.stderr.count("\n") == 1, result.stderr
    assert message in result.stderr and list(tmp_path.iterdir()) == []


def test_python_view_refuses_what_it_cannot_show_and_shows_in_jupyter(tmp_path):
    mol = kamol.ReadMolecule(COMPLEX)
    with pytest.raises(ValueError, match="at least one selection"):
        kaselect.view(mol)
    v = kaselect.view(mol, "ligand")
    with pytest.raises(ValueError, match="unknown view suffix '.png'"):
        v.save(tmp_path / "site.png")
    assert list(tmp_path.iterdir()) == []
    frame = v._repr_html_()
    assert html.unescape(frame[len('<iframe srcdoc="'):frame.index('" style=')]) == v.html()


def pymol_selections(script, count):
    """Coordinates of sel1..selN, in PyMOL's atom order, after PyMOL ran `script`."""
    answer = script + ".json"  # PyMOL's own messages share standard output
    code = textwrap.dedent(f"""
        import json, pymol2
        session = pymol2.PyMOL()  # an instance in this thread: no launcher that may exit first
        session.start()
        session.cmd.load({script!r})
        with open({answer!r}, "w") as f:
            json.dump([[a.coord for a in session.cmd.get_model("sel%d" % k).atom]
                       for k in range(1, {count} + 1)], f)
    """)
    result = subprocess.run([SYSTEM_PYTHON, "-c", code], capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    with open(answer) as f:
        return [np.array(c, dtype=float).reshape(-1, 3) for c in json.load(f)]


@needs_pymol
@pytest.mark.parametrize("name, selections", [
    ("1hpv.pdb", ["protein and byres (ligand around 5)", "water and ligand around 3.5"]),
    ("1hpv.pdb", ["resn ASP and resi 25 and name CA+CB+CG", "ligand"]),
    ("3al1.pdb", ["water and protein around 3.2", "chain B and resi 203-208 and not hydrogen"]),
    ("pept_models.pdb", ["resn ASP and (resi 2 around 3)"]),
    ("LIG_1HPV.mol2", ["elem N or elem O"]),
    ("ligs3d.sdf", ["not hydrogen"]),
])
def test_pymol_script_selects_the_engines_atoms(tmp_path, name, selections):
    path = os.path.join(DATA, name)
    script = str(tmp_path / "site.pml")
    assert run(path, *selections, "-o", script).returncode == 0
    mol = kamol.ReadMolecule(path)
    got = pymol_selections(script, len(selections))
    for selection, coords in zip(selections, got):
        # The same atoms: the same coordinates, atom for atom, in file order.
        expected = kaselect.get_coords(mol)[kaselect.select_indices(mol, selection)]
        assert coords.shape == expected.shape, selection
        np.testing.assert_allclose(coords, expected, atol=1e-3, err_msg=selection)
    print(f"PyMOL {name}: " + ", ".join(f"{s!r} {len(c)} atoms" for s, c in zip(selections, got)))


@needs_pymol
def test_script_of_a_molecule_from_no_file_loads_the_mmcif_written_beside_it(tmp_path):
    mol = kamol.ReadMolecule(COMPLEX)
    mol.DeleteAtom(mol.GetAtom(0))  # the file's rows no longer equal the indices
    kaselect.view(mol, "ligand around 4 and water").save(tmp_path / "site.pml")
    (got,) = pymol_selections(str(tmp_path / "site.pml"), 1)
    rows = np.searchsorted(kaselect.columns(mol, ["index"])["index"],
                           kaselect.select_indices(mol, "ligand around 4 and water"))
    np.testing.assert_allclose(got, kaselect.get_coords(mol)[rows], atol=1e-3)


def parse_chimerax(text):
    """The (chain, number, insert code, name) atoms of a /CHAIN:NUMBER@NAMES | ... list."""
    atoms = set()
    for term in text.split(" | ") if text else []:
        chain, number, icode, names = re.fullmatch(r"(?:/(\S+?))?:(-?\d+)([A-Za-z]?)@(.+)", term).groups()
        atoms |= {(chain or "", int(number), icode, n) for n in names.split(",")}
    return atoms


@pytest.mark.parametrize("name, selection", [
    ("1hpv.pdb", "protein and byres (ligand around 5)"),
    ("3al1.pdb", "water and protein around 3.2 or resi 203 and chain B"),
    ("1hpv.pdb", "none"),
])
def test_chimerax_script_names_exactly_the_selected_atoms(tmp_path, name, selection):
    path, out = os.path.join(DATA, name), tmp_path / "site.cxc"
    assert run(path, selection, "-o", str(out)).returncode == 0
    lines = out.read_text().splitlines()
    assert lines[1] == f"open {path}"
    mol = kamol.ReadMolecule(path)
    c = kaselect.columns(mol, ["name", "resid", "icode", "chain"])
    rows = kaselect.select_indices(mol, selection)
    expected = {(c["chain"][i].strip(), int(c["resid"][i]), c["icode"][i].strip(), c["name"][i]) for i in rows}
    named = [line[len("name sel1 "):] for line in lines if line.startswith("name sel1 ")]
    assert parse_chimerax(named[0] if named else "") == expected
    assert ("view sel1" in lines) == bool(len(rows))


@pytest.fixture(scope="module")
def browser():
    if CHROMIUM is None:
        pytest.skip("Chromium (Debian chromium) is not installed")
    chromium = Chromium()
    yield chromium
    chromium.close()


def colour_pixels(png, colour):
    """Pixels of the hue of `colour` (the viewer shades it: compare directions in RGB)."""
    from PIL import Image
    pixels = np.asarray(Image.open(png).convert("RGB")).astype(float)
    target = np.array([int(colour[i:i + 2], 16) for i in (1, 3, 5)], dtype=float)
    norm = np.linalg.norm(pixels, axis=2) + 1e-9
    return int((((pixels @ target) / norm / np.linalg.norm(target) > 0.97) & (norm > 80)).sum())


SELECTOR_AND_NAME = r"(\S+:-?\d+:.:.) (\S+)"


@pytest.mark.parametrize("name, selections, limit", [
    ("1hpv.pdb", ["protein and byres (ligand around 4)", "ligand"], None),
    ("3al1.pdb", ["water and protein around 3.2"], 300),  # a "large" structure: surroundings only
])
def test_page_draws_offline_and_lists_residues(browser, tmp_path, monkeypatch, name, selections, limit):
    if limit:
        monkeypatch.setattr(views, "PAGE_ATOM_LIMIT", limit)
    mol = kamol.ReadMolecule(os.path.join(DATA, name))
    kaselect.view(mol, *selections).save(tmp_path / "site.html")
    browser.requests.clear()
    browser.open(tmp_path / "site.html")
    # Nothing but the file itself and in-page blob/data URLs was asked for.
    assert {u.split(":", 1)[0] for u in browser.requests} <= {"file", "blob", "data"}, browser.requests
    for k, selection in enumerate(selections, 1):
        listed = browser.evaluate(f"[...document.querySelectorAll('#kaselect-residues-{k} > li')]"
                                  ".map(li => li.textContent)")
        assert listed == kaselect.selected_residues(mol, selection)
    if limit:
        near = kaselect.CountSelection(mol, f"byres (({selections[0]}) expand 8)")
        assert f"of them only ({near} atoms)" in browser.evaluate("document.body.innerText")

    # Hovering an atom shows its residue selector string and atom name; the
    # viewer picks asynchronously, so nudge the pointer and poll.
    width, height = browser.evaluate("[document.getElementById('kaselect-viewer').clientWidth, innerHeight]")
    label = ""
    for dx, dy in [(0, 0), (-30, 0), (30, 0), (0, -30), (0, 30), (-60, -30), (60, 30), (-30, 60)]:
        for nudge in range(6):
            browser.move_mouse(width // 2 + dx + nudge % 2, height // 2 + dy)
            label = browser.evaluate("new Promise(r => setTimeout(() => r([...document.querySelectorAll("
                                     "'.msp-highlight-info')].map(e => e.innerText).join(' ')), 200))")
            if re.match(SELECTOR_AND_NAME, label or ""):
                break
        else:
            continue
        break
    match = re.match(SELECTOR_AND_NAME, label or "")
    atoms = {(kaselect.get_selector_string(atom), atom.GetName()) for atom in mol.GetAtoms()}
    assert match and match.groups() in atoms, label

    # The screenshot last: taking one leaves the viewer's picking stale.
    browser.move_mouse(width + 50, 20)
    shot = str(tmp_path / "site.png")
    browser.screenshot(shot)
    if SHOTS:
        shutil.copy(shot, os.path.join(SHOTS, name.replace(".", "_") + ".png"))
    for k in range(len(selections)):
        assert colour_pixels(shot, views.COLOURS[k]) > 200, f"sel{k + 1} not drawn"
