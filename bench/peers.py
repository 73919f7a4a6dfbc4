#!/usr/bin/env python3
"""Side-by-side timings of kaselect and other atom-selection engines.

Every engine reads the same atoms from the same file and evaluates the same
selections, each written in that engine's own language (or, for gemmi, which
has no language for classes and distances, with its own API):

  * the real HIV protease complex tests/data/1hpv.pdb, read as it is;
  * about one million atoms made by tiling that complex on a grid (copies
    shifted by the box size plus a gap wider than every cutoff used, residue
    numbers offset by 1000 per copy so that residues stay distinct), written
    once as mmCIF into a temporary directory.

Only evaluation is timed, never file parsing. "cold" is the first evaluation
on a structure that has not been evaluated before (median over a few fresh
structures: a copy made from a pristine loaded one, or for kaselect a new
read), "warm" is the median of repeated evaluations on one structure.
kaselect is timed through CountSelection, EvaluateSelection (one Python int
per selected atom) and the NumPy path (select_indices, select_mask); peers are
compared with the NumPy path select_indices.

Before timing, a nine-atom probe structure shows how each engine's distance
construct treats the reference atoms and an atom at exactly the cutoff; the
table reports what was seen. Selected counts stand beside every time, and the
tiled system must select exactly (copies x) what the complex selects.

    python bench/peers.py            # full run, about 1 M atoms
    python bench/peers.py --quick    # about 100 k atoms, fewer repeats
"""

import argparse
import gc
import math
import os
import statistics
import sys
import tempfile
import time
import warnings

# Every engine runs on one thread, as kaselect does.
for _var in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ.setdefault(_var, "1")

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
COMPLEX = os.path.join(ROOT, "tests", "data", "1hpv.pdb")
GAP = 12.0          # Angstrom between tiled copies; wider than any cutoff below
RESNUM_STEP = 1000  # residue-number offset per copy

# ---------------------------------------------------------------------------
# The rows: one selection per kind, with each engine's spelling.
# "ligand" in kaselect is a residue whose name is in none of its tables
# (protein, nucleic, cofactor/ion, solvent, water); on this complex that is the
# inhibitor 478. Each peer gets its closest native spelling.
ROWS = [
    ("property", "name CA"),
    ("class", "protein"),
    ("spatial/small ref", "ligand around 5"),
    ("spatial/large ref", "protein around 5"),
    ("grouping", "byres (ligand around 5)"),
    ("composed", "(protein and not backbone and (ligand around 6)) or "
                 "(water and (ligand expand 4))"),
    ("complement", "not protein"),
    ("class and class", "protein and backbone"),
    ("class and name", "backbone"),
]

MDA_LIG = "(not protein and not water)"
PRODY_LIG = "(hetero and not water)"

PEER_TEXT = {
    "MDAnalysis": [
        "name CA",
        "protein",
        f"around 5 {MDA_LIG}",
        "around 5 protein",
        f"byres (around 5 {MDA_LIG})",
        f"(protein and not backbone and around 6 {MDA_LIG}) or "
        f"(water and around 4 {MDA_LIG})",
        "not protein",
        "protein and backbone",
        "backbone",
    ],
    "ProDy": [
        "name CA",
        "protein",
        f"exwithin 5 of {PRODY_LIG}",
        "exwithin 5 of protein",
        f"same residue as (exwithin 5 of {PRODY_LIG})",
        f"(protein and not backbone and exwithin 6 of {PRODY_LIG}) or "
        f"(water and within 4 of {PRODY_LIG})",
        "not protein",
        "protein and backbone",
        "backbone",
    ],
    "PyMOL": [
        "name CA",
        "polymer.protein",
        "organic around 5",
        "polymer.protein around 5",
        "byres (organic around 5)",
        "(polymer.protein and not backbone and (organic around 6)) or "
        "(solvent and (organic expand 4))",
        "not polymer.protein",
        "polymer.protein and backbone",
        "backbone",
    ],
    "gemmi": [
        "Selection('/*/*/*/CA')",
        "residues whose name is a tabulated amino acid",
        "NeighborSearch, ligand residues' atoms as queries",
        "NeighborSearch over the protein atoms, others as queries",
        "residues of the spatial/small result",
        "set algebra over the helpers above",
        "atoms of the residues that are not tabulated amino acids",
        "N, CA, C, O of the amino-acid residues",
        "N, CA, C, O of the amino-acid residues",
    ],
}

# What the spellings mean where they are not the same words as kaselect's.
PEER_NOTES = {
    "MDAnalysis": [
        "ligand written as 'not protein and not water'",
        "no 'expand': water and ligand are disjoint, so 'around' gives the same set",
        "select_atoms(..., periodic=False): a CRYST1 box would otherwise add "
        "lattice images to distance searches",
    ],
    "ProDy": [
        "ligand written as 'hetero and not water'; 'exwithin' excludes, 'within' "
        "includes the reference atoms",
        "parseMMCIF drops the last atom of a file whose atom loop is not "
        "followed by a line; the tiled file ends with '#' for that reason",
    ],
    "PyMOL": [
        "protein is 'polymer.protein', ligand 'organic', water 'solvent'",
        "its 'backbone' also holds OXT (kaselect: N, CA, C, O only)",
        "count_atoms: the count only, no index array",
        "cold copy: cmd.create from the loaded object, which is then deleted, "
        "so the session holds one object",
    ],
    "gemmi": [
        "no language for classes or distances: helpers written with its API "
        "(Selection, NeighborSearch without a unit cell, residue tables), "
        "Python loops over residues",
        "PDB read with max_line_length=78: 1hpv.pdb has an identifier where "
        "the charge columns are",
    ],
}

# Probe: one ligand carbon at the origin, waters at 4.9, exactly 5.0 and 5.1,
# and a protein residue far away. Its serial numbers are fixed below.
PROBE_PDB = """\
ATOM      1  N   ALA A   1      20.000  20.000  20.000  1.00 20.00           N
ATOM      2  CA  ALA A   1      21.458  20.000  20.000  1.00 20.00           C
ATOM      3  C   ALA A   1      22.009  21.420  20.000  1.00 20.00           C
ATOM      4  O   ALA A   1      21.250  22.390  20.000  1.00 20.00           O
ATOM      5  CB  ALA A   1      21.992  19.221  21.204  1.00 20.00           C
HETATM    6  C1  LIG B 101       0.000   0.000   0.000  1.00 20.00           C
HETATM    7  O   HOH W 201       0.000   4.900   0.000  1.00 20.00           O
HETATM    8  O   HOH W 202       5.000   0.000   0.000  1.00 20.00           O
HETATM    9  O   HOH W 203       0.000   0.000   5.100  1.00 20.00           O
END
"""
PROBE_REF, PROBE_IN, PROBE_EDGE, PROBE_OUT = 6, 7, 8, 9


# The clock of the timings: CPU time of this process by default, so that other
# work on a shared machine does not land in the figures (every engine here
# evaluates on the calling thread); --clock wall for elapsed time.
CLOCK = {"cpu": time.process_time, "wall": time.perf_counter}
now = CLOCK["cpu"]


def timed(fn):
    """(seconds, result) of one call, with the garbage collector held off
    (it is run before each cell instead)."""
    gc.disable()
    try:
        t0 = now()
        result = fn()
        t1 = now()
    finally:
        gc.enable()
    return t1 - t0, result


# ---------------------------------------------------------------------------
# Engines. Each one: load(path) -> pristine structure; fresh(master) -> a
# structure that has never been evaluated (the master stays pristine until the
# warm phase); natoms(obj); paths: [(label, fn(obj, row) -> result)];
# count(result); serials(obj, probe) -> serial numbers picked by the spatial row.


class Engine:
    name = "?"
    version = "?"
    per_row_text = None

    def paths(self):
        return [(self.name, self.evaluate)]

    def release(self, obj):
        pass

    def count(self, result):
        return len(result)


class Kaselect(Engine):
    name = "kaselect"

    def __init__(self):
        import kaselect
        from lumora import kamol
        self.ks = kaselect
        self.kamol = kamol
        self.version = "%d.%d.%d" % (kaselect.KASELECT_VERSION_MAJOR,
                                     kaselect.KASELECT_VERSION_MINOR,
                                     kaselect.KASELECT_VERSION_PATCH)
        arrays = None
        try:
            from kaselect import arrays  # noqa: F811
        except ImportError:
            pass
        self.select_indices = getattr(kaselect, "select_indices", None) or \
            getattr(arrays, "select_indices", None)
        self.select_mask = getattr(kaselect, "select_mask", None) or \
            getattr(arrays, "select_mask", None)
        self.missing = []
        if self.select_indices is None:
            self.missing.append("select_indices")
        if self.select_mask is None:
            self.missing.append("select_mask")
        self.path = None

    def load(self, path):
        self.path = path
        return self.kamol.ReadMolecule(path)

    def fresh(self, master):
        # The residue-class marks live on the molecule: only a new read is
        # certain to be unevaluated.
        return self.kamol.ReadMolecule(self.path)

    def natoms(self, mol):
        return mol.NumAtoms()

    def paths(self):
        ks = self.ks
        out = [("kaselect Count", lambda m, t: ks.CountSelection(m, t)),
               ("kaselect Evaluate", lambda m, t: ks.EvaluateSelection(m, t))]
        if self.select_indices is not None:
            si = self.select_indices
            out.append(("kaselect indices", lambda m, t: si(m, t)))
        if self.select_mask is not None:
            sm = self.select_mask
            out.append(("kaselect mask", lambda m, t: sm(m, t)))
        return out

    def count(self, result):
        if isinstance(result, int):
            return result
        if hasattr(result, "dtype") and result.dtype == bool:
            import numpy
            return int(numpy.count_nonzero(result))
        return len(result)

    def row_arg(self, i):
        return ROWS[i][1]

    def serials(self, mol, text):
        res = self.kamol.GetAtomResidue
        return {res(mol.GetAtom(i)).serialNumber
                for i in self.ks.EvaluateSelection(mol, text)}


class MDA(Engine):
    name = "MDAnalysis"

    def __init__(self):
        import MDAnalysis
        self.mda = MDAnalysis
        self.version = MDAnalysis.__version__

    def load(self, path):
        return self.mda.Universe(path)

    def fresh(self, master):
        return master.copy()

    def natoms(self, u):
        return len(u.atoms)

    def evaluate(self, u, text):
        return u.select_atoms(text, periodic=False)

    def row_arg(self, i):
        return PEER_TEXT[self.name][i]

    def serials(self, u, text):
        return set(int(x) for x in self.evaluate(u, text).ids)


class ProDy(Engine):
    name = "ProDy"

    def __init__(self):
        import prody
        prody.confProDy(verbosity="none")
        self.prody = prody
        self.version = prody.__version__

    def load(self, path):
        if path.endswith(".cif"):
            return self.prody.parseMMCIF(path)
        return self.prody.parsePDB(path)

    def fresh(self, master):
        # copy() carries the flags already computed; the master has none yet.
        return master.copy()

    def natoms(self, ag):
        return ag.numAtoms()

    def evaluate(self, ag, text):
        return ag.select(text)

    def count(self, result):
        return 0 if result is None else result.numAtoms()

    def row_arg(self, i):
        return PEER_TEXT[self.name][i]

    def serials(self, ag, text):
        sel = self.evaluate(ag, text)
        return set() if sel is None else set(int(x) for x in sel.getSerials())


class PyMOL(Engine):
    name = "PyMOL"

    def __init__(self):
        import pymol
        from pymol import cmd
        pymol.finish_launching(["pymol", "-qc"])
        self.cmd = cmd
        self.version = cmd.get_version()[0]

    def load(self, path):
        self.cmd.delete("all")
        self.cmd.load(path, "master", quiet=1)
        return "master"

    def fresh(self, master):
        # One object in the session at a time, so that selections see only it:
        # the copy replaces the loaded object, and takes its name back after
        # its evaluation (PyMOL keeps no selection caches on the object).
        self.cmd.create("fresh", "master", zoom=0, quiet=1)
        self.cmd.delete("master")
        return "fresh"

    def release(self, obj):
        if obj == "fresh":
            self.cmd.set_name("fresh", "master")

    def natoms(self, obj):
        return self.cmd.count_atoms("all")

    def evaluate(self, obj, text):
        return self.cmd.count_atoms(text)

    def count(self, result):
        return result

    def row_arg(self, i):
        return PEER_TEXT[self.name][i]

    def serials(self, obj, text):
        return set(self.cmd.identify(text))


class Gemmi(Engine):
    """gemmi has a selection syntax for names, numbers and chains only; the
    other rows are written with its NeighborSearch and residue tables."""
    name = "gemmi"

    def __init__(self):
        import gemmi
        self.g = gemmi
        self.version = gemmi.__version__
        self.ca = gemmi.Selection("/*/*/*/CA")

    def load(self, path):
        g = self.g
        if path.endswith(".pdb"):
            st = g.read_pdb(path, max_line_length=78)
        else:
            st = g.read_structure(path)
        st.setup_entities()
        return st

    def fresh(self, master):
        return master.clone()

    def natoms(self, st):
        return st[0].count_atom_sites()

    # -- helpers: atoms are (chain, residue, atom) position triples
    def _amino(self, model):
        table, out = {}, []
        find = self.g.find_tabulated_residue
        for ci, ch in enumerate(model):
            for ri, res in enumerate(ch):
                ok = table.get(res.name)
                if ok is None:
                    info = find(res.name)
                    ok = table[res.name] = bool(info and info.is_amino_acid())
                if ok:
                    out.append((ci, ri))
        return out

    def _classes(self, model):
        """(protein, ligand, water) residues as (chain, residue) positions;
        ligand is what is neither amino acid, nucleic acid nor water."""
        find = self.g.find_tabulated_residue
        table, groups = {}, ([], [], [], [])
        for ci, ch in enumerate(model):
            for ri, res in enumerate(ch):
                kind = table.get(res.name)
                if kind is None:
                    info = find(res.name)
                    if info is None:
                        kind = 2
                    elif info.is_amino_acid():
                        kind = 1
                    elif info.is_water():
                        kind = 3
                    elif info.is_nucleic_acid():
                        kind = 0
                    else:
                        kind = 2
                    table[res.name] = kind
                groups[kind].append((ci, ri))
        return groups[1], groups[2], groups[3]

    def _within(self, model, ref_res, r):
        """Atoms within r of an atom of the residues ref_res, the reference
        atoms included. Queries from the smaller side."""
        g = self.g
        nref = sum(len(model[ci][ri]) for ci, ri in ref_res)
        natoms = model.count_atom_sites()
        hits = set()
        if nref <= natoms - nref:
            ns = g.NeighborSearch(model, g.UnitCell(), r).populate()
            for ci, ri in ref_res:
                for atom in model[ci][ri]:
                    for m in ns.find_atoms(atom.pos, "\0", radius=r):
                        hits.add((m.chain_idx, m.residue_idx, m.atom_idx))
        else:
            ns = g.NeighborSearch(model, g.UnitCell(), r)
            refset = set(ref_res)
            for ci, ri in ref_res:
                for ai, atom in enumerate(model[ci][ri]):
                    ns.add_atom(atom, ci, ri, ai)
            for ci, ch in enumerate(model):
                for ri, res in enumerate(ch):
                    if (ci, ri) in refset:
                        for ai in range(len(res)):
                            hits.add((ci, ri, ai))
                        continue
                    for ai, atom in enumerate(res):
                        if ns.find_atoms(atom.pos, "\0", radius=r):
                            hits.add((ci, ri, ai))
        return hits

    @staticmethod
    def _atoms_of(model, residues):
        return {(ci, ri, ai) for ci, ri in residues
                for ai in range(len(model[ci][ri]))}

    def _around(self, model, ref_res, r):
        return self._within(model, ref_res, r) - self._atoms_of(model, ref_res)

    def run(self, st, i):
        model = st[0]
        if i == 0:
            return self.ca.copy_model_selection(model)
        if i == 1:
            return self._amino(model)
        prot, lig, wat = self._classes(model)
        if i == 2:
            return self._around(model, lig, 5.0)
        if i == 3:
            return self._around(model, prot, 5.0)
        if i == 4:
            return {(ci, ri) for ci, ri, _ in self._around(model, lig, 5.0)}
        if i == 5:
            bb = {"N", "CA", "C", "O"}
            side = {(ci, ri, ai) for ci, ri in prot
                    for ai, a in enumerate(model[ci][ri]) if a.name not in bb}
            near6 = self._around(model, lig, 6.0)
            watoms = self._atoms_of(model, wat)
            near4 = self._within(model, lig, 4.0)
            return ("atoms", model, (side & near6) | (watoms & near4))
        if i == 6:
            return self._atoms_of(model, set(self._amino(model)) ^ {
                (ci, ri) for ci, ch in enumerate(model) for ri in range(len(ch))})
        if i in (7, 8):
            bb = {"N", "CA", "C", "O"}
            return {(ci, ri, ai) for ci, ri in self._amino(model)
                    for ai, a in enumerate(model[ci][ri]) if a.name in bb}
        raise IndexError(i)

    def paths(self):
        return [(self.name, lambda st, i: (st, i, self.run(st, i)))]

    def count(self, result):
        st, i, res = result
        model = st[0]
        if i == 0:
            return res.count_atom_sites()
        if i in (1, 4):
            return sum(len(model[ci][ri]) for ci, ri in res)
        if i == 5:
            return len(res[2])
        return len(res)

    def row_arg(self, i):
        return i

    def serials(self, st, i):
        model = st[0]
        return {model[ci][ri][ai].serial for ci, ri, ai in self.run(st, i)}


ENGINE_CLASSES = [MDA, ProDy, PyMOL, Gemmi]


def load_engines(wanted):
    engines, notes = [], []
    for cls in ENGINE_CLASSES:
        if wanted and cls.name not in wanted:
            continue
        try:
            engines.append(cls())
        except Exception as exc:  # not installed, or does not start
            notes.append("%s skipped: %s: %s" % (cls.name, type(exc).__name__, exc))
    return engines, notes


# ---------------------------------------------------------------------------
# The data


def make_tiled(workdir, copies):
    """Write `copies` copies of the complex as one mmCIF file; return its path
    and the number of atoms."""
    import gemmi
    import numpy as np
    st = gemmi.read_pdb(COMPLEX, max_line_length=78)
    st.setup_entities()
    model = st[0]
    pos = np.array([a.pos.tolist() for ch in model for r in ch for a in r])
    step = pos.max(axis=0) - pos.min(axis=0) + GAP
    side = math.ceil(copies ** (1.0 / 3.0))
    out = gemmi.Structure()
    out.name = "tiled"
    tiled = gemmi.Model(1)
    for k in range(copies):
        shift = step * np.array([k % side, (k // side) % side, k // (side * side)])
        copy = model.clone()
        tr = gemmi.Transform()
        tr.vec.fromlist([float(v) for v in shift])
        copy.transform_pos_and_adp(tr)
        for ch in copy:
            if ch.name == "":  # the complex's hetero groups have no chain id
                ch.name = "C"
            for res in ch:
                res.seqid.num += RESNUM_STEP * k
                res.subchain = "%s%d%s" % (ch.name, k, res.entity_type.name[0])
            tiled.add_chain(ch)
    out.add_model(tiled)
    out.setup_entities()
    doc = out.make_mmcif_document()
    block = doc[0]
    # No unit cell: a 1 A placeholder box would turn distance searches periodic.
    for prefix in ("_cell.", "_symmetry."):
        table = block.find_mmcif_category(prefix)
        if len(table):
            table.erase()
    path = os.path.join(workdir, "tiled_1hpv_x%d.cif" % copies)
    doc.write_file(path)
    with open(path, "a") as fh:
        fh.write("#\n")
    return path, tiled.count_atom_sites()


# ---------------------------------------------------------------------------
# Measurement


class Plan:
    """Samples per cell: `cold` fresh structures at most, and more than
    `cold_min` only while the cell has spent less than `budget` seconds
    (making fresh structures included); `warm` repeats at most, more than three
    only within `warm_budget`; one cold and one warm call only when a call takes
    more than `slow` seconds."""

    def __init__(self, cold, cold_min, warm, budget, warm_budget, slow):
        self.cold, self.cold_min, self.warm = cold, cold_min, warm
        self.budget, self.warm_budget, self.slow = budget, warm_budget, slow


class Cell:
    """Timings of one (row, path) pair on one system."""

    def __init__(self):
        self.cold, self.warm, self.counts = [], [], set()
        self.error = None

    @property
    def cold_med(self):
        return statistics.median(self.cold) if self.cold else None

    @property
    def warm_med(self):
        return statistics.median(self.warm) if self.warm else None

    @property
    def count(self):
        if len(self.counts) == 1:
            return next(iter(self.counts))
        return None if not self.counts else "varies:" + ",".join(map(str, sorted(self.counts)))


def measure_engine(engine, path, rows, plan, log):
    """{(row index, path label): Cell}, natoms, load seconds.

    Per row and path: `plan.cold` fresh structures, each timed on its first
    evaluation; the last of them then serves the warm repeats, so that every
    warm call repeats a selection already evaluated on that structure. A cell
    whose calls are slow stops early (at least one cold and one warm call)."""
    t0 = time.perf_counter()
    master = engine.load(path)
    load_s = time.perf_counter() - t0
    natoms = engine.natoms(master)
    log("  %-10s loaded %s atoms in %.1f s" % (engine.name, f"{natoms:,}", load_s))
    cells = {}
    for i in rows:
        arg = engine.row_arg(i)
        for label, fn in engine.paths():
            cell = cells.setdefault((i, label), Cell())
            gc.collect()
            spent = 0.0
            for sample in range(plan.cold):
                t_fresh = time.perf_counter()
                obj = engine.fresh(master)
                spent += time.perf_counter() - t_fresh
                try:
                    dt, res = timed(lambda: fn(obj, arg))
                    cell.cold.append(dt)
                    cell.counts.add(engine.count(res))
                    del res
                    spent += dt
                    more = sample + 1 < plan.cold and (
                        spent < plan.budget or (sample + 1 < plan.cold_min and dt < plan.slow))
                    if more:
                        continue
                    warm_min = 1 if dt > plan.slow else 3
                    wspent = 0.0
                    while len(cell.warm) < plan.warm and (
                            len(cell.warm) < warm_min or wspent < plan.warm_budget):
                        dt, res = timed(lambda: fn(obj, arg))
                        cell.warm.append(dt)
                        cell.counts.add(engine.count(res))
                        del res
                        wspent += dt
                    break
                except Exception as exc:
                    cell.error = "%s: %s" % (type(exc).__name__, exc)
                    break
                finally:
                    engine.release(obj)
                    del obj
    engine.release(master)
    del master
    gc.collect()
    return cells, natoms, load_s


def probe(engine, workdir):
    """What the spatial/small construct does with the reference atom and with
    atoms at 4.9, exactly 5.0 and 5.1 of it."""
    path = os.path.join(workdir, "probe.pdb")
    with open(path, "w") as fh:
        fh.write(PROBE_PDB)
    master = engine.load(path)
    picked = engine.serials(master, engine.row_arg(2))
    engine.release(master)
    ref = "includes" if PROBE_REF in picked else "excludes"
    if PROBE_IN not in picked or PROBE_OUT in picked:
        cut = "unexpected (%s)" % sorted(picked)
    else:
        cut = "inclusive (<=)" if PROBE_EDGE in picked else "strict (<)"
    return "%s the reference atoms, cutoff %s" % (ref, cut)


# ---------------------------------------------------------------------------
# Report


def fmt_ms(sec):
    if sec is None:
        return "-"
    ms = sec * 1e3
    if ms >= 100:
        return "%.0f" % ms
    if ms >= 10:
        return "%.1f" % ms
    return "%.2f" % ms


def fmt_ratio(peer, ref):
    if peer is None or ref is None or ref <= 0:
        return "-"
    r = peer / ref
    if r >= 100:
        return "%.0fx" % r
    return ("%.1fx" % r) if r >= 0.1 else ("%.2fx" % r)


def print_system(title, natoms, results, engines, kref_label, rows, out):
    out("")
    out("=" * 108)
    out("%s: %s atoms; times in ms (median); ratio = peer time / %s time"
        % (title, f"{natoms:,}", kref_label))
    out("=" * 108)
    out("%-18s %-18s %10s %10s %10s %9s %9s %7s" % (
        "row", "engine / path", "count", "cold ms", "warm ms", "cold x", "warm x", "n c/w"))
    for i in rows:
        label, text = ROWS[i]
        out("-" * 108)
        out("%-18s kaselect: %s" % (label, text))
        kref = results.get(("kaselect", i, kref_label))
        for eng in engines:
            for plabel, _ in eng.paths():
                cell = results.get((eng.name, i, plabel))
                if cell is None:
                    continue
                if cell.error:
                    out("%-18s %-18s %s" % ("", plabel, "ERROR " + cell.error))
                    continue
                if eng.name == "kaselect" or kref is None:
                    rc = rw = ""
                else:
                    rc = fmt_ratio(cell.cold_med, kref.cold_med)
                    rw = fmt_ratio(cell.warm_med, kref.warm_med)
                cnt = cell.count
                out("%-18s %-18s %10s %10s %10s %9s %9s %7s" % (
                    "", plabel, f"{cnt:,}" if isinstance(cnt, int) else cnt,
                    fmt_ms(cell.cold_med), fmt_ms(cell.warm_med), rc, rw,
                    "%d/%d" % (len(cell.cold), len(cell.warm))))


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--quick", action="store_true",
                    help="about 100 k atoms and fewer repeats")
    ap.add_argument("--copies", type=int, default=None,
                    help="copies of the complex in the large system (default 614, "
                         "1,001,434 atoms; 62 with --quick)")
    ap.add_argument("--cold", type=int, default=None,
                    help="fresh structures per cold median (default 5 on the complex, "
                         "3 on the large system)")
    ap.add_argument("--engines", default="",
                    help="comma-separated peers to run (default: all that import)")
    ap.add_argument("--no-kaselect", action="store_true",
                    help="time the peers alone")
    ap.add_argument("--clock", choices=sorted(CLOCK), default="cpu",
                    help="cpu: CPU time of the process (default); wall: elapsed time")
    ap.add_argument("--keep", metavar="DIR",
                    help="write the tiled structure into DIR and keep it")
    args = ap.parse_args(argv)

    global now
    now = CLOCK[args.clock]
    warnings.filterwarnings("ignore")
    copies = args.copies or (62 if args.quick else 614)
    plan_small = Plan(cold=args.cold or (3 if args.quick else 5), cold_min=3,
                      warm=10 if args.quick else 30,
                      budget=0.5 if args.quick else 1.5,
                      warm_budget=0.5 if args.quick else 1.5, slow=2.0)
    plan_large = Plan(cold=args.cold or 3, cold_min=2, warm=10 if args.quick else 20,
                      budget=3.0 if args.quick else 6.0,
                      warm_budget=0.5 if args.quick else 1.5, slow=2.0)

    lines = []

    def out(s=""):
        print(s, flush=True)
        lines.append(s)

    def log(s):
        print(s, file=sys.stderr, flush=True)

    wanted = {w.strip() for w in args.engines.split(",") if w.strip()}
    peers, skipped = load_engines(wanted)
    engines = []
    kaselect_note = None
    if not args.no_kaselect:
        try:
            engines.append(Kaselect())
        except Exception as exc:
            kaselect_note = "kaselect skipped: %s: %s" % (type(exc).__name__, exc)
    engines += peers
    kengine = engines[0] if engines and engines[0].name == "kaselect" else None
    if kengine is not None and "kaselect indices" in [p for p, _ in kengine.paths()]:
        kref_label = "kaselect indices"
    else:
        kref_label = "kaselect Count"

    failures = []
    t_start = time.perf_counter()
    with tempfile.TemporaryDirectory(prefix="kaselect-bench-") as tmp:
        workdir = args.keep or tmp
        os.makedirs(workdir, exist_ok=True)
        log("writing %d tiled copies of %s ..." % (copies, os.path.basename(COMPLEX)))
        tiled_path, tiled_atoms = make_tiled(workdir, copies)

        out("kaselect side-by-side benchmark (evaluation only; parsing is not timed)")
        out("clock: %s; load average at start %.1f on %d cores" % (
            "CPU time of the process" if args.clock == "cpu" else "elapsed time",
            os.getloadavg()[0], os.cpu_count() or 0))
        out("python %s; engines: %s" % (
            sys.version.split()[0],
            ", ".join("%s %s" % (e.name, e.version) for e in engines)))
        for note in ([kaselect_note] if kaselect_note else []) + skipped:
            out("  " + note)
        if kengine is not None and kengine.missing:
            out("  kaselect NumPy path not available: %s (rows skipped)"
                % ", ".join(kengine.missing))

        out("")
        out("Distance semantics seen on a probe (reference atom; waters at 4.9, 5.0, 5.1 A):")
        for eng in engines:
            try:
                out("  %-10s %-46s %s" % (eng.name, probe(eng, workdir),
                                          "[" + str(eng.row_arg(2)) + "]"
                                          if eng.name != "gemmi" else
                                          "[" + PEER_TEXT["gemmi"][2] + "]"))
            except Exception as exc:
                out("  %-10s probe failed: %s: %s" % (eng.name, type(exc).__name__, exc))

        systems = [("1hpv (real complex)", COMPLEX, plan_small),
                   ("tiled 1hpv x%d (mmCIF)" % copies, tiled_path, plan_large)]
        all_results = []
        rows = list(range(len(ROWS)))
        for title, path, plan in systems:
            log("== %s" % title)
            results, natoms_by = {}, {}
            for eng in engines:
                try:
                    t_eng = time.perf_counter()
                    cells, natoms, _ = measure_engine(eng, path, rows, plan, log)
                    log("  %-10s done in %.0f s" % (eng.name, time.perf_counter() - t_eng))
                except Exception as exc:
                    out("  %s failed on %s: %s: %s" % (eng.name, title, type(exc).__name__, exc))
                    failures.append(eng.name)
                    continue
                natoms_by[eng.name] = natoms
                for (i, label), cell in cells.items():
                    results[(eng.name, i, label)] = cell
            ref_atoms = natoms_by.get("kaselect", tiled_atoms if path == tiled_path else None)
            for name, n in natoms_by.items():
                if ref_atoms is not None and n != ref_atoms:
                    out("  ATOM COUNT MISMATCH on %s: %s has %d atoms, kaselect %s"
                        % (title, name, n, ref_atoms))
                    failures.append(name)
            out("")
            out("%s: atoms read: %s" % (title, ", ".join(
                "%s %s" % (name, f"{n:,}") for name, n in natoms_by.items())))
            all_results.append((title, path, natoms_by, results))
            print_system(title, ref_atoms or max(natoms_by.values() or [0]),
                         results, engines, kref_label, rows, out)

        # Equal work: the tiled system must select copies x what the complex selects.
        out("")
        out("Counts on the tiled system against %d x the complex:" % copies)
        (_, _, _, small), (_, _, _, large) = all_results
        bad = 0
        for key, cell in sorted(large.items(), key=lambda kv: (kv[0][1], kv[0][0])):
            other = small.get(key)
            if other is None or cell.error or other.error:
                continue
            c_small, c_large = other.count, cell.count
            if not (isinstance(c_small, int) and isinstance(c_large, int)
                    and c_large == copies * c_small):
                bad += 1
                out("  MISMATCH %-12s %-18s %s vs %d x %s" % (
                    key[0], ROWS[key[1]][0], c_large, copies, c_small))
        out("  %s" % ("all counts scale exactly" if not bad else "%d mismatches" % bad))
        if bad:
            failures.append("count scaling")

        # Counts against kaselect, row by row.
        out("")
        out("Counts that differ from kaselect's (same atoms; the notes say why):")
        any_diff = False
        for title, _, _, results in all_results:
            for i in rows:
                k = results.get(("kaselect", i, "kaselect Count"))
                if k is None:
                    continue
                for eng in engines[1:]:
                    for plabel, _ in eng.paths():
                        c = results.get((eng.name, i, plabel))
                        if c and not c.error and c.count != k.count:
                            any_diff = True
                            out("  %-24s %-18s %-11s %s vs kaselect %s" % (
                                title, ROWS[i][0], eng.name, c.count, k.count))
        if not any_diff:
            out("  none")

        out("")
        out("Peer spellings and notes:")
        for eng in engines[1:] if kengine else engines:
            out("  %s:" % eng.name)
            for i, text in enumerate(PEER_TEXT[eng.name]):
                out("    %-18s %s" % (ROWS[i][0], text))
            for note in PEER_NOTES[eng.name]:
                out("    - " + note)

        # Summary: the smallest peer/kaselect ratio per row on the large system.
        if kengine is not None:
            out("")
            out("Smallest peer / %s ratio per row, %s (below 1.0x: a peer is faster):"
                % (kref_label, all_results[-1][0]))
            results = all_results[-1][3]
            for i in rows:
                kref = results.get(("kaselect", i, kref_label))
                best = {}
                for phase in ("cold", "warm"):
                    vals = []
                    for eng in engines[1:]:
                        for plabel, _ in eng.paths():
                            c = results.get((eng.name, i, plabel))
                            if c is None or c.error or kref is None:
                                continue
                            p = getattr(c, phase + "_med")
                            k = getattr(kref, phase + "_med")
                            if p is not None and k:
                                vals.append((p / k, plabel))
                    best[phase] = min(vals) if vals else None
                def show(b):
                    if not b:
                        return "-"
                    return "%.2fx (%s)%s" % (b[0], b[1], " PEER FASTER" if b[0] < 1 else "")
                out("  %-18s cold %-36s warm %s" % (ROWS[i][0], show(best["cold"]), show(best["warm"])))
        out("")
        out("total run time %.0f s (elapsed); load average at end %.1f"
        % (time.perf_counter() - t_start, os.getloadavg()[0]))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
