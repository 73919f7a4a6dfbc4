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


def test_chains_built_from_temporaries():
    held = kamol.ReadMolecule(DATA / "1hpv.pdb")
    held_bond = held.GetAtom(1).GetBonds()[0]
    setup = """
        TEXT = "byres (resn 478 around 4) or (name CA and chain B) around 2"
        reference = kamol.ReadMolecule(COMPLEX)
        expected = kaselect.EvaluateSelection(reference, TEXT)
        water = kaselect.EvaluateSelection(reference, "water")

        # Each of these holds the only reference to a molecule or a KaSelect
        # that was made for it and dropped at once.
        selection = kaselect.KaSelect(kamol.ReadMolecule(COMPLEX), TEXT).GetSelection()
        copy = kaselect.KaSelect(kaselect.KaSelect(kamol.ReadMolecule(COMPLEX), TEXT))
        borrowed = kaselect.KaSelect(kamol.ReadMolecule(SMALL), "water").GetSelection()
        rebound = kaselect.KaSelect(reference, borrowed)
        del borrowed
        residues = kaselect.KaResidueSelector(kaselect.SelectorSet(
            kaselect.mol_to_selector_set(kamol.ReadMolecule(COMPLEX))))
        atoms = kamol.ReadMolecule(COMPLEX).GetAtoms()
        bond = kamol.ReadMolecule(COMPLEX).GetAtom(1).GetBonds()[0]
        churn()

        def selected(predicate):
            return tuple(a.GetIndex() for a in atoms if predicate(a))
    """
    check_outcomes(setup, {
        "selection text": ("selection.ToCanonical() == kaselect.KaSelection.Parse(TEXT).ToCanonical()",
                           "True"),
        "selection bound again": ("[kaselect.EvaluateSelection(reference, selection.ToCanonical()),"
                                  " selected(kaselect.KaSelect(reference, selection))] == [expected] * 2",
                                  "True"),
        "selection copied": ("kaselect.KaSelection(selection).ContainsPredicate("
                             "kaselect.PredicateType_AROUND)", "True"),
        # Atoms of an identical molecule are answered by index.
        "copy of a copy": ("(churn(), selected(copy) == expected)[1]", "True"),
        "bound to a borrowed selection": ("(churn(), tuple(a.GetIndex() for a in reference.GetAtoms()"
                                          " if rebound(a)) == water)[1]", "True"),
        "residue selector": ("len(selected(residues)) == len(atoms)", "True"),
        "atoms and bond": ("(churn(), atoms[-1].GetOwner().NumAtoms(), bond.GetBgn().GetName(),"
                           " bond.GetEnd().GetName(),"
                           " bond.GetEnd().GetOwner() is bond.GetBgn().GetOwner())[1:]",
                           repr((held.NumAtoms(), held_bond.GetBgn().GetName(),
                                 held_bond.GetEnd().GetName(), True))),
    })


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


def test_moved_iterators_keep_their_owner():
    # incr, decr and advance give a non-owning wrapper of the same native
    # iterator, which must stay usable when the wrapper it came from was a
    # temporary; += and -= give back the iterator object itself, also when
    # it is such a borrowed wrapper (which once handed the ownership of an
    # iterator someone else owned to a new wrapper, freeing it twice).
    setup = """
        def vector():
            return kaselect.UnsignedIntVector([10, 20, 30, 40])

        def strings():
            return kaselect.StringSet(["a", "b", "c", "d"])

        stepped = vector().begin().incr().incr(2).decr()
        advanced = strings().end().advance(-1).advance(-2)
        owner = iter(vector())
        borrowed = owner.incr(0)
        borrowed += 3
        borrowed -= 1
        moved = strings().begin()
        before = moved
        moved += 2
        churn()

        def release():
            global owner, borrowed, moved, before
            del owner, borrowed, moved, before
            churn()
            return "released"
    """
    check_outcomes(setup, {
        "incr and decr on temporaries": ("(stepped.value(), stepped.thisown)", repr((30, False))),
        "advance on temporaries": ("advanced.value()", repr("b")),
        "+= on a borrowed wrapper": ("(borrowed.value(), borrowed.thisown, owner.thisown, owner.value())",
                                     repr((30, False, True, 30))),
        "+= keeps the object": ("(moved is before, moved.thisown, moved.value())", repr((True, True, "c"))),
        "all released once": ("release()", repr("released")),
        "reading afterwards": ("(churn(), list(vector()))[1]", repr([10, 20, 30, 40])),
    })


def test_deleted_and_added_atoms_under_bound_selections():
    # KaSelect bindings made (and their tables filled) before atoms were
    # deleted and added keep answering every live atom and refuse deleted ones
    # with ValueError; whole-molecule results never list a deleted atom.
    setup = """
        TEXTS = ["byres (resn 478 around 4)", "bychain (resn HOH and id < 1600)", "water around 3",
                 "name CA", "resn 478 beyond 6"]
        mol = kamol.ReadMolecule(COMPLEX)
        selects = [kaselect.KaSelect(mol, text) for text in TEXTS]
        atoms = mol.GetAtoms()
        for select in selects:
            [select(a) for a in atoms]
        gone = atoms[::7]
        deleted = [mol.DeleteAtom(a) for a in gone]
        again = [mol.DeleteAtom(a) for a in gone[:5]]
        added = []
        for n in range(40):
            atom = mol.NewAtom(8)
            mol.SetCoords(atom, (n * 0.5, 1.0, -2.0))
            added.append(atom)
        churn()
        gone_indices = {a.GetIndex() for a in gone}

        def answers():
            return {type(s(a)).__name__ for s in selects for a in atoms + added if not a.IsDeleted()}

        def refusals():
            outcomes = set()
            for call in [s for s in selects] + [kaselect.get_selector_string]:
                for a in gone:
                    try:
                        call(a)
                        outcomes.add("answered")
                    except ValueError as error:
                        outcomes.add(str(error) == "atom %d has been deleted" % a.GetIndex())
            return outcomes

        def listed():
            return any(gone_indices & set(kaselect.EvaluateSelection(mol, t)) for t in TEXTS + ["all"])

        def fresh_agrees():
            return all(tuple(a.GetIndex() for a in mol.GetAtoms() if kaselect.KaSelect(mol, t)(a))
                       == kaselect.EvaluateSelection(mol, t) for t in TEXTS)
    """
    check_outcomes(setup, {
        "deleted once": ("all(deleted)", "True"),
        "deleted twice": ("any(again)", "False"),
        "old bindings answer": ("answers()", "{'bool'}"),
        "deleted never listed": ("listed()", "False"),
        "fresh bindings agree": ("fresh_agrees()", "True"),
        "counts": ("kaselect.CountSelection(mol, 'all') == mol.NumAtoms() == len(atoms) - len(gone) + 40",
                   "True"),
        "deleted atoms refused": ("refusals()", "{True}"),
    })
