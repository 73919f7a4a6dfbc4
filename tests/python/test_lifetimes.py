"""Python objects never dangle: chains of proxies built from temporaries,
reference cycles, moved iterators and deleted atoms, used after everything else
was dropped, in child interpreters whose allocators overwrite freed memory
(Python's debug allocator, glibc's perturb byte)."""
import textwrap
from pathlib import Path

import pytest

import kaselect
import lumora.kamol as kamol
from isolated import CRASHED, outcomes

DATA = Path(__file__).resolve().parents[1] / "data"


@pytest.fixture(autouse=True)
def poisoned_allocators(monkeypatch):
    monkeypatch.setenv("PYTHONMALLOC", "debug")
    monkeypatch.setenv("MALLOC_PERTURB_", "165")


COMMON = f"""
import gc
import kaselect
import lumora.kamol as kamol
from kaselect import Selector

COMPLEX = {str(DATA / "1hpv.pdb")!r}
SMALL = {str(DATA / "pept.pdb")!r}

def churn():
    # Frees what nothing holds, then fills the freed memory with objects of
    # the same kinds holding other content.
    gc.collect()
    junk = [kamol.ReadMolecule(SMALL) for _ in range(3)]
    junk += [kaselect.KaSelection.Parse("resn GLY and name N or chain B") for _ in range(300)]
    junk += [kaselect.UnsignedIntVector(range(100, 140)) for _ in range(100)]
    junk += [kaselect.SelectorSet([Selector("GLY", n, "Z") for n in range(8)]) for _ in range(100)]
    junk += [kaselect.StringSet(["junk%d" % n for n in range(8)]) for _ in range(100)]
    del junk
    gc.collect()
"""


def check_outcomes(setup, cases):
    """Runs `cases` ({name: (expression, expected repr)}) after `setup` in one
    child and compares what each returned."""
    expressions = [(name, expression) for name, (expression, _) in cases.items()]
    seen = outcomes(COMMON + textwrap.dedent(setup), expressions)
    for name, (kind, detail) in seen.items():
        assert kind != CRASHED, "%s: %s" % (name, detail)
    got = {name: (kind if kind == "returned" else kind[0], detail) for name, (kind, detail) in seen.items()}
    assert got == {name: ("returned", expected) for name, (_, expected) in cases.items()}


CYCLE_TEXT = "byres (name CA around 3) and not name N"


def test_reference_cycles_are_collected_safely():
    # Molecule, KaSelect, its selection and atom proxies that refer to each
    # other are freed together by the cycle collector, in whatever order it
    # chooses; nothing may use what was freed first.
    setup = f"""
        TEXT = {CYCLE_TEXT!r}

        def cycle():
            mol = kamol.ReadMolecule(SMALL)
            select = kaselect.KaSelect(mol, TEXT)
            selection = select.GetSelection()
            mol.keep = [select, selection, mol.GetAtoms(), kaselect.KaSelect(select)]
            select.keep = mol
            selection.keep = (select, mol.GetAtom(0))
            return sum(select(a) for a in mol.GetAtoms())

        def many(n):
            counts = set()
            for _ in range(n):
                counts.add(cycle())
                churn()
            return sorted(counts)
    """
    count = kaselect.CountSelection(kamol.ReadMolecule(DATA / "pept.pdb"), CYCLE_TEXT)
    assert 0 < count < 107
    check_outcomes(setup, {"cycles": ("many(15)", repr([count])),
                           "reading afterwards": ("kamol.ReadMolecule(SMALL).NumAtoms()", "107")})
