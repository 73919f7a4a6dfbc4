"""Batch runs over many files: the local process pool and a real Dask cluster
on loopback give the library's own answers, file by file; bad files become
error lines; killed workers and killed runs lose and double nothing.

A worker is killed mid-run deterministically: one input is a named pipe, whose
reader blocks until the test writes to it. The test finds the process that has
the pipe open, kills it with SIGKILL, waits for the retry to open the pipe and
then writes a real structure into it."""
import concurrent.futures
import errno
import fcntl
import gzip
import json
import os
import pty
import re
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time

import pytest

import kaselect
from kaselect.batch import MAX_LOSSES, expand_inputs, select_files
from lumora import kamol

DATA = os.path.join(os.path.dirname(__file__), "..", "data")
SELECTIONS = ["ligand", "protein and byres (ligand around 4.5)", "water and ligand around 3.5"]
CANONICAL = [kaselect.KaSelection.Parse(s).ToCanonical() for s in SELECTIONS]
DEADLINE = 60   # seconds any single wait may take before the test fails


@pytest.fixture(scope="module")
def corpus(tmp_path_factory):
    """Real structures (plain, gzip, nested) beside files that cannot be read."""
    root = tmp_path_factory.mktemp("corpus")
    (root / "nested" / "deeper").mkdir(parents=True)
    for name in ("1hpv.pdb", "3al1.pdb", "pept.pdb", "ligs3d.sdf", "LIG_1HPV.mol2", "small01.mol"):
        shutil.copy(os.path.join(DATA, name), root / "nested" / name)
    complex_text = open(os.path.join(DATA, "1hpv.pdb"), "rb").read()
    with gzip.open(root / "nested" / "deeper" / "1hpv_copy.pdb.gz", "wb") as f:
        f.write(complex_text)
    (root / "empty.pdb").write_bytes(b"")
    lines = complex_text.splitlines(keepends=True)
    atom = next(i for i, line in enumerate(lines) if line.startswith(b"ATOM"))
    (root / "truncated.pdb").write_bytes(b"".join(lines[:atom + 40]) + lines[atom + 40][:30])
    (root / "corrupt.cif.gz").write_bytes(gzip.compress(b"data_x\n" * 500)[:60] + b"\x00garbage" * 20)
    (root / "garbage.sdf").write_text("not a molecule\n\n\nxx\n")
    (root / "notes.txt").write_text("not a structure suffix: never read\n")
    return str(root)


def expected_records(path, all_records=False):
    """What the library itself says about one file (the oracle)."""
    try:
        mols = kamol.ReadMolecules(path) if all_records else [kamol.ReadMolecule(path)]
    except (OSError, ValueError) as error:
        return [{"path": path, "record": 0, "error": str(error)}]
    return [{"path": path, "record": n, "selection": c, "atoms": mol.NumAtoms(),
             "count": kaselect.CountSelection(mol, s), "residues": kaselect.selected_residues(mol, s),
             "indices": list(kaselect.EvaluateSelection(mol, s))}
            for n, mol in enumerate(mols) for s, c in zip(SELECTIONS, CANONICAL)]


def key(record):
    return record["path"], record["record"], record.get("selection")


def assert_each_once(records, expected):
    """Nothing lost, nothing doubled: `expected` names each key once."""
    assert sorted(records, key=key) == sorted(expected, key=key)


# ---- a Dask cluster of two worker processes on loopback ---------------------------


def _dask_command(*args):
    return [os.path.join(os.path.dirname(sys.executable), "dask"), *args]


@pytest.fixture(scope="module")
def dask_cluster(tmp_path_factory):
    """(address, Client) of a scheduler and two single-threaded workers, each
    started as its own process group and killed at the end."""
    distributed = pytest.importorskip("distributed")
    where = tmp_path_factory.mktemp("dask")
    info = where / "scheduler.json"
    common = ["--no-dashboard"]
    procs = [subprocess.Popen(_dask_command("scheduler", "--host", "127.0.0.1", "--port", "0",
                                            "--scheduler-file", str(info), *common),
                              stdout=subprocess.DEVNULL, stderr=open(where / "scheduler.log", "w"),
                              start_new_session=True, cwd=str(where))]
    try:
        deadline = time.monotonic() + DEADLINE
        while not info.exists() and time.monotonic() < deadline:
            time.sleep(0.05)
        for n in range(2):
            procs.append(subprocess.Popen(
                _dask_command("worker", "--scheduler-file", str(info), "--nworkers", "1",
                              "--nthreads", "1", "--host", "127.0.0.1", *common),
                stdout=subprocess.DEVNULL, stderr=open(where / f"worker{n}.log", "w"),
                start_new_session=True, cwd=str(where)))
        client = distributed.Client(scheduler_file=str(info), timeout="30s")
        client.wait_for_workers(2, timeout=DEADLINE)
        yield client.scheduler.address, client
        client.close()
    finally:
        for proc in procs:
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            proc.wait(timeout=DEADLINE)


@pytest.fixture(params=["local", "dask"])
def back_end(request):
    """select_files keywords for each back end."""
    if request.param == "local":
        return {"workers": 2}
    return {"client": request.getfixturevalue("dask_cluster")[1]}


# ---- answers ---------------------------------------------------------------------------


def test_every_file_answered_as_the_library_answers_it(corpus, back_end):
    paths = expand_inputs([corpus])
    assert len(paths) == 11 and not any(p.endswith("notes.txt") for p in paths)
    records = list(select_files([corpus], SELECTIONS, residues=True, indices=True, ordered=True, **back_end))
    expected = [r for p in paths for r in expected_records(p)]
    assert records == expected                         # in input order, field for field
    errors = {os.path.basename(r["path"]) for r in records if "error" in r}
    assert errors == {"empty.pdb", "truncated.pdb", "corrupt.cif.gz", "garbage.sdf"}


def test_one_file_under_many_spellings_is_answered_once(tmp_path, monkeypatch):
    """Spellings of one file are one input, under the first spelling; blank
    and "#" lines of a list name nothing."""
    (tmp_path / "d").mkdir()
    for name in ("a.pdb", "b.pdb"):
        shutil.copy(os.path.join(DATA, "pept.pdb"), tmp_path / "d" / name)
    (tmp_path / "list.txt").write_text("# a comment\n\n   \n./d/a.pdb\n  # d/b.pdb\nd//a.pdb\nd/b.pdb\n")
    monkeypatch.chdir(tmp_path)
    absolute = str(tmp_path / "d" / "a.pdb")
    for inputs, expected in [
        (["d/a.pdb", "./d/a.pdb", absolute, "d//a.pdb"], ["d/a.pdb"]),
        ([absolute, "d/", "d/a.pdb"], [absolute, "d/b.pdb"]),
        (["@list.txt", absolute], ["./d/a.pdb", "d/b.pdb"]),
    ]:
        assert expand_inputs(inputs) == expected


def test_records_of_multi_record_files(corpus):
    sdf = os.path.join(corpus, "nested", "ligs3d.sdf")
    records = list(select_files(sdf, SELECTIONS, all_records=True, workers=1, residues=True, indices=True))
    expected = expected_records(sdf, all_records=True)
    assert len({r["record"] for r in expected}) == 10
    assert_each_once(records, expected)


@pytest.mark.parametrize("selections, workers, message", [
    (["water and"], None, "Failed to parse selection: water and"),
    ([], None, "at least one selection"),
    (["all"], 0, "workers must be a positive int"),
])
def test_refused_before_any_file_is_read(selections, workers, message):
    with pytest.raises(ValueError, match=message):
        select_files(["/no/such/dir/*.pdb"], selections, workers=workers)


# ---- killed workers ----------------------------------------------------------------


class Pipe:
    """A named pipe among the inputs: its reader blocks until we write."""

    def __init__(self, path):
        os.mkfifo(path)
        self.path = path
        self.writer = None
        self.killed = []

    def holder(self):
        """A process other than this one that has the pipe open for reading,
        once one does. (A process being started holds a copy of our writing
        end until it closes its inherited descriptors: that is no reader.)"""
        deadline = time.monotonic() + DEADLINE
        while time.monotonic() < deadline:
            for pid in filter(str.isdigit, os.listdir("/proc")):
                if int(pid) == os.getpid() or int(pid) in self.killed:
                    continue
                try:
                    for fd in os.listdir(f"/proc/{pid}/fd"):
                        if os.readlink(f"/proc/{pid}/fd/{fd}") != self.path:
                            continue
                        with open(f"/proc/{pid}/fdinfo/{fd}") as info:
                            flags = next(int(line.split()[1], 8) for line in info if line.startswith("flags:"))
                        if flags & os.O_ACCMODE == os.O_RDONLY:
                            return int(pid)
                except OSError:
                    continue
            time.sleep(0.01)
        raise TimeoutError(f"nobody opened {self.path} for reading")

    def open(self):
        """Opens the writing end as soon as a reader is there. Kept open
        while readers are killed, so that a retry never reads a premature EOF."""
        deadline = time.monotonic() + DEADLINE
        while self.writer is None:
            try:
                self.writer = os.open(self.path, os.O_WRONLY | os.O_NONBLOCK)
            except OSError as error:
                if error.errno != errno.ENXIO or time.monotonic() > deadline:
                    raise
                time.sleep(0.01)
        fcntl.fcntl(self.writer, fcntl.F_SETFL, fcntl.fcntl(self.writer, fcntl.F_GETFL) & ~os.O_NONBLOCK)

    def kill_reader(self):
        self.open()
        pid = self.holder()
        os.kill(pid, signal.SIGKILL)
        self.killed.append(pid)

    def feed(self, data):
        """Lets the current (or next) reader read `data` and end."""
        self.open()
        self.holder()
        os.write(self.writer, data)
        self.close()

    def close(self):
        if self.writer is not None:
            os.close(self.writer)
            self.writer = None


def run_beside(work):
    """Starts work() on a thread; returns its Future (result() within DEADLINE)."""
    return concurrent.futures.ThreadPoolExecutor(1).submit(work)


@pytest.mark.parametrize("kills", [1, MAX_LOSSES])
def test_killed_worker_loses_and_doubles_nothing(tmp_path, corpus, back_end, kills):
    if kills > 1 and "client" in back_end:
        pytest.skip("the Dask scheduler's own retry limit applies there")
    nested = os.path.join(corpus, "nested")
    inputs = [os.path.join(nested, name) for name in sorted(os.listdir(nested)) if "." in name]
    for n in range(12):    # so that each worker holds several files when one dies
        shutil.copy(os.path.join(DATA, "pept.pdb"), tmp_path / f"copy{n:02}.pdb")
        inputs.append(str(tmp_path / f"copy{n:02}.pdb"))
    pipe = Pipe(str(tmp_path / "pipe.pdb"))
    inputs.insert(len(inputs) // 2, pipe.path)
    run = run_beside(lambda: list(select_files(inputs, SELECTIONS, residues=True, indices=True, **back_end)))
    try:
        for _ in range(kills):
            pipe.kill_reader()
        if kills < MAX_LOSSES:
            pipe.feed(open(os.path.join(DATA, "pept.pdb"), "rb").read())
        records = run.result(DEADLINE)
    finally:
        pipe.close()
    expected = [r for p in inputs if p != pipe.path for r in expected_records(p)]
    if kills < MAX_LOSSES:
        expected += [dict(r, path=pipe.path) for r in expected_records(os.path.join(DATA, "pept.pdb"))]
    else:
        expected.append({"path": pipe.path, "record": 0, "error": "worker process killed by signal 9 "
                         f"while reading this file ({MAX_LOSSES} times)"})
    assert_each_once(records, expected)


# ---- the command ---------------------------------------------------------------------


def batch(*args, **popen):
    return subprocess.run([sys.executable, "-m", "kaselect", "batch", *args],
                          capture_output=True, text=True, timeout=120, **popen)


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f]


@pytest.mark.parametrize("where", ["local", "dask"])
def test_command_writes_the_library_records(tmp_path, corpus, where, request):
    listed = tmp_path / "list.txt"
    listed.write_text(os.path.join(corpus, "empty.pdb") + "\n\n" + os.path.join(corpus, "nested") + "\n")
    out = tmp_path / "out.jsonl"
    options = ["--workers", "2"] if where == "local" else \
        ["--scheduler", request.getfixturevalue("dask_cluster")[0]]
    result = batch(*sum((["-s", s] for s in SELECTIONS), []), f"@{listed}",
                   os.path.join(corpus, "*.cif.gz"), os.path.join(corpus, "nested"),   # listed twice: once out
                   "--residues", "-o", str(out), "--no-progress", *options)
    assert result.returncode == 0, result.stderr
    assert result.stdout == "" and "Traceback" not in result.stderr
    paths = expand_inputs([f"@{listed}", os.path.join(corpus, "*.cif.gz")])
    expected = [{k: v for k, v in r.items() if k != "indices"} for p in paths for r in expected_records(p)]
    assert_each_once(read_lines(out), expected)
    answered = {r["path"] for r in expected if "error" not in r}
    summary = f"{len(paths)} files, {len(answered)} records, {len(paths) - len(answered)} errors in "
    assert re.search(re.escape(summary) + r"[0-9.]+ s\n$", result.stderr), result.stderr


@pytest.mark.parametrize("args, status, message", [
    (["-s", "water and", "{corpus}"], 2, "Failed to parse selection: water and"),
    (["-s", "all", "{corpus}/*.nothing"], 2, "no file matches"),
    (["-s", "all", "@{corpus}/missing.txt"], 2, "cannot read the list"),
    (["-s", "all", "{corpus}", "--workers", "0"], 2, "must be at least 1"),
    (["-s", "all", "{corpus}", "--resume", "-o", "-"], 2, "--resume needs an output file"),
    (["-s", "all", "{corpus}", "-o", "{corpus}/no/such/dir/out.jsonl"], 1, "cannot write"),
])
def test_command_failures(tmp_path, corpus, args, status, message):
    out = tmp_path / "out.jsonl"
    args = [a.format(corpus=corpus) for a in args]
    result = batch(*args, *([] if "-o" in args else ["-o", str(out)]))
    assert result.returncode == status, result.stderr
    assert message in result.stderr and "Traceback" not in result.stderr
    for path in (a.lstrip("@") for a in args if os.sep in a):
        assert result.stderr.count(path) <= 1, result.stderr     # a file is named once
    assert not out.exists()


def test_resume_knows_a_file_under_another_spelling(tmp_path):
    """The resumed run names the files differently; it skips what is done,
    completes what is not under the spelling the output already has, and
    doubles nothing."""
    (tmp_path / "d").mkdir()
    for source, name in (("pept.pdb", "a.pdb"), ("3al1.pdb", "b.pdb"), ("small01.mol", "c.mol")):
        shutil.copy(os.path.join(DATA, source), tmp_path / "d" / name)
    out = tmp_path / "out.jsonl"
    selections = sum((["-s", s] for s in SELECTIONS), [])
    common = [*selections, "-o", str(out), "--workers", "1", "--sorted", "--no-progress"]
    assert batch(*common, "./d/a.pdb", "d/b.pdb", cwd=tmp_path).returncode == 0
    lines = out.read_text().splitlines(keepends=True)
    out.write_text("".join(lines[:-1]))             # b.pdb, written last, lacks a line
    result = batch(*common, str(tmp_path / "d" / "a.pdb"), "d//b.pdb", "d/c.mol", "--resume", cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    assert "1 of 3 files already done" in result.stderr
    expected = [{k: v for k, v in dict(r, path=spelling).items() if k not in ("indices", "residues")}
                for spelling in ("./d/a.pdb", "d/b.pdb", "d/c.mol")
                for r in expected_records(str(tmp_path / spelling))]
    assert_each_once(read_lines(out), expected)


@pytest.mark.parametrize("sig, workers", [(signal.SIGKILL, "1"), (signal.SIGINT, "2")],
                         ids=["kill", "interrupt"])
def test_resume_after_a_killed_run(tmp_path, corpus, sig, workers):
    """A run killed (or interrupted, as Ctrl-C at a terminal does: SIGINT to
    the whole process group) while a file is held, then a torn last line:
    the resumed run ends with each (path, record, selection) exactly once. An
    interrupted run says so, and nothing else, and exits with 130."""
    inputs = [os.path.join(corpus, "nested", n) for n in ("1hpv.pdb", "3al1.pdb", "pept.pdb", "small01.mol")]
    for n in range(10):
        shutil.copy(os.path.join(DATA, "3al1.pdb"), tmp_path / f"copy{n}.pdb")
        inputs.append(str(tmp_path / f"copy{n}.pdb"))
    pipe = Pipe(str(tmp_path / "zz_pipe.pdb"))
    inputs.insert(9, pipe.path)
    out = tmp_path / "out.jsonl"
    selections = sum((["-s", s] for s in SELECTIONS), [])
    proc = subprocess.Popen([sys.executable, "-m", "kaselect", "batch", *selections, *inputs, "-o", str(out),
                             "--workers", workers, "--sorted", "--no-progress"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, start_new_session=True)
    try:
        pipe.open()                      # a worker now holds the pipe: the run is mid-way
        pipe.holder()
        deadline = time.monotonic() + DEADLINE
        while not out.read_text() and time.monotonic() < deadline:
            time.sleep(0.01)             # and the files before it are written
    finally:
        os.killpg(proc.pid, sig)
        _, stderr = proc.communicate(timeout=DEADLINE)
        pipe.close()
    if sig == signal.SIGINT:
        assert (proc.returncode, stderr) == (130, "kaselect batch: interrupted; --resume goes on from here\n")
    first = read_lines(out)
    assert 0 < len(first) < len(inputs) * len(SELECTIONS)
    with open(out, "a") as f:
        f.write('{"path": "torn')       # as if killed in the middle of a line
    os.unlink(pipe.path)
    shutil.copy(os.path.join(DATA, "pept.pdb"), pipe.path)

    result = batch(*selections, *inputs, "-o", str(out), "--workers", "2", "--resume", "--no-progress")
    assert result.returncode == 0, result.stderr
    assert f"{len({r['path'] for r in first}) - 1} of {len(inputs)} files already done" in result.stderr
    expected = [{k: v for k, v in r.items() if k not in ("indices", "residues")}
                for p in inputs for r in expected_records(p)]
    assert_each_once(read_lines(out), expected)


def test_worker_warnings_stand_above_the_progress_bar(tmp_path):
    """With standard error on a terminal (a pseudo-terminal here), each
    warning a worker sends is drawn on a line of its own, not into the bar."""
    bad = open(os.path.join(DATA, "ligs3d.sdf")).read().split("$$$$\n")
    bad[1] = "\n".join(line if n != 3 else " xx yy" for n, line in enumerate(bad[1].split("\n")))
    inputs = []
    for n in range(8):
        (tmp_path / f"bad{n}.sdf").write_text("$$$$\n".join(bad))
        inputs.append(str(tmp_path / f"bad{n}.sdf"))
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 100, 0, 0))
    proc = subprocess.Popen([sys.executable, "-m", "kaselect", "batch", "-s", "all", *inputs, "--all-records",
                             "-o", str(tmp_path / "out.jsonl"), "--workers", "2"], stderr=slave)
    os.close(slave)
    seen = b""
    while True:
        try:
            data = os.read(master, 4096)
        except OSError:                  # EIO: the terminal's last writer has gone
            break
        if not data:
            break
        seen += data
    os.close(master)
    assert proc.wait(DEADLINE) == 0
    screen = []
    for line in seen.decode().split("\n"):
        shown = ""
        for part in line.split("\r"):   # a carriage return writes over the line from its start
            shown = part + shown[len(part):]
        screen.append(shown.rstrip())
    assert any("8/8" in line for line in screen), screen      # the bar was drawn
    warnings = [line for line in screen if "Warning" in line]
    assert len(warnings) == len(inputs), screen
    assert all(re.fullmatch(r"Warning: .*bad[0-9]\.sdf: record 2 .*; record skipped", w) for w in warnings), screen
