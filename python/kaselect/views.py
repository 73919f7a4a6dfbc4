"""Views of selections: a self-contained 3D page, and scripts that show the
same atoms in PyMOL (.pml) and ChimeraX (.cxc).

The page embeds the Mol* viewer's JavaScript build (shipped in the PyPI
package molstar-cli, extra ``kaselect[view]``) and the structure, written by
the product's own mmCIF writer, so that it opens offline. Each selection is
handed to the viewer as an annotation of the structure file (a category
``kaselect_selection`` of rows (component, atom_index), atom_index being the
row of ``_atom_site``), which the viewer turns into a component in one pass.
"""
from __future__ import annotations

import html
import json
import os
import re
import tempfile
from importlib.util import find_spec
from typing import TYPE_CHECKING

from . import _fastpath
from .arrays import _index_array, columns

if TYPE_CHECKING:
    from collections.abc import Callable, Sequence

    import numpy
    from numpy.typing import NDArray

    from lumora.kamol import KaMolBase

    from .kaselect import KaSelection

# Above this many atoms the page holds the selections and their surroundings
# only: the structure travels inside the page as mmCIF text (about 100 bytes
# an atom) and the viewer stays responsive up to about this size.
PAGE_ATOM_LIMIT = 100_000
# Surroundings of a large structure: whole residues with an atom within this
# distance (Å) of a selected atom.
SURROUNDINGS = 8.0
# One colour per selection, repeated past the last; none is the grey of the
# rest of the structure.
COLOURS = ("#ff00ff", "#00c800", "#ff8000", "#0080ff", "#00d0d0", "#d0d000", "#a050ff", "#ff4060")
SUFFIXES = (".html", ".pml", ".cxc")
# Where the viewer's build comes from (the view extra pins it).
_MOLSTAR_PACKAGE, _MOLSTAR_VERSION = "molstar-cli", "0.0.1"


class ViewError(ValueError):
    """A view that cannot be made: an unknown output suffix, or the viewer missing."""


def _molstar_files() -> tuple[str, str, str, str]:
    """(JavaScript, CSS, licence, version) of the Mol* build shipped in molstar-cli.
    The package is located without importing it."""
    package = find_spec("molstar_cli")
    if package is None or not package.submodule_search_locations:
        raise ViewError("an .html view needs the Mol* viewer: pip install 'kaselect[view]' "
                        f"({_MOLSTAR_PACKAGE}=={_MOLSTAR_VERSION})")
    root = os.path.join(list(package.submodule_search_locations)[0], "static", "molstar")

    def read(name: str) -> str:
        with open(os.path.join(root, name), encoding="utf-8") as f:
            return f.read()
    return read("molstar.js"), read("molstar.css"), read("LICENSE.molstar"), read("VERSION").strip()


def _script_safe(text: str) -> str:
    """`text` made safe inside a <script> or <style> element, whose content
    only "</script" (or "</style") and "<!--" can end or confuse. In the
    JavaScript and JSON placed there such text can only stand inside strings,
    where "<\\/" and "<\\!--" mean the same; other "</" (a regular
    expression may end in one) are left alone."""
    return re.sub(r"</(?=(script|style)\b)", r"<\\/", text, flags=re.IGNORECASE).replace("<!--", "<\\!--")


def _rows_of(indices: NDArray[numpy.uint32], shown: NDArray[numpy.uint32]) -> NDArray[numpy.intp]:
    """Rows of `shown` (sorted atom indices, the order the mmCIF file lists
    atoms in) that hold `indices` (a sorted subset)."""
    import numpy
    return numpy.searchsorted(shown, indices)


class Selected:
    """One selection evaluated on a molecule: canonical text, atom indices
    (storage order) and residue selector strings (residue order)."""

    def __init__(self, mol: KaMolBase, selection: KaSelection) -> None:
        owner = _fastpath.parsed_indices(mol, selection)
        self.text = selection.ToCanonical()
        self.indices = _index_array(owner).copy()
        self.residues: list[str] = _fastpath.residues_of(mol, owner[0])


class View:
    """Selections of one molecule, shown as a page (``.html``, also what
    Jupyter displays) or as a PyMOL or ChimeraX script (``.pml``, ``.cxc``).

    `structure_path` is the file the molecule was read from: scripts load it.
    Without it a script's structure is written beside the script as mmCIF
    (``site.pml`` loads ``site.cif``)."""

    def __init__(self, mol: KaMolBase, selections: Sequence[str | KaSelection],
                 structure_path: str | None = None, structure_format: int = 0) -> None:
        from . import kaselect as ks
        if not selections:
            raise ValueError("view needs at least one selection")
        parsed = [s if isinstance(s, ks.KaSelection) else ks.KaSelection.Parse(s) for s in selections]
        # Evaluated first: a wrong molecule argument gets the engine's TypeError.
        self.selected = [Selected(mol, s) for s in parsed]
        self.mol = mol
        self.title = structure_path or mol.GetTitle() or "molecule"
        self.structure_path = structure_path
        self.structure_format = structure_format

    # ---- the page --------------------------------------------------------------

    def _shown(self) -> tuple[KaMolBase, NDArray[numpy.uint32], bool]:
        """(molecule written into the page, the original indices of its atoms
        in order, whether it is only the surroundings of the selections)."""
        import numpy
        from lumora import kamol
        everything = columns(self.mol, ["index"])["index"].astype(numpy.uint32)
        if len(everything) <= PAGE_ATOM_LIMIT:
            return self.mol, everything, False
        from . import kaselect as ks
        union = " or ".join(f"({s.text})" for s in self.selected)
        near = ks.KaSelection.Parse(f"byres (({union}) expand {SURROUNDINGS:g}) or {union}")
        owner = _fastpath.parsed_indices(self.mol, near)
        subset = kamol.KaGraphMol()
        subset.SetTitle(self.mol.GetTitle())
        _fastpath.copy_atoms(self.mol, subset, owner[0])
        return subset, _index_array(owner).copy(), True

    def _structure_text(self, shown: KaMolBase, rows: list[NDArray[numpy.intp]]) -> str:
        """The shown molecule as mmCIF (the product's writer), with the
        selections as the annotation category kaselect_selection."""
        from lumora import kamol
        with tempfile.TemporaryDirectory(prefix="kaselect-view-") as tmp:
            path = os.path.join(tmp, "structure.cif")
            kamol.WriteMolecule(path, shown)
            with open(path, encoding="utf-8") as f:
                text = f.read()
        lines = ["", "loop_", "_kaselect_selection.component", "_kaselect_selection.atom_index"]
        for k, selection_rows in enumerate(rows, 1):
            lines.extend(f"sel{k} {row}" for row in selection_rows.tolist())
        return text.rstrip("\n") + "\n" + "\n".join(lines) + "\n"

    def _hover_table(self, shown: KaMolBase) -> dict[str, list[object]]:
        """What hovering an atom shows, by mmCIF row: residue runs (first row
        and selector string of each) and atom names."""
        import numpy
        from . import kaselect as ks
        cols = columns(shown, ["index", "name", "resname", "resid", "icode", "chain"])
        n = len(cols["index"])
        if n == 0:
            return {"starts": [], "residues": [], "names": []}
        change = numpy.zeros(n, dtype=bool)
        change[0] = True
        for key in ("resname", "resid", "icode", "chain"):
            change[1:] |= cols[key][1:] != cols[key][:-1]
        starts = numpy.flatnonzero(change)
        atoms = [shown.GetAtom(int(cols["index"][s])) for s in starts.tolist()]
        residues = [ks.get_selector_string(atom) for atom in atoms if atom is not None]
        return {"starts": starts.tolist(), "residues": residues, "names": cols["name"].tolist()}

    def html(self) -> str:
        """The page: viewer, structure and panel in one file that loads no URL."""
        script, css, licence, version = _molstar_files()
        shown, shown_indices, partial = self._shown()
        rows = [_rows_of(s.indices, shown_indices) for s in self.selected]
        data = {
            "structure": self._structure_text(shown, rows),
            "selections": [{"colour": COLOURS[k % len(COLOURS)], "atoms": len(s.indices)}
                           for k, s in enumerate(self.selected)],
            "hover": self._hover_table(shown),
        }
        return _PAGE.format(
            title=html.escape(f"kaselect view: {self.title}"),
            licence=licence.replace("--", "- -"), version=html.escape(version),
            package=f"{_MOLSTAR_PACKAGE} {_MOLSTAR_VERSION}",
            css=_script_safe(css), panel=self._panel(partial, len(shown_indices)),
            data=json.dumps(data, separators=(",", ":")).replace("<", "\\u003c"),
            molstar=_script_safe(script), init=_INIT)

    def _panel(self, partial: bool, shown_atoms: int) -> str:
        total = self.mol.NumAtoms()
        parts = [f"<h1>{html.escape(self.title)}</h1>", f"<p>{total} atoms</p>"]
        if partial:
            parts.append(
                f'<p class="kaselect-note" id="kaselect-partial">Large structure ({total} atoms, above '
                f"{PAGE_ATOM_LIMIT}): showing the selections and the residues within {SURROUNDINGS:g} Å "
                f"of them only ({shown_atoms} atoms).</p>")
        for k, s in enumerate(self.selected, 1):
            colour = COLOURS[(k - 1) % len(COLOURS)]
            items = "".join(f"<li>{html.escape(r)}</li>" for r in s.residues)
            parts.append(
                f'<section class="kaselect-selection" id="kaselect-selection-{k}">'
                f'<h2><span class="kaselect-swatch" style="background:{colour}"></span>sel{k}</h2>'
                f'<code class="kaselect-text">{html.escape(s.text)}</code>'
                f'<p><span class="kaselect-count">{len(s.indices)}</span> atoms, '
                f"{len(s.residues)} residue{'' if len(s.residues) == 1 else 's'}</p>"
                f'<ol class="kaselect-residues" id="kaselect-residues-{k}">{items}</ol></section>')
        return "\n".join(parts)

    def _repr_html_(self) -> str:
        """The page in an iframe, as Jupyter shows it."""
        return (f'<iframe srcdoc="{html.escape(self.html(), quote=True)}" '
                'style="width:100%;height:640px;border:0" title="kaselect view"></iframe>')

    # ---- scripts ---------------------------------------------------------------

    def _structure_for(self, script_path: str) -> tuple[str, str | None]:
        """(path the script loads, mmCIF file to write first or None)."""
        if self.structure_path is not None:
            return self.structure_path, None
        cif = os.path.splitext(script_path)[0] + ".cif"
        return cif, cif

    def pml(self, structure: str) -> str:
        """A PyMOL script: loads `structure` with its atoms in file order and
        defines sel1, sel2, ... by atom index (PyMOL's index counts from 1 in
        that order, as the mmCIF and PDB readers store atoms)."""
        rows = self._file_rows()
        fmt = _PYMOL_FORMATS.get(self.structure_format)
        lines = [f"# kaselect view of {self.title}: {len(self.selected)} selection(s)",
                 "set retain_order, 1",
                 f"load {_pymol_quote(structure)}, kaselect" + (f", format={fmt}" if fmt else ""),
                 "hide everything, kaselect", "show cartoon, kaselect and polymer",
                 "show lines, kaselect and not polymer", "color grey80, kaselect"]
        for k, (s, selection_rows) in enumerate(zip(self.selected, rows), 1):
            lines.append(f"# sel{k}: {s.text} ({len(s.indices)} atoms)")
            lines.append(f"select sel{k}, none")
            ranges = _ranges([r + 1 for r in selection_rows.tolist()])
            for start in range(0, len(ranges), 200):
                chunk = "+".join(ranges[start:start + 200])
                lines.append(f"select sel{k}, sel{k} or (kaselect and index {chunk})")
            lines.append(f"show sticks, sel{k}")
            lines.append(f"color {_PYMOL_COLOURS[(k - 1) % len(_PYMOL_COLOURS)]}, sel{k}")
        lines += ["zoom sel1, 4", "deselect", ""]
        return "\n".join(lines)

    def cxc(self, structure: str) -> str:
        """A ChimeraX script: opens `structure` and names sel1, sel2, ... by
        per-residue atom lists (/CHAIN:NUMBER[ICODE]@NAME,NAME)."""
        fmt = _CHIMERAX_FORMATS.get(self.structure_format)
        lines = [f"# kaselect view of {self.title}: {len(self.selected)} selection(s)",
                 f"open {_chimerax_quote(structure)}" + (f" format {fmt}" if fmt else ""),
                 "cartoon", "hide atoms", "color lightgray"]
        cols = columns(self.mol, ["index", "name", "resid", "icode", "chain"])
        for k, s in enumerate(self.selected, 1):
            atoms = chimerax_atoms(cols, s.indices)
            lines.append(f"# sel{k}: {s.text} ({len(s.indices)} atoms)")
            lines.append(f"name sel{k} {atoms}" if atoms else f"# sel{k} selects no atom")
            if atoms:
                lines += [f"show sel{k} atoms", f"style sel{k} ball",
                          f"color sel{k} {COLOURS[(k - 1) % len(COLOURS)]}"]
        if self.selected[0].indices.size:
            lines.append("view sel1")
        lines.append("")
        return "\n".join(lines)

    def _file_rows(self) -> list[NDArray[numpy.intp]]:
        import numpy
        everything = columns(self.mol, ["index"])["index"].astype(numpy.uint32)
        return [_rows_of(s.indices, everything) for s in self.selected]

    # ---- writing ---------------------------------------------------------------

    def render(self, path: str) -> tuple[str, str | None]:
        """(text of the output `path` asks for by its suffix, mmCIF file the
        script needs written first or None). ViewError for another suffix."""
        suffix = os.path.splitext(path)[1].lower()
        if suffix not in SUFFIXES:
            raise ViewError(f"{path}: unknown view suffix {suffix or '(none)'!r}; "
                            f"give {', '.join(SUFFIXES)}")
        if suffix == ".html":
            return self.html(), None
        structure, cif = self._structure_for(path)
        return (self.pml(structure) if suffix == ".pml" else self.cxc(structure)), cif

    def save(self, path: str | os.PathLike[str]) -> None:
        """Writes the page or script to `path` (.html, .pml, .cxc). The file is
        written whole or not at all (a temporary file renamed at the end)."""
        path = os.fspath(path)
        text, cif = self.render(path)
        if cif is not None:
            from lumora import kamol
            _atomically(cif, lambda tmp: kamol.WriteMolecule(tmp, self.mol), suffix=".cif")
        _atomically(path, lambda tmp: _write_text(tmp, text))


def view(mol: KaMolBase, *selections: str | KaSelection) -> View:
    """A view of `selections` (texts or parsed KaSelection objects) on `mol`:
    Jupyter displays it, ``.save(path)`` writes .html, .pml or .cxc."""
    return View(mol, selections)


def chimerax_atoms(cols: dict[str, NDArray[numpy.generic]], indices: NDArray[numpy.uint32]) -> str:
    """The ChimeraX atom list naming the atoms `indices`, one /CHAIN:NUMBER@NAMES term
    per residue run; `cols` are columns() of the molecule with index, name,
    resid, icode and chain. A blank chain leaves the chain out."""
    import numpy
    if indices.size == 0:
        return ""
    rows = numpy.searchsorted(cols["index"], indices)
    terms: list[str] = []
    names: list[str] = []
    key = ("", 0, "")
    for row in rows.tolist():
        chain, resid, icode = str(cols["chain"][row]).strip(), int(cols["resid"][row]), str(cols["icode"][row]).strip()
        here = (chain, resid, icode)
        if here != key:
            if names:
                terms.append(_chimerax_term(key, names))
            key, names = here, []
        names.append(str(cols["name"][row]))
    terms.append(_chimerax_term(key, names))
    return " | ".join(terms)


def _chimerax_term(key: tuple[str, int, str], names: list[str]) -> str:
    chain, resid, icode = key
    return (f"/{chain}" if chain else "") + f":{resid}{icode}@" + ",".join(dict.fromkeys(names))


def _ranges(numbers: list[int]) -> list[str]:
    """Sorted integers as PyMOL ranges: [1, 2, 3, 7] -> ["1-3", "7"]."""
    out: list[str] = []
    i = 0
    while i < len(numbers):
        j = i
        while j + 1 < len(numbers) and numbers[j + 1] == numbers[j] + 1:
            j += 1
        out.append(str(numbers[i]) if i == j else f"{numbers[i]}-{numbers[j]}")
        i = j + 1
    return out


def _pymol_quote(path: str) -> str:
    return f'"{path}"' if any(c in path for c in " ,;\t") else path


def _chimerax_quote(path: str) -> str:
    return f'"{path}"' if any(c in path for c in " ;\t") else path


# PyMOL's and ChimeraX's names of the formats --format can name.
_PYMOL_FORMATS = {3: "pdb", 24: "cif", 26: "cif", 2: "mol", 8: "sdf", 4: "mol2", 7: "mol2"}
_CHIMERAX_FORMATS = {3: "pdb", 24: "mmcif", 26: "mmcif", 2: "sdf", 8: "sdf", 4: "mol2", 7: "mol2"}
_PYMOL_COLOURS = ("magenta", "green", "orange", "marine", "cyan", "yellow", "purple", "salmon")


def _write_text(path: str, text: str) -> None:
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def _atomically(path: str, write: Callable[[str], None], suffix: str = ".tmp") -> None:
    """Runs write(temporary path) beside `path`, then renames it to `path`;
    on any failure the temporary file is removed and `path` left as it was."""
    directory = os.path.dirname(os.path.abspath(path))
    fd, tmp = tempfile.mkstemp(prefix=".kaselect-view-", suffix=suffix, dir=directory)
    os.close(fd)
    umask = os.umask(0)
    os.umask(umask)
    os.chmod(tmp, 0o666 & ~umask)  # as open() would make it, not mkstemp's 0600
    try:
        write(tmp)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise


_PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<!--
The 3D viewer in this page is Mol* {version}, from the PyPI package {package}, under this licence:

{licence}
-->
<style>{css}</style>
<style>
html, body {{ margin: 0; height: 100%; font: 13px/1.4 system-ui, sans-serif; }}
body {{ display: flex; }}
#kaselect-viewer {{ position: relative; flex: 1 1 auto; min-width: 0; }}
#kaselect-panel {{ flex: 0 0 320px; overflow: auto; padding: 8px 12px; border-left: 1px solid #ccc; background: #fafafa; }}
#kaselect-panel h1 {{ font-size: 15px; margin: 4px 0; word-break: break-all; }}
#kaselect-panel h2 {{ font-size: 14px; margin: 12px 0 4px; }}
.kaselect-swatch {{ display: inline-block; width: 12px; height: 12px; margin-right: 6px; border: 1px solid #444; }}
.kaselect-text {{ display: block; white-space: pre-wrap; word-break: break-word; }}
.kaselect-residues {{ font-family: monospace; white-space: pre; margin: 0; padding-left: 2.5em; }}
.kaselect-note {{ color: #a04000; }}
#kaselect-error {{ color: #c00000; }}
</style>
</head>
<body>
<div id="kaselect-viewer"></div>
<aside id="kaselect-panel">
{panel}
<p id="kaselect-error"></p>
</aside>
<script type="application/json" id="kaselect-data">{data}</script>
<script>{molstar}</script>
<script>{init}</script>
</body>
</html>
"""

# Builds the scene as a MolViewSpec tree: the structure from a blob URL (no
# network), cartoon for polymers, thin sticks for the rest, each selection's
# component from the annotation in the structure file, the camera on sel1.
_INIT = r"""
(async function () {
  const data = JSON.parse(document.getElementById('kaselect-data').textContent);
  try {
    const viewer = await molstar.Viewer.create('kaselect-viewer', {
      layoutIsExpanded: false, layoutShowControls: false, layoutShowRemoteState: false,
      layoutShowSequence: false, layoutShowLog: false, layoutShowLeftPanel: false,
      viewportShowExpand: false, viewportShowAnimation: false, viewportShowTrajectoryControls: false,
      collapseLeftPanel: true,
    });
    window.kaselectViewer = viewer;
    const url = URL.createObjectURL(new Blob([data.structure], { type: 'text/plain' }));
    const mvs = molstar.PluginExtensions.mvs;
    const builder = mvs.createBuilder();
    const structure = builder.download({ url }).parse({ format: 'mmcif' }).modelStructure({});
    structure.component({ selector: 'polymer' }).representation({ type: 'cartoon' }).color({ color: '#c8c8c8' });
    for (const kind of ['ligand', 'ion', 'branched', 'water']) {
      structure.component({ selector: kind }).representation({ type: 'ball_and_stick', size_factor: 0.4 })
        .color({ color: '#b0b0b0' }).opacity({ opacity: 0.6 });
    }
    let focused = false;
    data.selections.forEach((sel, k) => {
      if (!sel.atoms) return;
      const component = structure.componentFromSource({
        schema: 'all_atomic', category_name: 'kaselect_selection',
        field_name: 'component', field_values: ['sel' + (k + 1)] });
      component.representation({ type: 'ball_and_stick' }).color({ color: sel.colour });
      if (!focused) { component.focus({}); focused = true; }
    });
    await mvs.loadMVS(viewer.plugin, builder.getState(), { replaceExisting: true });
    URL.revokeObjectURL(url);
    // The scene is one fixed view: no snapshot list to step through.
    viewer.plugin.managers.snapshot.clear();

    // Hover: the residue selector string and atom name of the atom's mmCIF row.
    const lib = molstar.lib.structure;
    const hover = data.hover;
    const escape = (text) => text.replace(/[&<>]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;' })[c]);
    const residueOf = (row) => {
      let lo = 0, hi = hover.starts.length - 1;
      while (lo < hi) { const mid = (lo + hi + 1) >> 1; if (hover.starts[mid] <= row) lo = mid; else hi = mid - 1; }
      return hover.residues[lo];
    };
    // Hover and click pick single atoms, not whole residues.
    viewer.plugin.managers.interactivity.setProps({ granularity: 'element' });
    viewer.plugin.managers.lociLabels.addProvider({
      label: (loci) => {
        if (!lib.StructureElement.Loci.is(loci)) return undefined;
        const location = lib.StructureElement.Loci.getFirstLocation(loci);
        if (!location) return undefined;
        const row = lib.StructureProperties.atom.sourceIndex(location);
        if (row < 0 || row >= hover.names.length) return undefined;
        // white-space: pre keeps the blanks of the selector string (insert code, chain)
        return '<span style="white-space:pre"><b>' + escape(residueOf(row)) + '</b> ' +
          escape(hover.names[row]) + '</span>';
      },
      group: (label) => 'kaselect:' + label,
      priority: 1000,
    });
    await new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve)));
    document.body.dataset.kaselectReady = '1';
  } catch (error) {
    document.getElementById('kaselect-error').textContent = 'The viewer failed: ' + error;
    document.body.dataset.kaselectError = String(error);
  }
})();
"""
