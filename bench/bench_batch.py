#!/usr/bin/env python3
"""Files per second over many structure files: kaselect's batch back ends
beside the loops a user would otherwise write with other libraries.

The corpus is generated into a temporary directory: the repository's
structures (tests/data: 1hpv, 3al1, pept; ligs3d.sdf) with every coordinate
moved by up to 0.1 A at random, written as PDB, as mmCIF compressed with gzip
(written by gemmi) and as single-record SDF, in turn. Three selections run on
every file:

  ligand, water and ligand around 3.5, protein and byres (ligand around 5)

Rows: kaselect.batch.select_files with 1 and 2 local workers and on a Dask
cluster of 2 single-threaded workers on 127.0.0.1; MDAnalysis select_atoms and
gemmi (NeighborSearch, residue tables) each in a multiprocessing.Pool of 2
processes, one file per task with chunks as kaselect sends them. Neither peer
reads SDF: both loops read those files with RDKit (MDAnalysis through its RDKit
converter). Every row must give kaselect's counts, file by file.

Times are elapsed wall time from the call to the last answer: local runs
include starting their worker processes (kaselect's and the peers' pools
alike), the Dask run uses a cluster started beforehand whose workers have
already imported kaselect. On a machine shared with other work the scaling
figures are noisy: the load average is printed beside them.

    python bench/bench_batch.py            # 2,001 files
    python bench/bench_batch.py --quick    # 201 files
"""
import argparse
import gzip
import math
import multiprocessing
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

for _var in ("OMP_NUM_THREADS", "OPENBLAS_NUM_THREADS", "MKL_NUM_THREADS"):
    os.environ.setdefault(_var, "1")

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(os.path.dirname(HERE), "tests", "data")
PROTEINS = ["1hpv.pdb", "3al1.pdb", "pept.pdb"]
LIGANDS = "ligs3d.sdf"
SELECTIONS = ["ligand", "water and ligand around 3.5", "protein and byres (ligand around 5)"]
JITTER = 0.1   # Angstrom, per coordinate


# ---- corpus -------------------------------------------------------------------------


def _jittered_pdb(text, rng):
    out = []
    for line in text.splitlines(keepends=True):
        if line.startswith(("ATOM", "HETATM")) and len(line) >= 54:
            xyz = [float(line[30 + 8 * i:38 + 8 * i]) + rng.uniform(-JITTER, JITTER) for i in range(3)]
            line = line[:30] + "".join(f"{v:8.3f}" for v in xyz) + line[54:]
        out.append(line)
    return "".join(out)


def _sdf_records(text):
    return [r + "$$$$\n" for r in text.split("$$$$\n") if r.strip()]


def _jittered_sdf(record, rng):
    lines = record.splitlines(keepends=True)
    atoms = int(lines[3][:3])
    for i in range(4, 4 + atoms):
        line = lines[i]
        xyz = [float(line[10 * k:10 * k + 10]) + rng.uniform(-JITTER, JITTER) for k in range(3)]
        lines[i] = "".join(f"{v:10.4f}" for v in xyz) + line[30:]
    return "".join(lines)


def make_corpus(directory, files, seed=16):
    """Writes `files` structures in turn as PDB, mmCIF.gz and SDF; returns
    their paths."""
    import gemmi
    rng = random.Random(seed)
    sources = [open(os.path.join(DATA, name)).read() for name in PROTEINS]
    records = _sdf_records(open(os.path.join(DATA, LIGANDS)).read())
    paths = []
    for n in range(files):
        kind = n % 3
        if kind == 2:
            path = os.path.join(directory, f"s{n:05}.sdf")
            with open(path, "w") as f:
                f.write(_jittered_sdf(records[n % len(records)], rng))
        else:
            text = _jittered_pdb(sources[(n // 3) % len(sources)], rng)
            if kind == 0:
                path = os.path.join(directory, f"s{n:05}.pdb")
                with open(path, "w") as f:
                    f.write(text)
            else:
                st = gemmi.read_pdb_string(text, max_line_length=78)
                st.setup_entities()
                path = os.path.join(directory, f"s{n:05}.cif.gz")
                with gzip.open(path, "wt") as f:
                    f.write(st.make_mmcif_document().as_string())
        paths.append(path)
    return paths


# ---- peers: one file in, the three counts out ----------------------------------------


def _rdkit_mol(path):
    from rdkit import Chem
    return Chem.MolFromMolFile(path, removeHs=False, sanitize=False)


# The ligand in the peers' words: what is neither protein nor water (on this
# corpus that is kaselect's "ligand": no nucleic acids, ions or cofactors).
MDA_LIGAND = "(not protein and not water)"
MDA_SELECTIONS = [MDA_LIGAND, f"water and around 3.5 {MDA_LIGAND}",
                  f"protein and byres (around 5 {MDA_LIGAND})"]


def mdanalysis_counts(path):
    import MDAnalysis
    if path.endswith(".sdf"):
        universe = MDAnalysis.Universe(_rdkit_mol(path))
        # SDF has no residues; protein and water need residue names.
        universe.add_TopologyAttr("resnames", ["UNL"] * len(universe.residues))
    else:
        universe = MDAnalysis.Universe(path)
    return [len(universe.select_atoms(s, periodic=False)) for s in MDA_SELECTIONS]


# Chain caps are protein residues for kaselect and MDAnalysis, not amino acids in gemmi's table.
CAPS = {"ACE", "NH2", "NME"}


def gemmi_counts(path):
    import gemmi
    if path.endswith(".sdf"):
        return [_rdkit_mol(path).GetNumAtoms(), 0, 0]
    # 1hpv.pdb has an identifier where the charge columns are.
    st = gemmi.read_pdb(path, max_line_length=78) if path.endswith(".pdb") else gemmi.read_structure(path)
    model = st[0]
    kinds = {}
    atoms = []   # (chain index, residue index, atom index, kind)
    for ci, chain in enumerate(model):
        for ri, res in enumerate(chain):
            kind = kinds.get(res.name)
            if kind is None:
                info = gemmi.find_tabulated_residue(res.name)
                amino = res.name in CAPS or (info and info.is_amino_acid())
                kind = kinds[res.name] = ("protein" if amino else
                                          "water" if info and info.is_water() else "ligand")
            atoms.extend((ci, ri, ai, kind) for ai in range(len(res)))
    ligand = [(ci, ri, ai) for ci, ri, ai, kind in atoms if kind == "ligand"]
    ns = gemmi.NeighborSearch(model, gemmi.UnitCell(), 6).populate()

    def near(cutoff):
        found = set()
        for ci, ri, ai in ligand:
            pos = model[ci][ri][ai].pos
            for mark in ns.find_atoms(pos, "\0", radius=cutoff):
                if pos.dist(mark.pos) < cutoff:
                    found.add((mark.chain_idx, mark.residue_idx, mark.atom_idx))
        return found - set(ligand)

    kind_of = {(ci, ri, ai): kind for ci, ri, ai, kind in atoms}
    waters = sum(1 for a in near(3.5) if kind_of[a] == "water")
    site = {(ci, ri) for ci, ri, ai in near(5.0)}
    by_residue = sum(len(model[ci][ri]) for ci, ri in site
                     if kinds[model[ci][ri].name] == "protein")
    return [len(ligand), waters, by_residue]


def _peer_chunk(args):
    function, paths = args
    return [function(p) for p in paths]


def run_peer(function, paths, processes, chunk):
    """(seconds, counts per file) from a multiprocessing.Pool started for the
    run, as kaselect's local workers are; the libraries are imported before
    the pool forks, as a script would import them at its top."""
    import gemmi, MDAnalysis, rdkit.Chem  # noqa: F401,E401
    jobs = [(function, paths[i:i + chunk]) for i in range(0, len(paths), chunk)]
    t0 = time.perf_counter()
    with multiprocessing.get_context("fork").Pool(processes) as pool:
        counts = [c for part in pool.map(_peer_chunk, jobs, chunksize=1) for c in part]
    return time.perf_counter() - t0, counts


# ---- kaselect -------------------------------------------------------------------------


def kaselect_counts(paths, **where):
    """(seconds, counts per file in path order) of one select_files run."""
    from kaselect.batch import select_files
    position = {p: i for i, p in enumerate(paths)}
    counts = [[None] * len(SELECTIONS) for _ in paths]
    column = {}
    t0 = time.perf_counter()
    for record in select_files(paths, SELECTIONS, **where):
        if "error" in record:
            raise RuntimeError(f"{record['path']}: {record['error']}")
        text = record["selection"]
        if text not in column:
            column[text] = len(column)
        counts[position[record["path"]]][column[text]] = record["count"]
    seconds = time.perf_counter() - t0
    # Canonical texts come in the order of SELECTIONS.
    from kaselect import KaSelection
    order = [column[KaSelection.Parse(s).ToCanonical()] for s in SELECTIONS]
    return seconds, [[c[i] for i in order] for c in counts]


class DaskCluster:
    """A scheduler and two single-threaded workers on 127.0.0.1, as processes."""

    def __init__(self, directory):
        self.info = os.path.join(directory, "scheduler.json")
        bindir = os.path.dirname(sys.executable)
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        self.procs = [subprocess.Popen([os.path.join(bindir, "dask"), "scheduler", "--host", "127.0.0.1",
                                        "--port", "0", "--no-dashboard", "--scheduler-file", self.info],
                                       **quiet)]
        while not os.path.exists(self.info):
            time.sleep(0.05)
        for _ in range(2):
            self.procs.append(subprocess.Popen(
                [os.path.join(bindir, "dask"), "worker", "--scheduler-file", self.info, "--nworkers", "1",
                 "--nthreads", "1", "--host", "127.0.0.1", "--no-dashboard"], **quiet))
        from distributed import Client
        self.client = Client(scheduler_file=self.info, timeout="60s")
        self.client.wait_for_workers(2, timeout=120)

    def close(self):
        import signal
        self.client.close()
        for proc in self.procs:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--quick", action="store_true", help="201 files instead of 2,001")
    ap.add_argument("--files", type=int, help="corpus size (default 2001)")
    args = ap.parse_args(argv)
    files = args.files or (201 if args.quick else 2001)
    warnings.filterwarnings("ignore")

    import kaselect
    from kaselect.batch import chunk_size
    rows = []
    with tempfile.TemporaryDirectory(prefix="kaselect-batch-bench-") as tmp:
        print(f"writing {files} structures ...", file=sys.stderr, flush=True)
        paths = make_corpus(tmp, files)
        size = sum(os.path.getsize(p) for p in paths)
        print(f"kaselect batch benchmark: {files} files ({files // 3 + (files % 3 > 0)} PDB, "
              f"{files // 3 + (files % 3 > 1)} mmCIF.gz, {files // 3} SDF; {size / 1e6:.0f} MB), "
              f"{len(SELECTIONS)} selections: {', '.join(SELECTIONS)}")
        print(f"{os.cpu_count()} cores; load average at start {os.getloadavg()[0]:.1f}")

        def row(label, seconds, counts, reference):
            wrong = sum(1 for a, b in zip(counts, reference) if a != b) if reference else 0
            rows.append((label, seconds, wrong))
            print(f"  {label:<36} {files / seconds:8.1f} files/s  ({seconds:6.2f} s)"
                  f"{'' if reference is None else f'  {wrong} files with other counts'}"
                  f"  load {os.getloadavg()[0]:.1f}", flush=True)

        t1, reference = kaselect_counts(paths, workers=1)
        row("kaselect, 1 local worker", t1, reference, None)
        t2, counts = kaselect_counts(paths, workers=2)
        row("kaselect, 2 local workers", t2, counts, reference)
        cluster = DaskCluster(tmp)
        try:
            kaselect_counts(paths[:8], client=cluster.client)      # workers import kaselect
            td, counts = kaselect_counts(paths, client=cluster.client)
            row("kaselect, Dask: 2 workers on loopback", td, counts, reference)
        finally:
            cluster.close()
        chunk = chunk_size(len(paths), 2)
        peers = [("MDAnalysis select_atoms, Pool(2)", mdanalysis_counts),
                 ("gemmi NeighborSearch, Pool(2)", gemmi_counts)]
        for label, function in peers:
            try:
                seconds, counts = run_peer(function, paths, 2, chunk)
            except Exception as error:   # a peer that does not install or run is reported, not fatal
                print(f"  {label}: failed: {type(error).__name__}: {error}")
                continue
            row(label, seconds, counts, reference)
            for path, mine, theirs in zip(paths, reference, counts):
                if mine != theirs:
                    print(f"    first difference: {os.path.basename(path)} kaselect {mine} vs {theirs}")
                    break

        print()
        print("| run | files/s | vs kaselect, 2 workers | counts |")
        print("|---|---|---|---|")
        best = files / t2
        for label, seconds, wrong in rows:
            rate = files / seconds
            print(f"| {label} | {rate:.0f} | {rate / best:.2f}x | "
                  f"{'same' if not wrong else f'{wrong} files differ'} |")
        print(f"\nscaling, 1 -> 2 local workers: {t1 / t2:.2f}x; kaselect "
              f"{kaselect.KASELECT_VERSION_MAJOR}.{kaselect.KASELECT_VERSION_MINOR}."
              f"{kaselect.KASELECT_VERSION_PATCH}; load average at end {os.getloadavg()[0]:.1f}")
    return 1 if any(wrong for _, _, wrong in rows) else 0


if __name__ == "__main__":
    sys.exit(main())
