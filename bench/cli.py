#!/usr/bin/env python3
"""The command-line tool on a large structure, beside gemmi's own program.

The complex is tiled to about one million atoms (as bench/peers.py tiles it)
and written as mmCIF, and by kaselect's writer as PDB. Each command runs in a
fresh process; reported are the processor time (user + system) of the whole
command, start-up and reading included, best of a few runs, and the peak
resident size. `gemmi contents` reads the file and prints a summary of it.
The files are made by a child process, so that this one stays small (a child
starts with its parent's resident size as its peak).

    python bench/cli.py            # about 1 M atoms
    python bench/cli.py --quick    # about 100 k atoms
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile


COMMANDS = [
    ("kaselect FILE protein --count", ["kaselect", "{}", "protein", "--count"]),
    ("kaselect FILE 'water and ligand around 5' --count",
     ["kaselect", "{}", "water and ligand around 5", "--count"]),
    ("kaselect FILE organic --count (needs bonds)", ["kaselect", "{}", "organic", "--count"]),
    ("kaselect FILE 'ligand around 5' -o near.cif", ["kaselect", "{}", "ligand around 5", "-o", "{out}"]),
    ("gemmi contents FILE", ["gemmi", "contents", "{}"]),
]


def run(argv, repeats):
    """Best processor time (s) and peak resident size (MB) of the command."""
    best_cpu, peak = float("inf"), 0.0
    for _ in range(repeats):
        proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(proc.pid, 0)
        stderr = proc.stderr.read().decode(errors="replace")
        proc.stderr.close()
        if os.waitstatus_to_exitcode(status) != 0:
            raise SystemExit("%s failed: %s" % (" ".join(argv), stderr.strip()))
        best_cpu = min(best_cpu, usage.ru_utime + usage.ru_stime)
        peak = max(peak, usage.ru_maxrss / 1024.0)
    return best_cpu, peak


def prepare(workdir, copies):
    """Writes the tiled structure as mmCIF and PDB; prints their paths and the atom count."""
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from peers import make_tiled
    from lumora import kamol
    cif, atoms = make_tiled(workdir, copies)
    pdb = os.path.join(workdir, "tiled.pdb")
    kamol.WriteMolecule(pdb, kamol.ReadMolecule(cif))
    print(cif, pdb, atoms)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--quick", action="store_true")
    ap.add_argument("--repeats", type=int, default=3)
    ap.add_argument("--prepare", nargs=2, metavar=("DIR", "COPIES"), help=argparse.SUPPRESS)
    args = ap.parse_args()
    if args.prepare:
        return prepare(args.prepare[0], int(args.prepare[1]))
    for tool in ("kaselect", "gemmi"):
        if not shutil.which(tool):
            raise SystemExit("%s is not on PATH (make bench-venv installs both)" % tool)

    workdir = tempfile.mkdtemp(prefix="kaselect-bench-cli-")
    try:
        made = subprocess.run([sys.executable, os.path.abspath(__file__), "--prepare", workdir,
                               str(62 if args.quick else 614)], check=True, capture_output=True, text=True)
        cif, pdb, atoms = made.stdout.split()
        print("1hpv tiled to %s atoms; processor time of the whole command (best of %d), peak resident size"
              % (atoms, args.repeats))
        for path in (pdb, cif):
            label = "PDB" if path.endswith(".pdb") else "mmCIF"
            print("%s, %.0f MB" % (label, os.path.getsize(path) / 1e6))
            times = {}
            for name, template in COMMANDS:
                argv = [a.format(path, out=os.path.join(workdir, "near.cif")) for a in template]
                cpu, peak = run(argv, args.repeats)
                times[name] = cpu
                print("  %-52s %6.2f s  %6.0f MB" % (name, cpu, peak))
            reference = times["gemmi contents FILE"]
            print("  kaselect --count against gemmi contents: %.2fx" % (times[COMMANDS[0][0]] / reference))
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
