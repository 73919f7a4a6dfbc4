"""Repeated calls of the main entry points, succeeding and failing, keep the
resident memory flat: after a warm-up, 10**5 calls (fewer for file reads) may
grow it by at most 4 MB, about 40 bytes per call."""
import gc
import os
from pathlib import Path

import pytest

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"
PAGE = os.sysconf("SC_PAGE_SIZE")
LIMIT = 4 * 2 ** 20

# Texts longer than a short-string buffer, so that a leaked temporary text
# costs a heap block.
TEXT = "byres (resn ALA+GLY and name CA+CB+N) or (water around 4.5) or chain B"
SPATIAL = "bychain (resn HOH expand 3.5) and not backbone and b > 10"
SELECTORS = "ALA:1: :A,GLY:2: :A,HOH:301:B:W,LYS:40: :B,SER:41:A:B"


def resident():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * PAGE


def growth(call, count):
    """Bytes the resident set grew by over `count` calls of `call`, after a
    warm-up of a tenth as many."""
    for _ in range(max(count // 10, 50)):
        call()
    gc.collect()
    before = resident()
    for _ in range(count):
        call()
    gc.collect()
    return resident() - before


def failing(error, function, *args):
    """A call that must raise `error` (a call that succeeds fails the test)."""
    def call():
        try:
            function(*args)
        except error:
            return
        raise AssertionError("%s%r did not raise %s" % (function.__name__, args, error.__name__))
    return call


@pytest.fixture(scope="module")
def molecule():
    return kamol.ReadMolecule(DATA / "pept.pdb")


@pytest.fixture(scope="module")
def garbage(tmp_path_factory):
    path = tmp_path_factory.mktemp("memory") / "garbage.pdb"
    path.write_bytes(b"HELLO this is not a structure\n" * 20)
    return path


def sample_atom(mol):
    return mol.GetAtom(mol.NumAtoms() // 2)


# (name, count, maker of the call from the molecule and an unreadable file)
CASES = [
    ("KaSelection.Parse", 10 ** 5, lambda mol, bad: lambda: kaselect.KaSelection.Parse(TEXT)),
    ("KaSelect construction and call", 10 ** 5,
     lambda mol, bad: lambda: kaselect.KaSelect(mol, TEXT)(sample_atom(mol))),
    ("EvaluateSelection", 10 ** 5, lambda mol, bad: lambda: kaselect.EvaluateSelection(mol, TEXT)),
    ("KaResidueSelector from a list and call", 10 ** 5,
     lambda mol, bad: (lambda selectors: lambda: kaselect.KaResidueSelector(selectors)(sample_atom(mol)))(
         list(kaselect.parse_selector_set(SELECTORS)))),
    ("ReadMolecule", 10 ** 4, lambda mol, bad: lambda: kamol.ReadMolecule(DATA / "pept.pdb")),
    # Calls that fail, with the error they must raise.
    ("Parse of a faulty text", 10 ** 5, lambda mol, bad: failing(ValueError, kaselect.KaSelection.Parse, TEXT + " and")),
    ("ReadMolecule of an unreadable file", 10 ** 4, lambda mol, bad: failing(ValueError, kamol.ReadMolecule, bad)),
]


@pytest.mark.parametrize("name, count, make", CASES, ids=[c[0] for c in CASES])
def test_repeated_calls_keep_memory_flat(molecule, garbage, capfd, name, count, make):
    call = make(molecule, garbage)
    grown = growth(call, count)
    capfd.readouterr()  # the unreadable file's warnings
    assert grown < LIMIT, "%s: %d calls grew the resident set by %.1f MB" % (name, count, grown / 2 ** 20)
