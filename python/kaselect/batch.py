"""Selections over many structure files, on every core of this machine or on
a Dask cluster.

    for record in select_files(["structures/"], ["ligand", "water and ligand around 3.5"]):
        print(record["path"], record["selection"], record["count"])

Both back ends run the same task, answer_chunk: read each file of a chunk and
evaluate every selection on each of its molecules. A worker parses each
selection once and keeps the parsed selection for every later file.
"""
from __future__ import annotations

import collections
import glob
import math
import os
from typing import TYPE_CHECKING

from lumora import kamol

from . import _fastpath
from .batch_pool import LocalPool, Lost
from .cells import read_cell
from .file_errors import fault_of
from .kaselect import KaSelection

if TYPE_CHECKING:
    from collections.abc import Callable, Generator, Iterable, Iterator, Sequence
    from typing import Any, TypeVar, Union

    from distributed import Client

    _T = TypeVar("_T")
    # One answer of a file: {"path", "record", "selection", "atoms", "count"}
    # (plus "residues" and "indices" when asked) or {"path", "record", "error"}.
    _Record = dict[str, Any]
    _PathLike = Union[str, os.PathLike[str]]

# A file whose worker process dies this many times is given up as an error line.
MAX_LOSSES = 3
# Files per task: at most MAX_CHUNK, and about CHUNKS_PER_WORKER tasks per
# worker so that the work stays balanced. On 1,000 small structures a chunk
# takes about a tenth of a second, against a millisecond or so of scheduling.
MAX_CHUNK = 32
CHUNKS_PER_WORKER = 4


class InputError(ValueError):
    """An INPUT that names no file: a glob pattern without matches or a list
    file that cannot be read."""


def default_workers() -> int:
    """The number of cores this process may run on."""
    try:
        return len(os.sched_getaffinity(0))
    except AttributeError:
        return os.cpu_count() or 1


# ---- inputs --------------------------------------------------------------------


def readable_name(name: str) -> bool:
    """Whether a file name has a structure suffix that ReadMolecule reads,
    after a trailing ".gz"."""
    if name.lower().endswith(".gz"):
        name = name[:-3]
    _, dot, suffix = name.rpartition(".")
    return bool(dot) and kamol.FormatFromSuffix(suffix) != 0


def _walk(directory):
    found = []
    for parent, dirs, files in os.walk(directory):
        dirs.sort()
        found.extend(os.path.join(parent, f) for f in sorted(files) if readable_name(f))
    return found


def _expand(item):
    if os.path.isdir(item):
        return _walk(item)
    if not os.path.lexists(item) and glob.has_magic(item):
        matches = sorted(glob.glob(item, recursive=True))
        if not matches:
            raise InputError(f"no file matches {item}")
        return [path for match in matches for path in _expand(match)]
    return [item]


def _listed(list_path):
    """The paths of a list file: one per line, blanks around it dropped; blank
    lines and lines whose first non-blank character is "#" are not paths."""
    try:
        with open(list_path, encoding="utf-8") as f:
            lines = [line.strip() for line in f]
    except (OSError, UnicodeDecodeError) as error:
        raise InputError(f"cannot read the list {list_path}: {fault_of(list_path, error)}") from None
    return [line for line in lines if line and not line.startswith("#")]


def same_file_key(path: str) -> str:
    """What two spellings of one path have in common: "a.pdb", "./a.pdb",
    "dir//a.pdb" and the absolute path give the same key. The key is the
    absolute path, normalised by its text alone (symbolic links are not
    followed), so it depends on the current directory."""
    return os.path.abspath(path)


def expand_inputs(inputs: Iterable[_PathLike]) -> list[str]:
    """Structure paths from INPUTs, in the order given, each file once (under
    the spelling that named it first; see same_file_key): a file is taken as
    it is (a missing one gives an error line later), a directory is walked
    recursively for readable suffixes, a glob pattern (when no file has that
    name) is expanded, and "@LIST" stands for the paths in LIST, one per
    line, each expanded the same way (blank lines and "#" comment lines are
    skipped)."""
    paths: dict[str, str] = {}
    for item in inputs:
        item = os.fspath(item)
        for entry in _listed(item[1:]) if item.startswith("@") else [item]:
            for path in _expand(entry):
                paths.setdefault(same_file_key(path), path)
    return list(paths.values())


def parse_selections(selections: str | Iterable[str]) -> list[str]:
    """Canonical texts of the selections; ValueError with the parser's message
    for the first that does not parse."""
    if isinstance(selections, str):
        selections = [selections]
    texts = []
    for text in selections:
        if not isinstance(text, str):
            raise TypeError(f"a selection must be str, not {type(text).__name__}")
        texts.append(KaSelection.Parse(text).ToCanonical())
    if not texts:
        raise ValueError("give at least one selection")
    return list(dict.fromkeys(texts))


def chunk_size(files: int, workers: int) -> int:
    return max(1, min(MAX_CHUNK, math.ceil(files / (CHUNKS_PER_WORKER * max(1, workers)))))


# ---- the task that both back ends run --------------------------------------------

# Selections parsed in this process, by canonical text.
_parsed: dict[str, KaSelection] = {}


def _selection(text):
    selection = _parsed.get(text)
    if selection is None:
        selection = _parsed[text] = KaSelection.Parse(text)
    return selection


def answer_file(path: str, read_path: str, selections: Iterable[str], residues: bool, indices: bool,
                all_records: bool, periodic: bool = False) -> list[_Record]:
    """The records of one file: one per (molecule record, selection), or one
    error record when the file cannot be read (or, with `periodic`, states no
    cell: every record then takes the cell the file states)."""
    try:
        molecules = kamol.ReadMolecules(read_path) if all_records else [kamol.ReadMolecule(read_path)]
        cell = read_cell(read_path) if periodic else None
        if periodic and cell is None:
            raise ValueError(f"{read_path}: --periodic: the file states no periodic cell")
        for mol in molecules if periodic else ():
            mol.SetCell(cell)
    except (OSError, ValueError, RuntimeError) as error:
        return [{"path": path, "record": 0, "error": str(error)}]
    records = []
    for number, mol in enumerate(molecules):
        atoms = mol.NumAtoms()
        for text in selections:
            count, index_list, residue_list = _fastpath.answer(mol, _selection(text), indices, residues)
            record = {"path": path, "record": number, "selection": text, "atoms": atoms, "count": count}
            if residues:
                record["residues"] = residue_list
            if indices:
                record["indices"] = index_list
            records.append(record)
    return records


def answer_chunk(files: Iterable[tuple[str, str]], selections: Iterable[str], residues: bool, indices: bool,
                 all_records: bool, periodic: bool = False) -> list[list[_Record]]:
    """answer_file for each (path, read_path) of `files`: a list of record lists."""
    return [answer_file(path, read_path, selections, residues, indices, all_records, periodic)
            for path, read_path in files]


# ---- back ends -------------------------------------------------------------------


class _DaskJobs:
    """Chunks as tasks of a distributed.Client, with the interface of
    LocalPool. The scheduler itself moves the tasks of a worker that dies to
    another one; a task it gives up on (KilledWorker) is reported as lost."""

    # The scheduler retries a task itself before it gives up on it: a chunk
    # given up on is split, and a single file given up on is an error.
    losses_allowed = 2

    def __init__(self, client):
        from distributed import as_completed
        self._client = client
        self._done = as_completed()
        self._tags = {}
        self.size = max(1, sum(client.nthreads().values()))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for future in list(self._done.futures):
            future.cancel()

    def submit(self, tag, args, alone=False):
        # The scheduler places tasks itself; `alone` matters to the local pool only.
        future = self._client.submit(answer_chunk, *args, pure=False)
        self._tags[future.key] = tag
        self._done.add(future)

    def results(self):
        from distributed import KilledWorker
        for future in self._done:
            tag = self._tags.pop(future.key)
            if future.status == "error":
                error = future.exception()
                if not isinstance(error, KilledWorker):
                    raise RuntimeError(f"a Dask task failed: {type(error).__name__}: {error}")
                value = Lost("the Dask workers holding it died each time")
            else:
                value = future.result()
            future.release()
            yield tag, value


class _LocalJobs(LocalPool):
    losses_allowed = MAX_LOSSES

    def __init__(self, size, messages):
        super().__init__(size, answer_chunk, messages)
        self.size = size


def answer_files(paths: Sequence[str], selections: Iterable[str], *, workers: int | None = None,
                 client: Client | None = None, residues: bool = False, indices: bool = False,
                 all_records: bool = False, periodic: bool = False,
                 messages: Callable[[str], object] | None = None
                 ) -> Generator[tuple[int, list[_Record]], None, None]:
    """Yields (position in `paths`, records of that file) as files complete.
    `selections` are canonical texts (parse_selections). The files of a chunk
    whose worker died are retried one by one; a file whose worker died too
    often yields an error record. `messages` receives each line that a local
    worker writes to its standard error (warnings of the readers; default:
    this process's sys.stderr); Dask workers keep theirs in their own logs."""
    jobs: _DaskJobs | _LocalJobs
    if client is not None:
        jobs = _DaskJobs(client)
        files = [(path, os.path.abspath(path)) for path in paths]
    else:
        jobs = _LocalJobs(workers or default_workers(), messages)
        files = [(path, path) for path in paths]
    options = (tuple(selections), bool(residues), bool(indices), bool(all_records), bool(periodic))

    def submit(positions, alone=False):
        jobs.submit(positions, ([files[p] for p in positions], *options), alone)

    with jobs:
        size = chunk_size(len(files), jobs.size)
        for start in range(0, len(files), size):
            submit(list(range(start, min(start + size, len(files)))))
        losses: collections.Counter[int] = collections.Counter()
        for positions, value in jobs.results():
            if not isinstance(value, Lost):
                yield from zip(positions, value)
                continue
            for p in positions:
                losses[p] += 1
                if losses[p] < jobs.losses_allowed:
                    submit([p], alone=True)
                else:
                    yield p, [{"path": paths[p], "record": 0,
                               "error": f"{value} while reading this file ({losses[p]} times)"}]


def in_input_order(answers: Iterable[tuple[int, _T]]) -> Iterator[tuple[int, _T]]:
    """(position, records) pairs of answer_files, reordered by position."""
    waiting, following = {}, 0
    for position, records in answers:
        waiting[position] = records
        while following in waiting:
            yield following, waiting.pop(following)
            following += 1


def select_files(inputs: _PathLike | Iterable[_PathLike], selections: str | Iterable[str], *,
                 workers: int | None = None, client: Client | None = None, residues: bool = False,
                 indices: bool = False, all_records: bool = False, periodic: bool = False,
                 ordered: bool = False) -> Iterator[_Record]:
    """Evaluates `selections` on every structure of `inputs` (files,
    directories, glob patterns, "@LIST" files) and returns an iterator of
    records, as dicts: {"path", "record", "selection" (canonical text),
    "atoms", "count"} plus "residues" and/or "indices" when asked, or
    {"path", "record", "error"} for a file that cannot be read.

    The work runs in `workers` local processes (default: one per core) or,
    with `client` (a distributed.Client), on its Dask cluster, whose workers
    must see the same paths. With `periodic`, each file's molecules take the
    cell the file states (read_cell) and distances are minimum-image
    distances in it; a file that states none gives an error record. Records
    come in completion order, or in input order with `ordered`. Selections are checked first: ValueError with the
    parser's message before any file is read."""
    if isinstance(inputs, (str, os.PathLike)):
        inputs = [inputs]
    texts = parse_selections(selections)
    if workers is not None:
        if client is not None:
            raise ValueError("give workers or client, not both")
        if not isinstance(workers, int) or isinstance(workers, bool) or workers < 1:
            raise ValueError(f"workers must be a positive int, not {workers!r}")
    paths = expand_inputs(inputs)
    answers: Iterator[tuple[int, list[_Record]]] = answer_files(
        paths, texts, workers=workers, client=client, residues=residues, indices=indices, all_records=all_records,
        periodic=periodic)
    if ordered:
        answers = in_input_order(answers)
    return (record for _, records in answers for record in records)
