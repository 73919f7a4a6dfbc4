"""kaselect batch: selections over many structure files, written as JSON Lines.

    kaselect batch -s SELECTION [-s SELECTION ...] INPUT [INPUT ...] -o OUT.jsonl [options]

Exit status: 0 when every file was answered (error lines included), 1 when the
run itself failed (output not writable, scheduler unreachable, workers that do
not start), 2 for bad selections, options or inputs.
"""
from __future__ import annotations

import argparse
import json
import os
import sys
import time
from typing import TYPE_CHECKING

from . import batch
from .file_errors import fault_of

if TYPE_CHECKING:
    from collections.abc import Iterable, Sequence
    from typing import Any

EXIT_OK, EXIT_FAILED, EXIT_USAGE = 0, 1, 2


def _positive(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, not {value}")
    return value


def build_parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="kaselect batch",
        description="Evaluate selections on many structure files; one JSON line per "
                    "(structure, selection).")
    parser.add_argument("inputs", nargs="+", metavar="INPUT",
                        help="structure file, directory (walked for structure suffixes, .gz too), "
                             "quoted glob pattern, or @LIST (a file of paths, one per line; blank "
                             "lines and lines starting with # are skipped). A file named twice, "
                             "under any spelling (a.pdb, ./a.pdb, its absolute path), is answered "
                             "once, under the first spelling")
    parser.add_argument("-s", "--selection", action="append", required=True, dest="selections",
                        metavar="SELECTION", help="selection text; repeat for several")
    parser.add_argument("-o", "--output", required=True, metavar="OUT.jsonl",
                        help="JSON Lines output file; - for standard output")
    parser.add_argument("--workers", type=_positive, metavar="N",
                        help="local worker processes (default: the number of cores)")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="run on this Dask scheduler, e.g. tcp://127.0.0.1:8786 "
                             "(its workers read the files: paths must be visible to them)")
    parser.add_argument("--residues", action="store_true", help="add the residue selector strings")
    parser.add_argument("--indices", action="store_true", help="add the selected atom indices")
    parser.add_argument("--all-records", action="store_true",
                        help="every record of multi-record files (SDF, MOL2, models), not only the first")
    parser.add_argument("--periodic", action="store_true",
                        help="minimum-image distances in the cell each file states (a file without one "
                             "gives an error line)")
    parser.add_argument("--sorted", action="store_true", help="write in input order, not completion order")
    parser.add_argument("--resume", action="store_true",
                        help="keep OUT.jsonl and answer only what it does not hold yet")
    parser.add_argument("--no-progress", action="store_true", help="no progress bar on standard error")
    return parser


class Done:
    """What an earlier run left in the output: the (path, record) pairs it
    answered completely, the lines it holds and the spelling it wrote for
    each file. Paths are compared by batch.same_file_key, so "./a.pdb" in the
    output stands for "a.pdb" among the inputs."""

    def __init__(self, selections: Iterable[str]) -> None:
        self.selections = set(selections)
        # (file key, record, selection); selection None for an error line
        self.lines: set[tuple[str, int, str | None]] = set()
        self.records: dict[str, set[int]] = {}   # file key -> set of record numbers seen
        self.spellings: dict[str, str] = {}      # file key -> path as written first

    def add(self, record: dict[str, Any]) -> None:
        path = batch.same_file_key(record["path"])
        self.spellings.setdefault(path, record["path"])
        self.records.setdefault(path, set()).add(record["record"])
        self.lines.add((path, record["record"], None if "error" in record else record["selection"]))

    def _complete(self, path, number):
        return (path, number, None) in self.lines or \
            all((path, number, s) in self.lines for s in self.selections)

    def file_done(self, path: str) -> bool:
        path = batch.same_file_key(path)
        numbers = self.records.get(path)
        # bool(numbers) rules out None, which mypy does not see.
        return bool(numbers) and all(self._complete(path, n) for n in numbers)  # type: ignore[union-attr]

    def spelling(self, path: str) -> str:
        """The spelling the output already uses for this file, else `path`."""
        return self.spellings.get(batch.same_file_key(path), path)

    def held(self, record: dict[str, Any]) -> bool:
        key = (batch.same_file_key(record["path"]), record["record"])
        return key + (None,) in self.lines or key + (record.get("selection"),) in self.lines


def read_done(path: str, selections: Iterable[str]) -> Done:
    """Reads an earlier run's output, cutting a torn last line off the file.
    The last file written may be incomplete: it is answered again, and only its
    missing lines are added."""
    done = Done(selections)
    if not os.path.exists(path):
        return done
    with open(path, "rb+") as f:
        data = f.read()
        whole = data.rfind(b"\n") + 1
        if whole < len(data):
            f.truncate(whole)
    last = None
    for line in data[:whole].splitlines():
        try:
            record = json.loads(line)
            done.add(record)
            last = record["path"]
        except (ValueError, KeyError, TypeError):
            continue
    if last is not None:
        done.records.pop(batch.same_file_key(last), None)    # answered again; held() still filters its lines
    return done


class _Progress:
    """The progress bar on standard error, when it is a terminal (and tqdm is
    installed), and the way to write lines while it is shown: above it, each
    on a line of its own."""

    def __init__(self, total: int, enabled: bool) -> None:
        self.bar = None
        if enabled and sys.stderr.isatty():
            try:
                from tqdm import tqdm  # type: ignore[import-untyped, unused-ignore]
            except ImportError:
                return
            self.bar = tqdm(total=total, unit="file", file=sys.stderr, dynamic_ncols=True)

    def say(self, line: str) -> None:
        if self.bar is not None:
            self.bar.write(line, file=sys.stderr)
        else:
            sys.stderr.write(line + "\n")
            sys.stderr.flush()

    def update(self) -> None:
        if self.bar is not None:
            self.bar.update(1)

    def close(self) -> None:
        if self.bar is not None:
            self.bar.close()
            self.bar = None


def _connect(address):
    try:
        from distributed import Client
    except ImportError:
        raise RuntimeError("--scheduler needs Dask: pip install 'kaselect[dask]'") from None
    try:
        return Client(address, timeout="10s")
    except (OSError, TimeoutError, ValueError) as error:
        raise RuntimeError(f"cannot reach the Dask scheduler at {address}: {error}") from None


def main(argv: Sequence[str]) -> int:
    args = build_parser().parse_args(argv)
    err = sys.stderr
    if args.scheduler and args.workers:
        err.write("kaselect batch: give --workers or --scheduler, not both\n")
        return EXIT_USAGE
    if args.resume and args.output == "-":
        err.write("kaselect batch: --resume needs an output file\n")
        return EXIT_USAGE
    try:
        selections = batch.parse_selections(args.selections)
        paths = batch.expand_inputs(args.inputs)
    except (ValueError, RuntimeError) as error:
        err.write(f"kaselect batch: {error}\n")
        return EXIT_USAGE

    started = time.perf_counter()
    files = records = errors = 0
    client = answers = None
    progress = _Progress(0, False)
    try:
        done = read_done(args.output, selections) if args.resume else Done(selections)
        # A file the output already names keeps the spelling written there.
        todo = [done.spelling(p) for p in paths if not done.file_done(p)]
        if len(todo) < len(paths):
            err.write(f"kaselect batch: resuming: {len(paths) - len(todo)} of {len(paths)} files already done\n")
        out = sys.stdout if args.output == "-" else open(args.output, "a" if args.resume else "w",
                                                          encoding="utf-8")
    except OSError as error:
        err.write(f"kaselect batch: cannot write {args.output}: {fault_of(args.output, error)}\n")
        return EXIT_FAILED
    try:
        client = _connect(args.scheduler) if args.scheduler else None
        progress = _Progress(len(todo), not args.no_progress)
        answers = batch.answer_files(todo, selections, workers=args.workers, client=client,
                                     residues=args.residues, indices=args.indices,
                                     all_records=args.all_records, periodic=args.periodic,
                                     messages=progress.say)
        ordered = batch.in_input_order(answers) if args.sorted else answers
        for _, file_records in ordered:
            fresh = [r for r in file_records if not done.held(r)]
            out.write("".join(json.dumps(r) + "\n" for r in fresh))
            out.flush()
            files += 1
            errors += sum(1 for r in fresh if "error" in r)
            records += len({r["record"] for r in fresh if "error" not in r})
            progress.update()
    except (RuntimeError, OSError) as error:
        progress.say(f"kaselect batch: {error}")
        return EXIT_FAILED
    except KeyboardInterrupt:
        progress.say("kaselect batch: interrupted; --resume goes on from here")
        return 130
    finally:
        if answers is not None:
            answers.close()     # stops the workers now if the run did not end
        progress.close()
        if out is not sys.stdout:
            out.close()
        if client is not None:
            client.close()
    err.write(f"{files} files, {records} records, {errors} errors in {time.perf_counter() - started:.1f} s\n")
    return EXIT_OK
