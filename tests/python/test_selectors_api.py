"""Residue selectors from Python: argument conversion of the Selector record,
selector lists and residue predicates, and the container classes. The parsing
and ordering rules themselves are tested in C++ (test_selector.cpp)."""
import gc
import pytest
from hypothesis import given
from hypothesis import strategies as st

import kaselect
import lumora.kamol as kamol
from kaselect import Selector

def fields(selector):
    return (selector.name, selector.residue_number, selector.insert_code, selector.chain)


def molecule(rows):
    """One carbon per row (atom name, residue name, number, chain, insert code)."""
    mol = kamol.KaGraphMol()
    atoms = []
    for name, resn, resi, chain, icode in rows:
        atom = mol.NewAtom(6)
        atom.SetName(name)
        kamol.SetAtomResidue(atom, kamol.KaResidue(residueName=resn, residueNumber=resi, chainId=chain,
                                                   insertCode=icode))
        atoms.append(atom)
    return mol, atoms


# Field texts that survive the text form (no ':' and no blanks at the ends).
def field_text(excluded, min_size=0):
    chars = st.characters(blacklist_characters=excluded, blacklist_categories=("Cs", "Zs", "Cc"))
    return st.text(chars, min_size=min_size, max_size=4)


selectors = st.builds(Selector, field_text(":"), st.integers(-2**31, 2**31 - 1),
                      st.one_of(field_text(":", min_size=1), st.text(" \t", min_size=1, max_size=3)),
                      field_text(":"))



def key(selector):
    return (selector.chain.encode(), selector.residue_number, selector.insert_code.encode())


@given(selectors)
def test_text_round_trip(selector):
    again = Selector.FromString(selector.ToString())
    assert fields(again) == fields(selector) and again == selector


@given(st.lists(selectors, min_size=2, max_size=6))
def test_ordering_is_by_chain_number_insert_code(group):
    for a in group:
        for b in group:
            assert ((a < b), (a <= b), (a == b)) == (key(a) < key(b), key(a) <= key(b), fields(a) == fields(b))
    assert [key(s) for s in sorted(group)] == sorted(key(s) for s in group)


def test_listings_are_tuples_of_owning_objects():
    mol, atoms = molecule([("N", "ALA", 10, "A", " "), ("N", "GLY", 2, "A", "B"), ("C", "LIG", 1, "", " ")])
    listed = kaselect.mol_to_selector_set(mol)
    assert type(listed) is tuple and [s.ToString() for s in listed] == ["LIG:1: : ", "GLY:2:B:A", "ALA:10: :A"]
    assert all(type(s) is Selector and s.this.own() for s in listed)
    texts = kaselect.str_selector_set(mol, "name N")
    assert texts == ("ALA:10: :A", "GLY:2:B:A") and all(type(t) is str for t in texts)
    parsed = kaselect.parse_selector_set("GLY:11: :B;ALA:10: :A")
    assert type(parsed) is tuple and all(s.this.own() for s in parsed)
    assert fields(Selector.FromAtom(atoms[1])) == ("GLY", 2, "B", "A")


@pytest.mark.parametrize("make", [
    lambda: kaselect.KaResidueSelector("GLY:13: :A\r\nSER:-12: :A"),
    lambda: kaselect.KaResidueSelector(kaselect.SelectorSet([Selector("", 13, "A"), Selector("", -12, "A")])),
    lambda: kaselect.KaResidueSelector([Selector("G", 13, "A"), Selector("S", -12, "A")]),
    lambda: kaselect.KaResidueSelector(s for s in [Selector("G", 13, "A"), Selector("S", -12, "A")]),
    lambda: kaselect.KaResidueSelector(kaselect.KaResidueSelector("GLY:13: :A,SER:-12: :A")),
])
def test_residue_selector_takes_text_sets_sequences_and_copies(make):
    mol, atoms = molecule([("N", "ALA", 12, "A", " "), ("CA", "GLY", 13, "A", " "), ("CA", "SER", -12, "A", " ")])
    select = make()
    gc.collect()
    assert [select(a) for a in atoms] == [False, True, True]
    assert all(type(select(a)) is bool for a in atoms)


@given(st.lists(st.integers(0, 99), max_size=7), st.one_of(st.none(), st.integers(-9, 9)),
       st.one_of(st.none(), st.integers(-9, 9)), st.one_of(st.none(), st.integers(-4, 4).filter(bool)))
def test_vector_slices_follow_list_slices(items, start, stop, step):
    index = slice(start, stop, step)
    # Reading with a start at or past the end is the one documented difference.
    if not ((step is None or step > 0) and start is not None and start >= len(items)):
        assert list(kaselect.UnsignedIntVector(items)[index]) == items[index]
    v, expected = kaselect.UnsignedIntVector(items), list(items)
    del v[index]
    del expected[index]
    assert list(v) == expected
    v, expected = kaselect.UnsignedIntVector(items), list(items)
    expected[index] = replacement = [100 + i for i in range(len(items[index]))]
    v[index] = replacement
    assert list(v) == expected


def test_sets_and_vectors_as_python_containers():
    residues = kaselect.SelectorSet([Selector("GLY", 2, "A"), Selector("ALA", 1, "A"), Selector("X", 1, "A")])
    assert [s.ToString() for s in residues] == ["ALA:1: :A", "GLY:2: :A"] and residues[-1].name == "GLY"
    assert Selector("any", 2, "A") in residues and Selector("GLY", 2, "B") not in residues
    texts = kaselect.StringSet(["b", "a", "b"])
    assert (list(texts), texts[-1]) == (["a", "b"], "b")
    with pytest.raises(RuntimeError, match="index out of range"):
        texts[2]
    v = kaselect.UnsignedIntVector([1, 2, 3])
    with pytest.raises(IndexError, match="index out of range"):
        v[3]
    with pytest.raises(OverflowError):
        v.append(-1)
    with pytest.raises(ValueError, match="extended slice of size 2"):
        v[::2] = [7]
    assert list(v) == [1, 2, 3] and list(kaselect.UnsignedIntVector(x * x for x in range(3))) == [0, 1, 4]
