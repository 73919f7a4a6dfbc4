"""Runs code in a child interpreter, so that a crash or a process exit shows up
as a failed test instead of ending the test run."""
import json
import subprocess
import sys
import textwrap

CRASHED = "<child ended before this case>"

_CHILD = """
import json, sys
{setup}
for name, expression in json.loads(sys.argv[1]):
    try:
        value = eval(expression)
        outcome = ["returned", repr(value)]
    except BaseException as error:
        outcome = [[c.__name__ for c in type(error).__mro__], str(error)]
    print(json.dumps([name, outcome]), flush=True)
"""


def run_python(code, timeout=120):
    """Runs `code` in a fresh interpreter; returns the CompletedProcess (text mode)."""
    return subprocess.run([sys.executable, "-c", textwrap.dedent(code)],
                          capture_output=True, text=True, timeout=timeout)


def outcomes(setup, cases, timeout=120):
    """Evaluates each (name, expression) of `cases` after `setup`, all in one
    child interpreter. Returns {name: outcome} where outcome is
    ("returned", repr) or (exception class names of the MRO, message); cases
    the child never reported (because it crashed) map to (CRASHED, stderr)."""
    child = _CHILD.format(setup=textwrap.dedent(setup))
    proc = subprocess.run([sys.executable, "-c", child, json.dumps(cases)],
                          capture_output=True, text=True, timeout=timeout)
    seen = {}
    for line in proc.stdout.splitlines():
        try:
            name, outcome = json.loads(line)
        except ValueError:
            continue
        seen[name] = tuple(outcome)
    tail = "exit %d: %s" % (proc.returncode, proc.stderr[-2000:])
    return {name: seen.get(name, (CRASHED, tail)) for name, _ in cases}
