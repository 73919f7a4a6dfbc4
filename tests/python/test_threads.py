"""Selections and the toolkit's message handler used from several Python
threads at once.

The wrappers hold the interpreter lock, so native calls do not overlap; what
can go wrong is a wrapper that touches Python objects or shared native state
between switches. The interpreter is made to switch threads as often as it
can, and every result is compared with one computed beforehand on a single
thread. Each workload runs in a child interpreter, so that a crash fails the
test instead of ending the run.
"""
import json
import textwrap
from pathlib import Path

from isolated import run_python

DATA = Path(__file__).resolve().parents[1] / "data"


def run_threads(code, timeout=300):
    """Runs `code` in a child; returns what it printed last, as JSON."""
    proc = run_python(textwrap.dedent("""
        import json, sys, threading
        sys.setswitchinterval(1e-6)
        """) + textwrap.dedent(code), timeout=timeout)
    assert proc.returncode == 0, proc.stderr[-3000:]
    return json.loads(proc.stdout.splitlines()[-1]), proc.stderr


def test_parsing_printing_and_copying_shared_selections():
    summary, _ = run_threads(f"""
        import kaselect
        import lumora.kamol as kamol

        TEXTS = [
            "water", "resn ALA and chain A and name CA", "//B/10/CA", "byres (ligand around 5.0)",
            "bychain (resn HOH and id < 1600) or not protein", "b > 30 and elem N", "heavy xor backbone",
            "resn 478 expand 3.5 and not water", "name C* and resi 1-9", "",
        ]
        FAULTY = ["water and", "resi 99999999999", "name (", "byres", "resn \\udcff"]
        mol = kamol.ReadMolecule({str(DATA / "1hpv.pdb")!r})

        # Everything computed once, on this thread.
        canonical = [kaselect.KaSelection.Parse(t).ToCanonical() for t in TEXTS]
        counts = [kaselect.CountSelection(mol, t) for t in TEXTS]
        def failure(text):
            try:
                kaselect.KaSelection.Parse(text)
            except Exception as error:
                return type(error).__name__, str(error)
        failures = [failure(t) for t in FAULTY]
        shared = [kaselect.KaSelection.Parse(t) for t in TEXTS]
        bound = [kaselect.KaSelect(mol, s) for s in shared]
        atoms = mol.GetAtoms()[::50]
        answers = [[b(a) for a in atoms] for b in bound]

        ROUNDS, THREADS = 1000, 6
        start = threading.Barrier(THREADS)
        wrong, done = [], [0] * THREADS

        def worker(me):
            start.wait()
            for n in range(ROUNDS):
                k = (me * 7 + n) % len(TEXTS)
                checks = {{
                    "parse": kaselect.KaSelection.Parse(TEXTS[k]).ToCanonical() == canonical[k],
                    "print shared": shared[k].ToCanonical() == canonical[k],
                    "copy shared": kaselect.KaSelection(shared[k]).ToCanonical() == canonical[k],
                    "kinds": shared[k].ContainsPredicate(kaselect.PredicateType_AROUND)
                             == ("around" in canonical[k]),
                    "fault": failure(FAULTY[n % len(FAULTY)]) == failures[n % len(FAULTY)],
                }}
                if n % 10 == 0:
                    copy = kaselect.KaSelect(bound[k])
                    checks["copy bound"] = [copy(a) for a in atoms] == answers[k]
                    checks["bound selection"] = copy.GetSelection().ToCanonical() == canonical[k]
                if n % 30 == 0:
                    checks["count"] = kaselect.CountSelection(mol, TEXTS[k]) == counts[k]
                wrong.extend("%s: %r" % (name, TEXTS[k]) for name, ok in checks.items() if not ok)
                done[me] += 1

        threads = [threading.Thread(target=worker, args=(i,)) for i in range(THREADS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        print(json.dumps({{"done": done, "wrong": wrong[:10], "shared": [s.ToCanonical() for s in shared]
                           == canonical}}))
        """)
    assert summary == {"done": [1000] * 6, "wrong": [], "shared": True}


def test_messages_from_several_threads_are_counted_exactly():
    summary, stderr = run_threads("""
        import lumora.kamol as kamol

        handler = kamol.ErrorHandler()
        handler.ClearCounts()
        THREADS, MESSAGES = 8, 1000
        start = threading.Barrier(THREADS)

        def worker(me):
            h = kamol.ErrorHandler()
            quiet = me % 4 == 3
            if quiet:
                h.SetLevel(5)  # this thread's warnings are dropped, not counted
            start.wait()
            for n in range(MESSAGES):
                h.Msg(4, "warning %d.%d" % (me, n))
                h.Msg(8, "counted only")
                h.Msg(2, "below the threshold")
                if n % 40 == 0:
                    h.Msg(3, "plain %d.%d" % (me, n))  # dropped too on a quiet thread
                    kamol.FormatName(100 + me)  # the toolkit's own warning
            if quiet:
                h.SetLevel(3)  # thread ids are reused

        threads = [threading.Thread(target=worker, args=(i,)) for i in range(THREADS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        print(json.dumps({level: handler.Count(level) for level in range(9)}))
        """)
    threads, messages = 8, 1000
    loud = [me for me in range(threads) if me % 4 != 3]
    expected_lines = []
    for me in loud:
        for n in range(messages):
            expected_lines.append("Warning: warning %d.%d" % (me, n))
            if n % 40 == 0:
                expected_lines.append("plain %d.%d" % (me, n))
                expected_lines.append("Warning: Stream format tag out of range %d" % (100 + me))
    # Every line whole: two threads' output never runs into one line.
    assert sorted(stderr.splitlines()) == sorted(expected_lines)
    warnings = len(loud) * (messages + messages // 40)
    assert summary == {"0": warnings + len(loud) * messages // 40 + threads * messages, "1": 0, "2": 0,
                       "3": len(loud) * messages // 40, "4": warnings, "5": 0, "6": 0, "7": 0,
                       "8": threads * messages}
