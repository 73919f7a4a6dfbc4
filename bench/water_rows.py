#!/usr/bin/env python3
"""Distance rows whose inner selection is every water, kaselect beside
MDAnalysis (periodic=False), on two systems of about a million atoms:

  * 1hpv tiled 614 times (the system of bench/peers.py: protein, inhibitor,
    crystal waters);
  * the MDAnalysisTests adk water box tiled 2 x 3 x 4, mostly water (copies
    shifted by the box edge plus a gap, so that no periodic image is meant).

CPU time, median of repeats (kaselect through select_indices, warm: the
molecule keeps its distance grid between calls, as it does for any user);
counts must be equal.

    python bench/water_rows.py
"""
import os
import statistics
import sys
import tempfile
import time
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

TILED_ROWS = [("water around 3.5", "around 3.5 resname HOH"),
              ("byres (water around 3.5) and not water", "byres (around 3.5 resname HOH) and not resname HOH"),
              ("protein and (water around 4)", "protein and around 4 resname HOH")]
BOX_ROWS = [("resn SOL around 3.5", "around 3.5 resname SOL"),
            ("protein and (resn SOL around 4)", "protein and around 4 resname SOL"),
            ("resn SOL and (protein around 3.5)", "resname SOL and around 3.5 protein"),
            ("byres (resn SOL and (protein around 3.5))", "byres (resname SOL and around 3.5 protein)")]


def cpu_ms(work, repeats):
    times, result = [], None
    for _ in range(repeats):
        start = time.process_time()
        result = work()
        times.append(time.process_time() - start)
    return statistics.median(times) * 1e3, result


def compare(title, mol, universe, rows):
    import kaselect
    print(f"== {title}: {mol.NumAtoms():,} atoms")
    for ours, theirs in rows:
        k_ms, k = cpu_ms(lambda: kaselect.select_indices(mol, ours), 7)
        m_ms, m = cpu_ms(lambda: universe.select_atoms(theirs, periodic=False), 3)
        if len(k) != len(m) or (k != m.indices).any():
            raise SystemExit(f"counts differ on {ours!r}: kaselect {len(k)}, MDAnalysis {len(m)}")
        print(f"  {ours:45s} kaselect {k_ms:8.1f} ms   MDAnalysis {m_ms:8.1f} ms   {m_ms / k_ms:6.1f}x   ({len(k):,})")


def water_box(copies=(2, 3, 4), gap=12.0):
    import MDAnalysis
    import numpy
    from MDAnalysisTests.datafiles import GRO
    base = MDAnalysis.Universe(GRO)
    edge = float(base.dimensions[:3].max()) + gap
    groups = []
    for i in range(copies[0]):
        for j in range(copies[1]):
            for k in range(copies[2]):
                copy = base.copy()
                copy.atoms.positions = base.atoms.positions + numpy.array([i, j, k]) * edge
                groups.append(copy.atoms)
    merged = MDAnalysis.Merge(*groups)
    merged.dimensions = None
    return merged


def main():
    warnings.filterwarnings("ignore")
    import MDAnalysis
    import kaselect
    from lumora import kamol
    import peers
    with tempfile.TemporaryDirectory() as workdir:
        path, _ = peers.make_tiled(workdir, 614)
        compare("1hpv tiled x614", kamol.ReadMolecule(path), MDAnalysis.Universe(path), TILED_ROWS)
    box = water_box()
    compare("adk water box tiled 2x3x4", kaselect.from_mdanalysis(box), box, BOX_ROWS)


if __name__ == "__main__":
    main()
