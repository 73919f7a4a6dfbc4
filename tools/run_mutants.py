#!/usr/bin/env python3
"""Mutation testing of the selection/ and molecule/ sources (make mutants).

universalmutator writes every mutant of each *.cpp file; a fixed seed shuffles
them, and the first --count mutants that build are run, one at a time, against
the C++ test binaries (fastest first, stopping at the first failure) and then
the Python tests (pytest -x) in a build directory of their own (build/mutants).
The original source is put back after each mutant, also on Ctrl-C. Mutants that
do not build count as neither killed nor survived; the sample depends only on
the seed and the sources, so runs with different tests compare the same mutants.
"""
import argparse, os, random, shutil, signal, subprocess, sys, tempfile, time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SOURCE_DIRS = ("selection", "molecule")


def run(cmd, timeout, **kw):
    """Exit code of cmd, or None when it ran past timeout (its group is killed)."""
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True, **kw)
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    finally:
        if proc.poll() is None:  # timed out, or interrupted: end the whole group
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()


def generate(workdir):
    """Every mutant as (source, mutant file), in a fixed order."""
    mutants = []
    for d in SOURCE_DIRS:
        for src in sorted((ROOT / d).glob("*.cpp")):
            out = workdir / d / src.stem
            out.mkdir(parents=True)
            subprocess.run(["mutate", str(src), "--noCheck", "--mutantDir", str(out)],
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            files = sorted(out.glob("*.mutant.*"), key=lambda p: int(p.name.split(".")[-2]))
            mutants += [(src, f) for f in files]
    return mutants


class Suite:
    def __init__(self, build, jobs):
        self.build, self.jobs = build, jobs
        self.site = build / "site"
        self.env = dict(os.environ, PYTHONPATH=str(self.site), PYTHONDONTWRITEBYTECODE="1")

    def configure(self):
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(self.build), "-DKASELECT_TESTS=ON",
                        "-DKASELECT_PYTHON=ON", "-DCMAKE_BUILD_TYPE=Debug"],
                       check=True, stdout=subprocess.DEVNULL)
        for pkg in ("kaselect", "lumora"):
            shutil.copytree(ROOT / "python" / pkg, self.site / pkg, dirs_exist_ok=True,
                            ignore=shutil.ignore_patterns("__pycache__"))

    def build_all(self, timeout):
        code = run(["cmake", "--build", str(self.build), f"-j{self.jobs}"], timeout)
        if code == 0:
            code = run(["cmake", "--install", str(self.build), "--prefix", str(self.site)], timeout)
        return code == 0

    def binaries(self):
        return sorted(p for p in (self.build / "tests" / "cpp").glob("test_*")
                      if p.is_file() and os.access(p, os.X_OK))

    def pytest(self, timeout, storage):
        env = dict(self.env, HYPOTHESIS_STORAGE_DIRECTORY=storage)
        return run([sys.executable, "-m", "pytest", "-x", "-q", "-p", "no:cacheprovider",
                    "--hypothesis-seed=0", str(ROOT / "tests" / "python")],
                   timeout, cwd=str(self.build), env=env)

    def baseline(self):
        """Seconds each C++ binary and the Python suite take on the unmutated code."""
        times = {}
        for exe in self.binaries() + ["pytest"]:
            start = time.monotonic()
            with tempfile.TemporaryDirectory() as storage:
                code = (self.pytest(3600, storage) if exe == "pytest"
                        else run([str(exe)], 3600, cwd=str(self.build)))
            if code != 0:
                sys.exit(f"the unmutated tests fail ({exe}); fix them first")
            times[exe] = time.monotonic() - start
        return times

    def verdict(self, times):
        """'killed', 'survived' or 'timed out' for the mutant now in place; each
        run is capped at three times its unmutated time plus half a minute."""
        for exe in sorted(self.binaries(), key=lambda e: times[e]):
            code = run([str(exe)], 3 * times[exe] + 30, cwd=str(self.build))
            if code is None:
                return "timed out"
            if code != 0:
                return "killed"
        with tempfile.TemporaryDirectory() as storage:
            code = self.pytest(3 * times["pytest"] + 30, storage)
        return "timed out" if code is None else "killed" if code else "survived"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--seed", type=int, default=13)
    ap.add_argument("--count", type=int, default=40)
    ap.add_argument("--build", type=Path, default=ROOT / "build" / "mutants")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--build-timeout", type=int, default=900)
    args = ap.parse_args()

    suite = Suite(args.build.resolve(), args.jobs)
    suite.configure()
    print("building the unmutated code and timing its tests ...", flush=True)
    if not suite.build_all(3600):
        sys.exit("the unmutated code does not build")
    times = suite.baseline()
    print(f"unmutated tests pass: C++ {sum(times.values()) - times['pytest']:.0f} s, "
          f"Python {times['pytest']:.0f} s", flush=True)

    workdir = Path(tempfile.mkdtemp(prefix="mutants-"))
    mutants = generate(workdir)
    random.Random(args.seed).shuffle(mutants)
    print(f"{len(mutants)} mutants written; seed {args.seed}; running the first {args.count} that build",
          flush=True)

    results = {"killed": [], "survived": [], "timed out": [], "did not build": []}
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    try:
        for src, mutant in mutants:
            if sum(len(v) for k, v in results.items() if k != "did not build") == args.count:
                break
            original = src.read_bytes()
            diff = subprocess.run(["diff", "-u", str(src), str(mutant)], capture_output=True,
                                  text=True).stdout
            diff = "\n".join(diff.splitlines()[2:])
            try:
                shutil.copyfile(mutant, src)
                start = time.monotonic()
                outcome = (suite.verdict(times) if suite.build_all(args.build_timeout)
                           else "did not build")
            finally:
                src.write_bytes(original)
            name = f"{src.relative_to(ROOT)} {mutant.name}"
            results[outcome].append((name, diff))
            print(f"[{time.strftime('%H:%M:%S')}] {outcome:13} {name} ({time.monotonic() - start:.0f} s)",
                  flush=True)
    except KeyboardInterrupt:
        print("interrupted; the source is restored", flush=True)
    finally:
        shutil.rmtree(workdir, ignore_errors=True)

    ran = sum(len(results[k]) for k in ("killed", "survived", "timed out"))
    print("\n== surviving mutants")
    for name, diff in results["survived"]:
        print(f"-- {name}\n{diff}")
    print("\n== summary")
    for k, v in results.items():
        print(f"{k:14} {len(v)}")
    if ran:
        print(f"kill rate      {len(results['killed']) / ran:.1%} "
              f"({len(results['killed'])} of {ran}; timed out counts as not killed)")


if __name__ == "__main__":
    main()
