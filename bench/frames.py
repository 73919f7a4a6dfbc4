#!/usr/bin/env python3
"""Per-frame selection timings, bulk coordinates and conversions from other
toolkits, on the tiled million-atom complex of bench/peers.py.

  * Frames: every frame gets fresh coordinates (the tiled positions moved by
    a random offset of up to JITTER A per axis and atom); each engine then
    answers `water and protein around 3.5` and `byres (ligand around 5)`:
    kaselect through select_frames (set_coords plus the selection; parts
    that do not depend on coordinates kept between frames) and, for
    reference, through set_coords plus a fresh select_indices; MDAnalysis
    through an updating AtomGroup (select_atoms(..., updating=True)) over the
    frames as an in-memory trajectory; ProDy by setCoords and select.
  * Periodic box: the MDAnalysisTests adk water box (triclinic, 47,681
    atoms) tiled along its box vectors into a box of about a million atoms,
    with the tiled box as its cell; per frame, a solvent shell
    (`resn SOL and ((not resn SOL+NA*) around 3.5)`) with the cell and the
    same selection without it (their ratio is the cost of the minimum
    image), beside MDAnalysis with periodic=True and periodic=False.
  * get_coords and set_coords (float32 and float64 input) on the whole system.
  * Conversions of the whole system: from_gemmi (a gemmi Structure),
    from_mdanalysis (a Universe), from_rdkit (an RDKit molecule of the same
    atoms), and from_arrays itself; reading the library's own object is not
    timed.

Times are CPU time of this process (--clock wall for elapsed time), medians
over the frames after the first (which also pays for the one-off work).

    python bench/frames.py            # 1,001,434 atoms, 4 frames
    python bench/frames.py --quick    # about 100 k atoms, 3 frames
    python bench/frames.py --only-periodic --box-tiles 1x1x2   # the periodic rows alone, small
"""

import argparse
import gc
import os
import statistics
import sys
import tempfile
import time
import warnings

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import peers  # noqa: E402  (also pins every engine to one thread)

JITTER = 0.5
SELECTIONS = [
    # (label, kaselect, MDAnalysis, ProDy)
    ("water near protein", "water and protein around 3.5",
     "water and around 3.5 protein", "water and exwithin 3.5 of protein"),
    ("byres near ligand", "byres (ligand around 5)", peers.PEER_TEXT["MDAnalysis"][4], peers.PEER_TEXT["ProDy"][4]),
]
CLOCK = {"cpu": time.process_time, "wall": time.perf_counter}
now = CLOCK["cpu"]


def timed(fn):
    gc.disable()
    try:
        t0 = now()
        result = fn()
        return now() - t0, result
    finally:
        gc.enable()


def ms(seconds):
    value = seconds * 1e3
    return "%.0f" % value if value >= 100 else "%.1f" % value if value >= 10 else "%.2f" % value


def make_frames(base, count, seed=3):
    import numpy
    rng = numpy.random.default_rng(seed)
    return [(base + rng.uniform(-JITTER, JITTER, base.shape)).astype(numpy.float32) for _ in range(count)]


def per_frame(step, frames):
    """(first, median of the rest, counts): `step(frame)` returns the count."""
    times, counts = [], []
    for frame in frames:
        gc.collect()
        dt, count = timed(lambda: step(frame))
        times.append(dt)
        counts.append(count)
    rest = times[1:] or times
    return times[0], statistics.median(rest), counts


def kaselect_rows(mol, frames, text):
    import kaselect
    rows = []
    answers = kaselect.select_frames(mol, text, iter(frames))
    rows.append(("kaselect select_frames", per_frame(lambda f: len(next(answers)), frames)))

    def fresh(frame):
        kaselect.set_coords(mol, frame)
        return len(kaselect.select_indices(mol, text))
    rows.append(("kaselect set_coords+select_indices", per_frame(fresh, frames)))
    return rows


def mdanalysis_row(universe, frames, text):
    """The frames as an in-memory trajectory: an updating group evaluates
    again when the trajectory moves to another frame."""
    import numpy
    from MDAnalysis.coordinates.memory import MemoryReader
    universe.load_new(numpy.stack(frames), format=MemoryReader)
    group = universe.select_atoms(text, updating=True, periodic=False)
    trajectory = universe.trajectory

    def step(frame_index):
        trajectory[frame_index]
        return len(group)
    return ("MDAnalysis updating", per_frame(step, range(len(frames))))


def prody_row(atoms, frames, text):
    def step(frame):
        atoms.setCoords(frame)
        selected = atoms.select(text)
        return 0 if selected is None else selected.numAtoms()
    return ("ProDy setCoords+select", per_frame(step, frames))


# The solvent shell of the periodic rows: (kaselect, MDAnalysis), residue
# names written out (the box's water is SOL, its ions NA+).
SHELL = ("resn SOL and ((not resn SOL+NA*) around 3.5)", "resname SOL and around 3.5 (not resname SOL NA*)")


def tiled_water_box(tiles):
    """The adk water box repeated tiles = (i, j, k) times along its box
    vectors, as an MDAnalysis Universe whose dimensions are the tiled box."""
    import numpy
    import MDAnalysis
    from MDAnalysis.lib.mdamath import triclinic_vectors
    from MDAnalysisTests.datafiles import GRO
    one = MDAnalysis.Universe(GRO)
    vectors = triclinic_vectors(one.dimensions)
    shifts = [i * vectors[0] + j * vectors[1] + k * vectors[2]
              for i in range(tiles[0]) for j in range(tiles[1]) for k in range(tiles[2])]
    tiled = MDAnalysis.Merge(*[one.atoms] * len(shifts))
    tiled.atoms.positions = numpy.concatenate([one.atoms.positions + shift for shift in shifts]).astype(numpy.float32)
    tiled.dimensions = numpy.concatenate([one.dimensions[:3] * tiles, one.dimensions[3:]]).astype(numpy.float32)
    return tiled


def periodic_rows(out, log, tiles, nframes, peer_frames):
    """Per-frame timings of the solvent shell with and without the box."""
    import numpy
    import kaselect
    try:
        universe = tiled_water_box(tiles)
    except Exception as exc:
        out("  periodic rows skipped: %s: %s" % (type(exc).__name__, exc))
        return
    mol = kaselect.from_mdanalysis(universe, perceive_bonds=False)
    cell = kaselect.get_cell(mol)
    frames = make_frames(universe.atoms.positions.copy(), nframes, seed=5)
    out("")
    out("Periodic box: adk water box tiled %s, %s atoms, cell %s"
        % ("x".join(map(str, tiles)), f"{mol.NumAtoms():,}", ", ".join("%.2f" % v for v in cell)))
    out("%-20s %-36s %10s %10s  %s" % ("selection", "engine / path", "first", "median", "counts"))
    rows = []
    for name, box in (("kaselect select_frames, cell", cell), ("kaselect select_frames, no cell", None)):
        kaselect.set_cell(mol, box)
        answers = kaselect.select_frames(mol, SHELL[0], iter(frames))
        rows.append((name, per_frame(lambda f: len(next(answers)), frames)))
    from MDAnalysis.coordinates.memory import MemoryReader
    universe.load_new(numpy.stack(frames[:peer_frames]), format=MemoryReader,
                      dimensions=numpy.asarray(cell, dtype=numpy.float32))
    for periodic in (True, False):
        group = universe.select_atoms(SHELL[1], updating=True, periodic=periodic)
        trajectory = universe.trajectory

        def step(frame_index):
            trajectory[frame_index]
            return len(group)
        rows.append(("MDAnalysis updating, periodic=%s" % periodic, per_frame(step, range(peer_frames))))
    for name, (first, median, counts) in rows:
        out("%-20s %-36s %10s %10s  %s" % ("solvent shell", name, ms(first), ms(median), ",".join(map(str, counts))))
    ratio = rows[0][1][1] / rows[1][1][1]
    agree = rows[0][1][2][:peer_frames] == rows[2][1][2] and rows[1][1][2][:peer_frames] == rows[3][1][2]
    out("%-20s kaselect with the cell / without: %.2fx per frame; counts %s MDAnalysis's on every frame"
        % ("", ratio, "agree with" if agree else "DIFFER from"))
    log("done: periodic rows")


def rdkit_copies(path, copies, offsets):
    """An RDKit molecule of `copies` copies of the complex, put together by
    doubling; the coordinates are then set to `offsets` (the tiled positions)."""
    from rdkit import Chem
    one = Chem.MolFromPDBFile(path, removeHs=False, sanitize=False)
    result, power, remaining = None, one, copies
    while remaining:
        if remaining & 1:
            result = power if result is None else Chem.CombineMols(result, power)
        remaining >>= 1
        if remaining:
            power = Chem.CombineMols(power, power)
    conformer = result.GetConformer()
    conformer.SetPositions(offsets.astype("float64"))
    return result


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--quick", action="store_true", help="about 100 k atoms and 3 frames")
    ap.add_argument("--copies", type=int, default=None, help="copies of the complex (default 614; 62 with --quick)")
    ap.add_argument("--frames", type=int, default=None, help="frames per engine (default 4; 3 with --quick)")
    ap.add_argument("--peer-frames", type=int, default=3, help="frames for MDAnalysis and ProDy (default 3)")
    ap.add_argument("--box-tiles", default=None,
                    help="tiles IxJxK of the water box for the periodic rows (default 2x3x4, 1,144,344 atoms; "
                         "1x1x2 with --quick)")
    ap.add_argument("--only-periodic", action="store_true", help="the periodic rows alone")
    ap.add_argument("--clock", choices=sorted(CLOCK), default="cpu")
    args = ap.parse_args(argv)
    global now
    now = CLOCK[args.clock]
    warnings.filterwarnings("ignore")
    copies = args.copies or (62 if args.quick else 614)
    nframes = args.frames or (3 if args.quick else 4)
    tiles = [int(t) for t in (args.box_tiles or ("1x1x2" if args.quick else "2x3x4")).split("x")]
    if len(tiles) != 3 or min(tiles) < 1:
        ap.error("--box-tiles wants three positive counts, such as 2x3x4")

    import numpy
    import kaselect
    from lumora import kamol

    def out(text=""):
        print(text, flush=True)

    def log(text):
        print(text, file=sys.stderr, flush=True)

    if args.only_periodic:
        periodic_rows(out, log, tiles, nframes, min(args.peer_frames, nframes))
        return 0

    with tempfile.TemporaryDirectory(prefix="kaselect-frames-") as tmp:
        log("writing %d tiled copies ..." % copies)
        path, natoms = peers.make_tiled(tmp, copies)
        mol = kamol.ReadMolecule(path)
        base = kaselect.get_coords(mol).copy()
        frames = make_frames(base, nframes)
        out("kaselect frames benchmark: tiled 1hpv x%d, %s atoms; %s; load average %.1f on %d cores"
            % (copies, f"{mol.NumAtoms():,}", "CPU time" if args.clock == "cpu" else "elapsed time",
               os.getloadavg()[0], os.cpu_count() or 0))
        out("every frame: fresh coordinates (tiled positions + uniform jitter of %.1f A per axis)" % JITTER)

        engines = {}
        try:
            import MDAnalysis
            t0 = time.perf_counter()
            engines["MDAnalysis"] = MDAnalysis.Universe(path)
            log("MDAnalysis %s loaded in %.0f s" % (MDAnalysis.__version__, time.perf_counter() - t0))
        except Exception as exc:
            out("  MDAnalysis skipped: %s: %s" % (type(exc).__name__, exc))
        try:
            import prody
            prody.confProDy(verbosity="none")
            t0 = time.perf_counter()
            engines["ProDy"] = prody.parseMMCIF(path)
            log("ProDy %s loaded in %.0f s" % (prody.__version__, time.perf_counter() - t0))
        except Exception as exc:
            out("  ProDy skipped: %s: %s" % (type(exc).__name__, exc))

        out("")
        out("Per frame (ms; first frame, then the median of the others; counts per frame):")
        out("%-20s %-36s %10s %10s  %s" % ("selection", "engine / path", "first", "median", "counts"))
        for label, ktext, mtext, ptext in SELECTIONS:
            rows = kaselect_rows(mol, frames, ktext)
            peer_frames = frames[:args.peer_frames]
            if "MDAnalysis" in engines:
                rows.append(mdanalysis_row(engines["MDAnalysis"], peer_frames, mtext))
            if "ProDy" in engines:
                rows.append(prody_row(engines["ProDy"], peer_frames, ptext))
            reference = rows[0][1][1]
            for name, (first, median, counts) in rows:
                ratio = "" if name.startswith("kaselect select_frames") else " (%.0fx)" % (median / reference)
                out("%-20s %-36s %10s %10s  %s%s" % (label, name, ms(first), ms(median),
                                                     ",".join(map(str, counts)), ratio))
            label_counts = [rows[0][1][2][:len(r[1][2])] == r[1][2] for r in rows]
            out("%-20s %s" % ("", "counts agree with kaselect on every frame" if all(label_counts)
                              else "COUNTS DIFFER from kaselect"))
            log("done: %s" % label)

        periodic_rows(out, log, tiles, nframes, min(args.peer_frames, nframes))

        out("")
        out("Bulk coordinates (ms, median of 10):")
        as64 = base.astype(numpy.float64)
        for name, fn in (("get_coords", lambda: kaselect.get_coords(mol)),
                         ("set_coords float32", lambda: kaselect.set_coords(mol, base)),
                         ("set_coords float64", lambda: kaselect.set_coords(mol, as64))):
            out("  %-20s %8s" % (name, ms(statistics.median(timed(fn)[0] for _ in range(10)))))

        out("")
        out("Conversions of the whole system (s; the library's own object is made beforehand, untimed):")
        cols = kaselect.columns(mol)
        fields = dict(names=cols["name"], resnames=cols["resname"], resids=cols["resid"], chains=cols["chain"],
                      elements=cols["element"], icodes=cols["icode"], altlocs=cols["altloc"],
                      serials=cols["serial"], bfactors=cols["bfactor"], occupancies=cols["occupancy"],
                      hetatm=cols["hetatm"])
        conversions = [("from_arrays (columns of the molecule)", lambda: kaselect.from_arrays(base, **fields))]
        try:
            import gemmi
            structure = gemmi.read_structure(path)
            conversions.append(("from_gemmi (gemmi %s)" % gemmi.__version__, lambda: kaselect.from_gemmi(structure)))
        except Exception as exc:
            out("  gemmi skipped: %s: %s" % (type(exc).__name__, exc))
        if "MDAnalysis" in engines:
            universe = engines["MDAnalysis"]
            universe.atoms.positions = base
            conversions.append(("from_mdanalysis (Universe)", lambda: kaselect.from_mdanalysis(universe)))
        try:
            import rdkit
            rdmol = rdkit_copies(peers.COMPLEX, copies, base)
            conversions.append(("from_rdkit (rdkit %s)" % rdkit.__version__, lambda: kaselect.from_rdkit(rdmol)))
        except Exception as exc:
            out("  RDKit skipped: %s: %s" % (type(exc).__name__, exc))
        for name, fn in conversions:
            gc.collect()
            dt, converted = timed(fn)
            agree = converted.NumAtoms() == mol.NumAtoms()
            out("  %-40s %7.2f  %s atoms%s" % (name, dt, f"{converted.NumAtoms():,}", "" if agree else " MISMATCH"))
            del converted
    return 0


if __name__ == "__main__":
    sys.exit(main())
