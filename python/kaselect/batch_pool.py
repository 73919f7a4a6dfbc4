"""A pool of worker processes on this machine that survives its workers.

Each worker holds one job at a time, so when a worker process dies (killed,
out of memory, a crash in native code) the pool knows exactly which job was
lost: it reports that job as lost, starts a new worker in its place and goes
on with the rest. What to do with a lost job is the caller's choice.

Workers ignore SIGINT: a Ctrl-C at a terminal reaches the whole process
group, and it is the caller's process that decides what it means; leaving
the pool because of an exception (KeyboardInterrupt included) ends the
workers at once. What a worker writes to its standard error comes to the
pool line by line and is handed to the caller's `messages` function, so that
the caller decides where it goes (above a progress bar, say).
"""
from __future__ import annotations

import collections
import importlib
import os
import signal
import subprocess
import sys
from multiprocessing.connection import Connection, wait
from typing import TYPE_CHECKING

if TYPE_CHECKING:
    from collections.abc import Callable, Iterator, Sequence
    from typing import Any

# Sent by a worker once its imports are done; a worker that dies before it
# means the pool cannot work at all (a broken installation, not a bad file).
_READY = "ready"


class PoolError(RuntimeError):
    """The pool cannot run its jobs (its workers do not start)."""


class Lost:
    """The result of a job whose worker died while holding it; str() says how."""

    def __init__(self, reason: str) -> None:
        self.reason = reason

    def __str__(self) -> str:
        return self.reason


def _how_it_ended(exitcode):
    if exitcode is not None and exitcode < 0:
        return f"worker process killed by signal {-exitcode}"
    return f"worker process ended with exit code {exitcode}"


def _ignore_interrupts():
    """First thing a worker does: SIGINT is ignored from now on. The worker
    was started with SIGINT blocked (see _Worker), so one that came while
    the interpreter was starting is pending, and ignoring it discards it."""
    signal.signal(signal.SIGINT, signal.SIG_IGN)
    signal.pthread_sigmask(signal.SIG_UNBLOCK, {signal.SIGINT})


def _serve(function, inbox, outbox):
    """Worker loop: runs `function(*job)` for each job received until None
    (or until the pool is gone)."""
    try:
        outbox.send(_READY)
        while True:
            job = inbox.recv()
            if job is None:
                return
            outbox.send(function(*job))
    except (EOFError, OSError):
        return   # the pool has gone


class _Worker:
    """A worker process: a fresh interpreter started as
    `python -m kaselect.batch_pool MODULE:FUNCTION IN_FD OUT_FD`, so that it
    inherits nothing from the caller (threads, locks, the caller's main
    script) and needs no `if __name__ == "__main__"` guard there. Its end of
    the result pipe closes when it dies, which is how the pool notices.

    The process starts with SIGINT blocked (the signal mask survives exec) and
    ignores it before unblocking it, so that no Ctrl-C, however early, raises
    KeyboardInterrupt in a worker. Its standard error is a pipe that the pool
    reads (`err`, None once at its end)."""

    def __init__(self, target):
        job_read, job_write = os.pipe()
        result_read, result_write = os.pipe()
        err_read, err_write = os.pipe()
        # Blocked in this thread only, for as long as the child takes to
        # start; a SIGINT meant for this process is delivered right after.
        blocked = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT})
        try:
            self.process = subprocess.Popen(
                [sys.executable, "-m", __name__, target, str(job_read), str(result_write)],
                pass_fds=(job_read, result_write), stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=err_write)
        except BaseException:
            os.close(err_read)
            raise
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, blocked)
            os.close(job_read)
            os.close(result_write)
            os.close(err_write)
        self.jobs = Connection(job_write, readable=False)
        self.conn = Connection(result_read, writable=False)
        self.err = err_read   # None once read to its end
        self._partial = b""   # the start of a line not yet ended
        self.ready = False
        self.held = collections.deque()   # (tag, args, alone) sent and not answered, oldest first

    def relay(self, messages, to_end=False):
        """Hands each whole line the worker wrote to its standard error to
        `messages`: what can be read now, or everything up to the end of the
        pipe with `to_end` (the process has ended). At the end, a last line
        without a newline is handed on too."""
        while self.err is not None:
            data = os.read(self.err, 65536)
            if not data:
                os.close(self.err)
                self.err = None
                data = b"\n" if self._partial else b""
            *lines, self._partial = (self._partial + data).split(b"\n")
            for line in lines:
                messages(line.decode("utf-8", "replace"))
            if not to_end:
                return

    def stop(self, timeout, messages):
        """Ends the worker once it has done its jobs, and relays what it wrote."""
        try:
            self.jobs.send(None)
        except OSError:
            pass
        self._wait_or_kill(timeout)
        self.relay(messages, to_end=True)
        self.close()

    def end(self):
        """Ends the worker now, whatever it holds; what it still had to say is
        dropped."""
        self.process.terminate()   # ignored by no worker: they leave SIGTERM as it is
        self._wait_or_kill(5)
        self.close()

    def _wait_or_kill(self, timeout):
        """Waits up to `timeout` seconds for the process to end, then kills it."""
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def close(self):
        self.jobs.close()
        self.conn.close()
        if self.err is not None:
            os.close(self.err)
            self.err = None


class LocalPool:
    """`size` worker processes that run `function` (a module-level function, so
    that it can be found by name in a fresh interpreter) on submitted jobs.

    submit(tag, args) queues a job; results() yields (tag, value) as jobs
    complete, where value is the function's return value or a Lost. Jobs
    submitted while results() is suspended are run by the same iteration.
    Use it as a context manager: leaving it stops every worker.

    A worker holds up to HELD jobs, so that it starts the next one without
    waiting for this process to take the last result (which matters when the
    machine is busy). A job submitted `alone` is held by a worker with no
    other job: a retried job that kills its worker again costs no one else.

    `messages` is called (in this process, while results() runs or the pool
    closes) with each line a worker writes to its standard error, without
    the newline; by default the line goes to this process's sys.stderr.
    """

    HELD = 2


    def __init__(self, size: int, function: Callable[..., Any],
                 messages: Callable[[str], object] | None = None) -> None:
        if size < 1:
            raise ValueError("a pool needs at least one worker")
        self._target = f"{function.__module__}:{function.__qualname__}"
        self._size = size
        self._messages = messages or _to_stderr
        self._workers: list[_Worker] = []
        self._pending: collections.deque[tuple[Any, Sequence[Any], bool]] = collections.deque()

    def __enter__(self) -> LocalPool:
        return self

    def __exit__(self, exc_type: object, *exc: object) -> None:
        self.close(abandon=exc_type is not None)

    def close(self, abandon: bool = False) -> None:
        """Stops every worker: once it has done the jobs it holds, or at once
        with `abandon` (what is left, results and messages, is dropped)."""
        workers, self._workers = self._workers, []
        for worker in workers:
            if abandon:
                worker.end()
            else:
                worker.stop(timeout=5, messages=self._messages)

    def submit(self, tag: Any, args: Sequence[Any], alone: bool = False) -> None:
        self._pending.append((tag, args, alone))

    def _takes(self, worker, job):
        if not worker.ready or len(worker.held) >= self.HELD:
            return False
        return not worker.held or not (job[2] or worker.held[-1][2])

    def _dispatch(self):
        busy = sum(1 for w in self._workers if w.held)
        while len(self._workers) < min(self._size, busy + len(self._pending)):
            self._workers.append(_Worker(self._target))
        # Idle workers first, then a second job for busy ones.
        for worker in sorted(self._workers, key=lambda w: len(w.held)):
            while self._pending and self._takes(worker, self._pending[0]):
                job = self._pending.popleft()
                worker.held.append(job)
                try:
                    worker.jobs.send(job[1])
                except OSError:
                    break   # it died: results() reports its jobs as lost

    def results(self) -> Iterator[tuple[Any, Any]]:
        while True:
            self._dispatch()
            # After dispatching, a worker that is neither busy nor starting
            # means that no job is left anywhere.
            waiting = [w for w in self._workers if w.held or not w.ready]
            if not waiting:
                return
            speaking = [w for w in self._workers if w.err is not None]
            ready = wait([w.conn for w in waiting] + [w.err for w in speaking])
            for worker in speaking:
                if worker.err in ready:
                    worker.relay(self._messages)
            for worker in waiting:
                message = self._receive(worker)
                if message is None:
                    continue
                if message is _DIED:
                    yield from self._replace(worker)
                elif not worker.ready:
                    worker.ready = message == _READY
                else:
                    yield worker.held.popleft()[0], message

    def _receive(self, worker):
        """The worker's next message, None when it has none yet, _DIED when it
        is gone. A result sent just before dying is still read first."""
        try:
            return worker.conn.recv() if worker.conn.poll() else None
        except (EOFError, OSError):
            return _DIED

    def _replace(self, worker):
        worker.process.wait()
        worker.relay(self._messages, to_end=True)   # its last words, a crash report say
        worker.close()
        self._workers.remove(worker)
        if not worker.ready:
            raise PoolError("a worker process could not start "
                            f"({_how_it_ended(worker.process.returncode)}); is kaselect installed correctly?")
        lost = Lost(_how_it_ended(worker.process.returncode))
        for tag, _, _ in worker.held:
            yield tag, lost


_DIED = object()


def _to_stderr(line):
    sys.stderr.write(line + "\n")
    sys.stderr.flush()


if __name__ == "__main__":
    _ignore_interrupts()
    module, _, name = sys.argv[1].partition(":")
    _serve(getattr(importlib.import_module(module), name),
           Connection(int(sys.argv[2]), writable=False), Connection(int(sys.argv[3]), readable=False))
