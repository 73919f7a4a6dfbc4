"""Residue selectors from Python: the Selector record and its text, selector
lists, the residue and name predicates, and the container classes."""
import gc
import weakref
from pathlib import Path

import pytest
from hypothesis import given
from hypothesis import strategies as st

import kaselect
import lumora.kamol as kamol
from isolated import CRASHED, outcomes
from kaselect import Selector, _kaselect

DATA = Path(__file__).resolve().parents[1] / "data"


def fields(selector):
    return (selector.name, selector.residue_number, selector.insert_code, selector.chain)


def overloads(function, *prototypes):
    return ("Wrong number or type of arguments for overloaded function '%s'.\n"
            "  Possible C/C++ prototypes are:\n" % function
            + "".join("    %s\n" % p for p in prototypes))


def molecule(rows):
    """A molecule with one atom per row (atom name, residue name, residue number,
    chain, insert code); returns it and its atoms."""
    mol = kamol.KaGraphMol()
    atoms = []
    for name, resn, resi, chain, icode in rows:
        atom = mol.NewAtom(6)
        atom.SetName(name)
        res = kamol.KaResidue()
        res.residueName, res.residueNumber, res.chainId, res.insertCode = resn, resi, chain, icode
        kamol.SetAtomResidue(atom, res)
        atoms.append(atom)
    return mol, atoms


# --- the Selector record -----------------------------------------------------

SELECTOR_OVERLOADS = overloads(
    "new_Selector",
    "KaSel::Selector::Selector()",
    "KaSel::Selector::Selector(std::string,int,std::string)",
    "KaSel::Selector::Selector(std::string,int,std::string,std::string)")


@pytest.mark.parametrize("args, expected", [
    ((), ("", 0, " ", "")),
    (("ALA", 12, "A"), ("ALA", 12, " ", "A")),
    (("ALA", -3, "A", "B"), ("ALA", -3, "B", "A")),
    # Nothing is trimmed or checked.
    ((" hoh ", 2**31 - 1, "", "\t"), (" hoh ", 2**31 - 1, "\t", "")),
])
def test_selector_constructors(args, expected):
    assert fields(Selector(*args)) == expected


@pytest.mark.parametrize("args, message", [
    (("ALA", 1), SELECTOR_OVERLOADS),
    (("ALA", "1", "A"), SELECTOR_OVERLOADS),
    (("ALA", 2**31, "A"), SELECTOR_OVERLOADS),
    (("ALA", 1.0, "A"), SELECTOR_OVERLOADS),
    (("ALA", 1, "A", "B", "C"),
     "new_Selector expected at most 4 arguments, got 5\nAdditional information:\n" + SELECTOR_OVERLOADS),
    ((None, 1, "A"), "in method 'new_Selector', argument 1 of type 'std::string'"),
])
def test_selector_constructor_errors(args, message):
    with pytest.raises(TypeError) as info:
        Selector(*args)
    assert str(info.value) == message


@pytest.mark.parametrize("attribute, value, error, message", [
    ("residue_number", 2**31, OverflowError, "in method 'Selector_residue_number_set', argument 2 of type 'int'"),
    ("residue_number", -2**31 - 1, OverflowError,
     "in method 'Selector_residue_number_set', argument 2 of type 'int'"),
    ("residue_number", "3", TypeError, "in method 'Selector_residue_number_set', argument 2 of type 'int'"),
    ("residue_number", 3.0, TypeError, "in method 'Selector_residue_number_set', argument 2 of type 'int'"),
    ("name", None, TypeError,
     "invalid null reference in method 'Selector_name_set', argument 2 of type 'std::string const &'"),
    ("name", 5, TypeError, "in method 'Selector_name_set', argument 2 of type 'std::string const &'"),
    ("name", b"ALA", TypeError, "in method 'Selector_name_set', argument 2 of type 'std::string const &'"),
    ("name", "\udcff", TypeError, "in method 'Selector_name_set', argument 2 of type 'std::string const &'"),
    ("chain", None, TypeError,
     "invalid null reference in method 'Selector_chain_set', argument 2 of type 'std::string const &'"),
    ("insert_code", ["B"], TypeError,
     "in method 'Selector_insert_code_set', argument 2 of type 'std::string const &'"),
])
def test_selector_attribute_errors(attribute, value, error, message):
    selector = Selector("ALA", 7, "A")
    with pytest.raises(error) as info:
        setattr(selector, attribute, value)
    assert str(info.value) == message
    assert fields(selector) == ("ALA", 7, " ", "A")  # unchanged


def test_selector_attributes_take_any_text_and_int():
    selector = Selector()
    selector.name, selector.residue_number = "caf\u00e9", -2**31
    selector.chain, selector.insert_code = "AB", ""
    assert fields(selector) == ("caf\u00e9", -2**31, "", "AB")
    assert selector.ToString() == "caf\u00e9:-2147483648::AB"
    # Bool is an int here.
    selector.residue_number = True
    assert selector.residue_number == 1


@pytest.mark.parametrize("text, expected", [
    ("ALA:12: :A", ("ALA", 12, " ", "A")),
    (" ALA : 12 : B :A", ("ALA", 12, "B", "A")),
    ("ALA:12::A", ("ALA", 12, "", "A")),
    ("ALA:12: :A:", ("ALA", 12, " ", "A")),
    ("ALA:+7: :A", ("ALA", 7, " ", "A")),
    ("ALA:-3: :A", ("ALA", -3, " ", "A")),
    ("ALA:12x: :A", ("ALA", 12, " ", "A")),
    ("ALA: \t-2147483648: :A", ("ALA", -2**31, " ", "A")),
    ("UNL:1: : ", ("UNL", 1, " ", " ")),
    (":0:\t\t:W", ("", 0, "\t\t", "W")),
])
def test_from_string(text, expected):
    assert fields(Selector.FromString(text)) == expected


@pytest.mark.parametrize("text, message", [
    ("ALA:12: :", "Invalid selector format: ALA:12: : (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:12:A:", "Invalid selector format: ALA:12:A: (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:12: :A::", "Invalid selector format: ALA:12: :A:: (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("", "Invalid selector format:  (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:x: :A", "Invalid residue number in selector: x"),
    ("ALA: : :A", "Invalid residue number in selector:  "),
    ("ALA:99999999999: :A", "Invalid residue number in selector: 99999999999"),
    ("ALA:2147483648: :A", "Invalid residue number in selector: 2147483648"),
])
def test_from_string_errors(text, message):
    with pytest.raises(ValueError) as info:
        Selector.FromString(text)
    assert str(info.value) == message


def test_from_string_argument_errors():
    with pytest.raises(TypeError) as info:
        Selector.FromString(None)
    assert str(info.value) == ("invalid null reference in method 'Selector_FromString', "
                               "argument 1 of type 'std::string const &'")
    with pytest.raises(TypeError) as info:
        Selector.FromString(12)
    assert str(info.value) == "in method 'Selector_FromString', argument 1 of type 'std::string const &'"


# Field texts that survive the text form: no ':' and no blanks or tabs at the
# ends, unless the field is nothing but blanks and tabs; the chain must not be
# empty, since a ':' at the very end adds no field.
def field_text(excluded, min_size=0):
    chars = st.characters(blacklist_characters=excluded, blacklist_categories=("Cs", "Zs", "Cc"))
    return st.text(chars, min_size=min_size, max_size=4)


blank_text = st.text(" \t", min_size=1, max_size=3)
selectors = st.builds(
    Selector,
    st.one_of(field_text(":"), blank_text),
    st.integers(-2**31, 2**31 - 1),
    st.one_of(field_text(":", min_size=1), blank_text),
    st.one_of(field_text(":"), blank_text))
# In a list the separators cannot occur inside a selector, and a piece loses
# blanks at its ends, so the name and chain do not begin or end with one.
list_selectors = st.builds(
    Selector,
    field_text(":,;&"),
    st.integers(-2**31, 2**31 - 1),
    field_text(":,;&", min_size=1),
    st.one_of(field_text(":,;&"), st.sampled_from([" ", "  "])))


@given(selectors)
def test_text_round_trip(selector):
    text = selector.ToString()
    assert text == "%s:%d:%s:%s" % fields(selector)
    again = Selector.FromString(text)
    assert fields(again) == fields(selector) and again == selector


def key(selector):
    return (selector.chain.encode(), selector.residue_number, selector.insert_code.encode())


@given(st.lists(selectors, min_size=2, max_size=6))
def test_ordering_is_by_chain_number_insert_code(group):
    for a in group:
        for b in group:
            assert (a < b) == (key(a) < key(b))
            assert (a > b) == (key(a) > key(b))
            assert (a <= b) == (key(a) <= key(b))
            assert (a >= b) == (key(a) >= key(b))
            assert (a == b) == (fields(a) == fields(b))
            assert (a != b) == (fields(a) != fields(b))
    assert [key(s) for s in sorted(group)] == sorted(key(s) for s in group)


def test_ordering_is_not_equality():
    ala, gly = Selector("ALA", 1, "A"), Selector("GLY", 1, "A")
    assert not ala == gly and ala != gly
    assert not ala < gly and not gly < ala and ala <= gly and ala >= gly
    assert Selector("X", 5, "A") < Selector("X", 1, "B")
    assert Selector("X", -1, "A") < Selector("X", 0, "A")
    assert Selector("X", 1, "A", " ") < Selector("X", 1, "A", "A")
    # Equivalent selectors are one element of a set, found whatever the name.
    residues = kaselect.SelectorSet([ala, gly])
    assert len(residues) == 1 and residues[0].name == "ALA"
    assert gly in residues and residues.count(Selector("LYS", 1, "A")) == 1


@pytest.mark.parametrize("other", [5, None, "ALA:1: :A", kaselect.KaSelection()])
def test_comparisons_with_other_types(other):
    ala = Selector("ALA", 1, "A")
    for name in ("lt", "gt", "le", "ge", "eq", "ne"):
        assert getattr(_kaselect, "Selector___%s__" % name)(ala, other) is NotImplemented
    assert (ala == other) is False and (ala != other) is True
    with pytest.raises(TypeError):
        ala < other
    with pytest.raises(TypeError):
        other >= ala


# --- lists of selectors ------------------------------------------------------

def test_parse_selector_set_returns_owning_selectors_in_order():
    result = kaselect.parse_selector_set("GLY:11: :B;ALA:10: :A&HOH:301: :W,ALA:2:B:A")
    assert type(result) is tuple and all(type(s) is Selector for s in result)
    assert [s.ToString() for s in result] == ["ALA:2:B:A", "ALA:10: :A", "GLY:11: :B", "HOH:301: :W"]
    assert all(s.this.own() for s in result)
    result[0].name = "CHANGED"
    assert kaselect.parse_selector_set("ALA:2:B:A")[0].name == "ALA"


@pytest.mark.parametrize("text, expected", [
    ("", []),
    (" ,; \n", []),
    (",,,", []),
    ("\r\n\r\n", []),
    ("ALA:1: :A;GLY:1: :A", ["ALA:1: :A"]),
    ("GLY:1: :A;ALA:1: :A", ["GLY:1: :A"]),
    ("ALA:10: :A\tGLY:11: :A&&&SER:12: :A", ["ALA:10: :A", "GLY:11: :A", "SER:12: :A"]),
    ("  ALA:10: :A  ,\t\tGLY:11:B:A \r", ["ALA:10: :A", "GLY:11:B:A"]),
    ("ALA:10::A,ALA:10: :A", ["ALA:10::A", "ALA:10: :A"]),
])
def test_parse_selector_set(text, expected):
    assert [s.ToString() for s in kaselect.parse_selector_set(text)] == expected


def test_crlf_lists_parse_like_lf_lists():
    lines = ["ALA:10: :A", "GLY:11: :A", "HOH:301: :W", "LYS:-4:Z:B"]
    lf = "\n".join(lines) + "\n"
    crlf = "\r\n".join(lines) + "\r\n"
    assert ([fields(s) for s in kaselect.parse_selector_set(crlf)]
            == [fields(s) for s in kaselect.parse_selector_set(lf)]
            == sorted((fields(Selector.FromString(t)) for t in lines),
                      key=lambda f: (f[3].encode(), f[1], f[2].encode())))


@pytest.mark.parametrize("text, message", [
    ("ALA:10: :A GLY:11: :A", "Invalid selector format: ALA:10: :A GLY:11: :A (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:10: :A\nGLY:x: :A\nSER:12: :A", "Invalid residue number in selector: x"),
    ("ALA:12:B: ;GLY:1: :A", "Invalid selector format: ALA:12:B: (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:10: :A,UNL:1: : ", "Invalid selector format: UNL:1: : (expected NAME:NUMBER:ICODE:CHAIN)"),
    ("ALA:10: :A\r\nGLY:11: :A:X\r\n", "Invalid selector format: GLY:11: :A:X (expected NAME:NUMBER:ICODE:CHAIN)"),
])
def test_malformed_lists(text, message):
    with pytest.raises(ValueError) as info:
        kaselect.parse_selector_set(text)
    assert str(info.value) == message
    with pytest.raises(ValueError) as info:
        kaselect.KaResidueSelector(text)
    assert str(info.value) == message


@given(st.lists(list_selectors, max_size=8),
       st.lists(st.sampled_from([",", ";", "&", "\t", "\n", "\r\n", ",\r\n", " ;\t"]), min_size=8, max_size=8))
def test_parse_selector_set_keeps_the_first_of_each_residue(group, separators):
    text = "".join(s.ToString() + sep for s, sep in zip(group, separators))
    first = {}
    for s in group:
        first.setdefault(key(s), fields(s))
    assert [fields(s) for s in kaselect.parse_selector_set(text)] == [first[k] for k in sorted(first)]


def test_molecule_listings_are_tuples():
    mol, atoms = molecule([
        ("N", "ALA", 10, "A", " "),
        ("CA", "ALA", 10, "A", " "),
        ("N", "GLY", 2, "A", " "),
        ("N", "GLY", 2, "A", "B"),
        ("O", "HOH", 5, "BX", " "),   # the chain keeps its first character
        ("O", "WAT", 5, "B", " "),    # same residue key, another name
        ("C", "LIG", 1, "", " "),     # empty chain reads as a blank
    ])
    listed = kaselect.mol_to_selector_set(mol)
    assert type(listed) is tuple and all(type(s) is Selector for s in listed)
    assert [s.ToString() for s in listed] == [
        "LIG:1: : ", "GLY:2: :A", "GLY:2:B:A", "ALA:10: :A", "HOH:5: :B"]
    texts = kaselect.str_selector_set(mol, "")
    assert type(texts) is tuple and all(type(t) is str for t in texts)
    assert texts == ("ALA:10: :A", "GLY:2: :A", "GLY:2:B:A", "HOH:5: :B", "LIG:1: : ", "WAT:5: :B")
    assert kaselect.str_selector_set(mol, "name N") == ("ALA:10: :A", "GLY:2: :A", "GLY:2:B:A")
    assert kaselect.str_selector_set(mol, "resi 99") == ()
    assert [kaselect.get_selector_string(a) for a in atoms[4:]] == ["HOH:5: :B", "WAT:5: :B", "LIG:1: : "]
    assert fields(Selector.FromAtom(atoms[3])) == ("GLY", 2, "B", "A")
    with pytest.raises(ValueError) as info:
        kaselect.str_selector_set(mol, "name N and")
    assert str(info.value) == "Failed to parse selection: name N and"


def test_atoms_without_residue_data():
    mol = kamol.KaGraphMol()
    atom = mol.NewAtom(8)
    assert kaselect.get_selector_string(atom) == "UNL:1: : "
    assert kaselect.str_selector_set(mol, "") == ("UNL:1: : ",)
    assert fields(Selector.FromString("UNL:1: : ")) == ("UNL", 1, " ", " ")
    # In a list the final blank of the chain is trimmed away with the piece.
    with pytest.raises(ValueError) as info:
        kaselect.KaResidueSelector(kaselect.get_selector_string(atom))
    assert str(info.value) == "Invalid selector format: UNL:1: : (expected NAME:NUMBER:ICODE:CHAIN)"
    # A selector object keeps it, and matches.
    assert kaselect.KaResidueSelector([Selector.FromAtom(atom)])(atom)


# --- residue and name predicates ----------------------------------------------

RESIDUES = [
    ("N", "ALA", 12, "A", " "),
    ("CA", "ALA", 12, "A", " "),
    ("CA", "ALA", 12, "A", "B"),
    ("CA", "ALA", 12, "B", " "),
    ("CA", "GLY", 13, "A", " "),
    ("CA", "SER", -12, "A", " "),
]


@pytest.mark.parametrize("make, expected", [
    (lambda: kaselect.KaResidueSelector("ALA:12: :A"), [True, True, False, False, False, False]),
    (lambda: kaselect.KaResidueSelector("XXX:12: :A"), [True, True, False, False, False, False]),
    (lambda: kaselect.KaResidueSelector("ALA:12::A"), [False] * 6),
    (lambda: kaselect.KaResidueSelector(""), [False] * 6),
    (lambda: kaselect.KaResidueSelector("ALA:12:B:A\nGLY:13: :A\r\nSER:-12: :A"),
     [False, False, True, False, True, True]),
    (lambda: kaselect.KaResidueSelector(kaselect.SelectorSet([Selector("A", 12, "B")])),
     [False, False, False, True, False, False]),
    (lambda: kaselect.KaResidueSelector([Selector("A", 12, "B"), Selector("A", 13, "A")]),
     [False, False, False, True, True, False]),
    (lambda: kaselect.KaResidueSelector((Selector("A", 12, "A", "B"),)),
     [False, False, True, False, False, False]),
    (lambda: kaselect.KaResidueSelector(s for s in [Selector("A", -12, "A")]),
     [False, False, False, False, False, True]),
    (lambda: kaselect.KaResidueSelector(kaselect.KaResidueSelector("GLY:13: :A")),
     [False, False, False, False, True, False]),
    (lambda: kaselect.KaResidueSelector(kaselect.parse_selector_set("ALA:12: :B")),
     [False, False, False, True, False, False]),
    (lambda: kaselect.KaResidueSelector([]), [False] * 6),
])
def test_residue_selector(make, expected):
    mol, atoms = molecule(RESIDUES)
    select = make()
    assert [select(a) for a in atoms] == expected
    assert all(type(select(a)) is bool for a in atoms)


def test_residue_selector_owns_its_set():
    mol, atoms = molecule(RESIDUES)
    residues = kaselect.SelectorSet([Selector("GLY", 13, "A")])
    select = kaselect.KaResidueSelector(residues)
    residues.clear()
    del residues
    gc.collect()
    assert [select(a) for a in atoms] == [False, False, False, False, True, False]
    copy = kaselect.KaResidueSelector(select)
    del select
    gc.collect()
    assert [copy(a) for a in atoms] == [False, False, False, False, True, False]


RESIDUE_SELECTOR_OVERLOADS = overloads(
    "new_KaResidueSelector",
    "KaSel::KaResidueSelector::KaResidueSelector(std::string const &)",
    "KaSel::KaResidueSelector::KaResidueSelector(std::set< KaSel::Selector,std::less< KaSel::Selector >,"
    "std::allocator< KaSel::Selector > > const &)",
    "KaSel::KaResidueSelector::KaResidueSelector(KaSel::KaResidueSelector const &)")


@pytest.mark.parametrize("args, message", [
    ((5,), RESIDUE_SELECTOR_OVERLOADS),
    ((["ALA:1: :A"],), RESIDUE_SELECTOR_OVERLOADS),
    ((Selector("ALA", 1, "A"),), RESIDUE_SELECTOR_OVERLOADS),
    ((kaselect.StringSet(["ALA:1: :A"]),), RESIDUE_SELECTOR_OVERLOADS),
    ((b"ALA:1: :A",), RESIDUE_SELECTOR_OVERLOADS),
    ((), RESIDUE_SELECTOR_OVERLOADS),
    (("ALA:1: :A", "GLY:2: :A"),
     "new_KaResidueSelector expected at most 1 arguments, got 2\nAdditional information:\n"
     + RESIDUE_SELECTOR_OVERLOADS),
    ((None,), "invalid null reference in method 'new_KaResidueSelector', argument 1 of type 'std::string const &'"),
    (([Selector("ALA", 1, "A"), None],),
     "in method 'new_KaResidueSelector', argument 1 of type "
     "'std::set< KaSel::Selector,std::less< KaSel::Selector >,std::allocator< KaSel::Selector > > const &'"),
])
def test_residue_selector_argument_errors(args, message):
    with pytest.raises(TypeError) as info:
        kaselect.KaResidueSelector(*args)
    assert str(info.value) == message


NAMES = ["CA", "ca", " CA ", "\tCA", "CA1", "C A", "Ca\t", "", "   "]


@pytest.mark.parametrize("args, accepted", [
    (("CA",), ["CA", "ca", " CA ", "\tCA", "Ca\t"]),
    (("ca",), ["CA", "ca", " CA ", "\tCA", "Ca\t"]),
    ((" CA\t", False, False), ["CA", "ca", " CA ", "\tCA", "Ca\t"]),
    (("CA", True), ["CA", " CA ", "\tCA"]),
    (("CA", False, True), ["CA", "ca"]),
    ((" CA ", True, True), [" CA "]),
    (("",), ["", "   "]),
    (("   ",), ["", "   "]),
    (("   ", False, True), ["   "]),
    (("C*",), []),
])
def test_name_predicates(args, accepted):
    mol, atoms = molecule([(n, n, 1, "A", " ") for n in NAMES])
    for predicate in (kaselect.KaHasAtomNameAdvanced(*args), kaselect.KaHasResidueName(*args)):
        assert [n for n, a in zip(NAMES, atoms) if predicate(a)] == accepted
        copy = type(predicate)(predicate)
        assert [n for n, a in zip(NAMES, atoms) if copy(a)] == accepted


@pytest.mark.parametrize("cls", ["KaHasResidueName", "KaHasAtomNameAdvanced"])
def test_name_predicate_argument_errors(cls):
    prototypes = ("KaSel::%s::%s(std::string const &,bool,bool)" % (cls, cls),
                  "KaSel::%s::%s(std::string const &,bool)" % (cls, cls),
                  "KaSel::%s::%s(std::string const &)" % (cls, cls),
                  "KaSel::%s::%s(KaSel::%s const &)" % (cls, cls, cls))
    expected = overloads("new_" + cls, *prototypes)
    make = getattr(kaselect, cls)
    for args in [("ALA", 1), ("ALA", True, 0), (5,), (kaselect.KaResidueSelector(""),), ()]:
        with pytest.raises(TypeError) as info:
            make(*args)
        assert str(info.value) == expected, args
    with pytest.raises(TypeError) as info:
        make("A", True, True, True)
    assert str(info.value) == ("new_%s expected at most 3 arguments, got 4\nAdditional information:\n" % cls
                               + expected)
    with pytest.raises(TypeError) as info:
        make(None)
    assert str(info.value) == ("invalid null reference in method 'new_%s', argument 1 of type "
                               "'std::string const &'" % cls)


# --- containers ---------------------------------------------------------------

def test_vector_indexing():
    v = kaselect.UnsignedIntVector([1, 2, 3])
    assert (v[0], v[2], v[-1], v[-3]) == (1, 3, 3, 1)
    for index in (3, -4, 2**62, -2**62):
        with pytest.raises(IndexError) as info:
            v[index]
        assert str(info.value) == "index out of range"
    with pytest.raises(IndexError):
        v[3] = 7
    with pytest.raises(IndexError):
        del v[-4]
    v[-1] = 4294967295
    del v[0]
    assert list(v) == [2, 4294967295]
    with pytest.raises(OverflowError) as info:
        v.append(-1)
    assert str(info.value) == ("in method 'UnsignedIntVector_append', argument 2 of type "
                               "'std::vector< unsigned int >::value_type'")
    # Through the overload test a value out of range matches no overload.
    with pytest.raises(TypeError) as info:
        v[0] = 2**32
    assert str(info.value).startswith(
        "Wrong number or type of arguments for overloaded function 'UnsignedIntVector___setitem__'.\n")
    with pytest.raises(TypeError):
        v.append("1")
    assert list(v) == [2, 4294967295]


slice_bound = st.one_of(st.none(), st.integers(-9, 9))


@given(st.lists(st.integers(0, 99), max_size=7), slice_bound, slice_bound,
       st.one_of(st.none(), st.integers(-4, 4).filter(bool)))
def test_vector_slices_follow_list_slices(items, start, stop, step):
    index = slice(start, stop, step)
    # Reading with a start at or past the end is the one documented difference.
    if not ((step is None or step > 0) and start is not None and start >= len(items)):
        part = kaselect.UnsignedIntVector(items)[index]
        assert type(part) is kaselect.UnsignedIntVector and list(part) == items[index]
    v, expected = kaselect.UnsignedIntVector(items), list(items)
    del v[index]
    del expected[index]
    assert list(v) == expected
    v, expected = kaselect.UnsignedIntVector(items), list(items)
    replacement = [100 + i for i in range(len(items[index]))]
    v[index] = replacement
    expected[index] = replacement
    assert list(v) == expected


@pytest.mark.parametrize("index", [
    slice(None, None, 2**63 - 1),
    slice(None, None, -2**63),
    slice(2**70, -2**70, -1),
    slice(-2**70, 2**70, 2**70),
])
def test_vector_slices_with_huge_bounds(index):
    items = list(range(6))
    v = kaselect.UnsignedIntVector(items)
    assert list(v[index]) == items[index]
    del v[index]
    del items[index]
    assert list(v) == items


def test_vector_slice_start_beyond_the_end_reads_from_the_start():
    # Slice bounds are normalised by PySlice_GetIndices and then clamped; a
    # start at or past the end is not inside, so reading begins at 0.
    v = kaselect.UnsignedIntVector([1, 2, 3])
    assert list(v[5:]) == [1, 2, 3]
    assert list(v.__getslice__(7, 2)) == [1, 2]


def test_vector_slice_assignment_and_deletion():
    v = kaselect.UnsignedIntVector([1, 2, 3, 4, 5])
    v[1:4] = [7, 8]
    assert list(v) == [1, 7, 8, 5]
    v[1:1] = kaselect.UnsignedIntVector([9, 9, 9])
    assert list(v) == [1, 9, 9, 9, 7, 8, 5]
    v[::3] = (0, 0, 0)
    assert list(v) == [0, 9, 9, 0, 7, 8, 0]
    with pytest.raises(ValueError) as info:
        v[::2] = [7, 8]
    assert str(info.value) == "attempt to assign sequence of size 2 to extended slice of size 4"
    del v[::-2]
    assert list(v) == [9, 0, 8]
    v[1:] = iter([5, 6])
    assert list(v) == [9, 5, 6]
    del v[:]
    assert len(v) == 0 and not v


@pytest.mark.parametrize("index, error, message", [
    (slice(None, None, 0), ValueError, "slice step cannot be zero"),
    (slice(1.5, None), TypeError, "slice indices must be integers or None or have an __index__ method"),
    (slice("a", 2), TypeError, "slice indices must be integers or None or have an __index__ method"),
    (slice(None, None, 1.0), TypeError, "slice indices must be integers or None or have an __index__ method"),
])
def test_vector_bad_slices(index, error, message):
    v = kaselect.UnsignedIntVector([1, 2, 3])
    for operation in (lambda: v[index], lambda: v.__setitem__(index, [4]),
                      lambda: v.__delitem__(index)):
        with pytest.raises(error) as info:
            operation()
        assert str(info.value) == message
    assert list(v) == [1, 2, 3]


def test_vector_construction_and_empty_access():
    assert list(kaselect.UnsignedIntVector(3)) == [0, 0, 0]
    assert list(kaselect.UnsignedIntVector(2, 7)) == [7, 7]
    assert list(kaselect.UnsignedIntVector(iter([4, 5]))) == [4, 5]
    assert list(kaselect.UnsignedIntVector(x * x for x in range(4))) == [0, 1, 4, 9]
    original = kaselect.UnsignedIntVector([1, 2])
    copy = kaselect.UnsignedIntVector(original)
    copy.append(3)
    assert list(original) == [1, 2] and list(copy) == [1, 2, 3]
    with pytest.raises(TypeError) as info:
        kaselect.UnsignedIntVector([1, -1])
    assert str(info.value).startswith(
        "Wrong number or type of arguments for overloaded function 'new_UnsignedIntVector'.\n")
    empty = kaselect.UnsignedIntVector()
    for operation, message in [(empty.pop, "pop from empty container"),
                               (empty.pop_back, "pop from empty container"),
                               (empty.front, "front of empty container"),
                               (empty.back, "back of empty container")]:
        with pytest.raises(IndexError) as info:
            operation()
        assert str(info.value) == message
    v = kaselect.UnsignedIntVector([5, 6])
    assert (v.front(), v.back(), v.pop(), list(v)) == (5, 6, 6, [5])


def test_sets_index_in_ascending_order():
    residues = kaselect.SelectorSet([Selector("GLY", 2, "A"), Selector("ALA", 1, "A")])
    assert [residues[i].ToString() for i in (0, 1, -1, -2)] == [
        "ALA:1: :A", "GLY:2: :A", "GLY:2: :A", "ALA:1: :A"]
    texts = kaselect.StringSet(["b", "a", "b", "c"])
    assert (texts[0], texts[2], texts[-3], len(texts)) == ("a", "c", "a", 3)
    for container in (residues, texts):
        for index in (len(container), -len(container) - 1, 10):
            with pytest.raises(RuntimeError) as info:
                container[index]
            assert str(info.value) == "index out of range"
        with pytest.raises(TypeError):
            container[0:1]
    with pytest.raises(RuntimeError) as info:
        _kaselect.SelectorSet___getitem__(residues, 10)
    assert str(info.value) == "index out of range"


def test_set_elements():
    residues = kaselect.SelectorSet()
    residues.add(Selector("GLY", 2, "A"))
    residues.append(Selector("ALA", 2, "A"))      # same key: no effect
    residues.add(Selector("SER", 1, "B"))
    assert [s.ToString() for s in residues] == ["GLY:2: :A", "SER:1: :B"]
    assert Selector("XXX", 1, "B") in residues and Selector("GLY", 2, "B") not in residues
    residues.discard(Selector("any", 2, "A"))
    assert [s.ToString() for s in residues] == ["SER:1: :B"]
    assert residues.erase(Selector("SER", 1, "B")) == 1 and residues.erase(Selector("SER", 1, "B")) == 0
    with pytest.raises(TypeError) as info:
        residues.add(None)
    assert str(info.value) == ("invalid null reference in method 'SelectorSet_add', argument 2 of type "
                               "'std::set< KaSel::Selector >::value_type'")
    with pytest.raises(TypeError):
        5 in residues
    # Elements come out as copies.
    residues.add(Selector("LYS", 3, "C"))
    residues[0].name = "CHANGED"
    assert residues[0].name == "LYS"
    with pytest.raises(TypeError):
        kaselect.StringSet(["a", 1])
    assert list(kaselect.StringSet(t for t in "cab")) == ["a", "b", "c"]


def test_iterators_are_exhausted_with_stop_iteration():
    v = kaselect.UnsignedIntVector([1, 2])
    it = iter(v)
    assert (next(it), next(it)) == (1, 2)
    for _ in range(2):
        with pytest.raises(StopIteration):
            next(it)
    for container, items in [(kaselect.StringSet(["x", "y"]), ["x", "y"]),
                             (kaselect.SelectorSet([Selector("A", 1, "A")]), ["A:1: :A"])]:
        it = container.iterator()
        got = [next(it) for _ in items]
        assert [g if type(g) is str else g.ToString() for g in got] == items
        with pytest.raises(StopIteration):
            next(it)
        with pytest.raises(StopIteration):
            it.value()
    it = kaselect.UnsignedIntVector([1, 2, 3]).iterator()
    with pytest.raises(StopIteration):
        it.decr()
    with pytest.raises(StopIteration):
        it.incr(5)
    # The steps that fit were taken before the error.
    with pytest.raises(StopIteration):
        it.value()
    assert it.previous() == 3


def test_iterators_keep_their_container_alive():
    v = kaselect.UnsignedIntVector([4, 5, 6])
    alive = weakref.ref(v)
    it, start = iter(v), v.begin()
    del v
    gc.collect()
    assert alive() is not None
    assert (next(it), start.value()) == (4, 4)
    del it, start
    gc.collect()
    assert alive() is None


def test_iterator_arithmetic():
    v = kaselect.UnsignedIntVector([10, 20, 30])
    begin, end = v.begin(), v.end()
    assert (end - begin, begin - end, (begin + 2).value(), (end - 1).value()) == (3, -3, 30, 30)
    assert begin + 3 == end and begin != end and (end - 3) == begin
    assert [v.rbegin().value(), (v.rend() - 1).value(), v.rend() - v.rbegin()] == [30, 10, 3]
    it = v.begin()
    it += 2
    it -= 1
    assert it.value() == 20 and it.advance(1).value() == 30
    copy = it.copy()
    it.decr(2)
    assert (copy.value(), it.value()) == (30, 10)
    residues = kaselect.SelectorSet([Selector("A", n, "A") for n in (1, 2, 3)])
    found = residues.find(Selector("Z", 2, "A"))
    assert found.value().ToString() == "A:2: :A" and found - residues.begin() == 1
    assert residues.end() - found == 2 and residues.rend() - residues.rbegin() == 3
    assert residues.find(Selector("Z", 9, "A")) == residues.end()
    low, high = residues.equal_range(Selector("B", 2, "A"))
    assert (low.value().residue_number, high.value().residue_number) == (2, 3)
    assert residues.lower_bound(Selector("A", 0, "A")) == residues.begin()
    assert residues.upper_bound(Selector("A", 3, "A")) == residues.end()
    position, inserted = residues.insert(Selector("N", 0, "A"))
    assert inserted is True and position == residues.begin()
    assert residues.insert(Selector("M", 0, "A"))[1] is False


def test_iterators_of_different_kinds_cannot_be_compared():
    v = kaselect.UnsignedIntVector([1])
    s = kaselect.StringSet(["a"])
    for operation in (lambda: _kaselect.SwigPyIterator_distance(v.begin(), s.begin()),
                      lambda: _kaselect.SwigPyIterator_equal(v.iterator(), v.rbegin()),
                      lambda: v.begin() == s.begin(),
                      lambda: v.begin() - v.rbegin()):
        with pytest.raises(RuntimeError) as info:
            operation()
        assert "std::invalid_argument *" in repr(info.value.args[0])
    # Iterators of two vectors are of one kind but never at the same place.
    w = kaselect.UnsignedIntVector([1])
    assert not (v.begin() == w.begin())
    with pytest.raises(RuntimeError):
        w.begin() - v.begin()


def test_erase_and_insert_by_iterator():
    v = kaselect.UnsignedIntVector([1, 2, 3, 4])
    after = v.erase(v.begin() + 1)
    assert after.value() == 3 and list(v) == [1, 3, 4]
    assert v.erase(v.begin(), v.begin() + 2).value() == 4 and list(v) == [4]
    assert v.insert(v.end(), 9).value() == 9
    v.insert(v.begin(), 2, 7)
    assert list(v) == [7, 7, 4, 9]
    residues = kaselect.SelectorSet([Selector("A", n, "A") for n in (1, 2, 3, 4)])
    residues.erase(residues.find(Selector("", 2, "A")))
    residues.erase(residues.begin() + 1, residues.end())
    assert [s.residue_number for s in residues] == [1]


def test_unchecked_container_operations_are_refused():
    # Without the container's checks these would read or write outside the
    # container; they run in a child process so that a crash fails only here.
    setup = """
        import kaselect
        from kaselect import Selector, _kaselect
        v = kaselect.UnsignedIntVector([1, 2, 3])
        w = kaselect.UnsignedIntVector([4, 5])
        e = kaselect.UnsignedIntVector()
        s = kaselect.SelectorSet([Selector("A", 1, "A"), Selector("B", 2, "A")])
        t = kaselect.SelectorSet([Selector("C", 9, "C")])

        def after_clear(container):
            it = iter(container)
            next(it)
            container.clear()
            return it.value()

        def after_erase(container, element):
            it = container.begin()
            container.discard(element)
            return it.value()
    """
    cases = {
        "front": ("e.front()", "IndexError", "front of empty container"),
        "back": ("e.back()", "IndexError", "back of empty container"),
        "pop_back": ("e.pop_back()", "IndexError", "pop from empty container"),
        "end read": ("v.end().value()", "IndexError", "iterator out of range"),
        "empty begin read": ("e.begin().value()", "IndexError", "iterator out of range"),
        "rend read": ("v.rend().value()", "IndexError", "iterator out of range"),
        "past end": ("v.end() + 1", "IndexError", "iterator out of range"),
        "before begin": ("v.begin().previous()", "IndexError", "iterator out of range"),
        "far": ("(v.begin() + 2**62).value()", "IndexError", "iterator out of range"),
        "most negative step": ("v.begin().advance(-2**63)", "OverflowError",
                               "in method 'SwigPyIterator_advance', argument 2 of type 'ptrdiff_t'"),
        "set end read": ("s.end().value()", "IndexError", "iterator out of range"),
        "set end next": ("s.end().next()", "IndexError", "iterator out of range"),
        "missing key read": ("s.find(Selector('Z', 7, 'Z')).value()", "IndexError", "iterator out of range"),
        "set before begin": ("s.begin().decr()", "IndexError", "iterator out of range"),
        "vector cleared": ("after_clear(kaselect.UnsignedIntVector([1, 2]))", "StopIteration", ""),
        "set cleared": ("after_clear(kaselect.StringSet(['a', 'b']))", "RuntimeError",
                        "the iterator's element was removed from the set"),
        "set element erased": ("after_erase(kaselect.SelectorSet([Selector('', 1, 'A')]), Selector('', 1, 'A'))",
                               "RuntimeError", "the iterator's element was removed from the set"),
        "erase foreign": ("v.erase(w.begin())", "ValueError", "iterator of another container"),
        "erase foreign range": ("v.erase(v.begin(), w.end())", "ValueError", "iterator of another container"),
        "erase end": ("v.erase(v.end())", "IndexError", "iterator out of range"),
        "erase reversed range": ("v.erase(v.end(), v.begin())", "IndexError", "iterator range out of order"),
        "insert foreign": ("v.insert(w.begin(), 9)", "ValueError", "iterator of another container"),
        "insert many foreign": ("v.insert(w.end(), 3, 9)", "ValueError", "iterator of another container"),
        "set erase foreign": ("s.erase(t.begin())", "ValueError", "iterator of another container"),
        "set erase end": ("s.erase(s.end())", "IndexError", "iterator out of range"),
        "set erase foreign range": ("s.erase(t.begin(), t.end())", "ValueError", "iterator of another container"),
        "set erase reversed range": ("s.erase(s.end(), s.begin())", "IndexError", "iterator range out of order"),
        "None as vector": ("_kaselect.UnsignedIntVector_size(None)", "TypeError",
                           "in method 'UnsignedIntVector_size', argument 1 of type "
                           "'std::vector< unsigned int > const *'"),
        "None as set": ("_kaselect.SelectorSet_begin(None)", "TypeError",
                        "in method 'SelectorSet_begin', argument 1 of type 'std::set< KaSel::Selector > *'"),
        "None as iterator": ("_kaselect.SwigPyIterator_value(None)", "TypeError",
                             "in method 'SwigPyIterator_value', argument 1 of type "
                             "'swig::SwigPyIterator const *'"),
        "None as selector": ("_kaselect.Selector_ToString(None)", "TypeError",
                             "in method 'Selector_ToString', argument 1 of type 'KaSel::Selector const *'"),
        "None deleted": ("_kaselect.delete_SelectorSet(None)", "returned", "None"),
    }
    seen = outcomes(setup, [(name, case[0]) for name, case in cases.items()])
    summary = {}
    for name, (kind, detail) in seen.items():
        summary[name] = (kind if kind in ("returned", CRASHED) else kind[0], detail)
    assert summary == {name: case[1:] for name, case in cases.items()}
    # The refused operations changed nothing.
    check = outcomes(setup + """
        for attempt in ("v.erase(w.begin())", "v.erase(v.end())", "s.erase(t.begin())", "e.pop_back()"):
            try:
                eval(attempt)
            except (IndexError, ValueError):
                pass
    """, [("contents", "(list(v), list(w), len(e), [x.ToString() for x in s])")])
    assert check == {"contents": ("returned", "([1, 2, 3], [4, 5], 0, ['A:1: :A', 'B:2: :A'])")}


# --- a binding site written to a file and read back --------------------------

def test_binding_site_round_trip(tmp_path):
    mol = kamol.ReadMolecule(str(DATA / "1hpv.pdb"))
    site = "protein and (ligand around 5)"
    listed = kaselect.str_selector_set(mol, site)
    assert len(listed) > 10 and all(t.count(":") == 3 and t.endswith((":A", ":B")) for t in listed)
    path = tmp_path / "site.txt"
    path.write_bytes(("\r\n".join(listed) + "\r\n").encode())
    text = path.read_bytes().decode()
    assert "\r\n" in text
    residues = kaselect.parse_selector_set(text)
    assert sorted(s.ToString() for s in residues) == sorted(listed)
    select = kaselect.KaResidueSelector(residues)
    chosen = tuple(a.GetIndex() for a in mol.GetAtoms() if select(a))
    assert chosen == kaselect.EvaluateSelection(mol, "byres (%s)" % site)
    # The same atoms, found by residue key independently.
    keys = {(s.chain, s.residue_number, s.insert_code) for s in residues}

    def residue_key(atom):
        res = kamol.GetAtomResidue(atom)
        return res.chainId[:1] or " ", res.residueNumber, res.insertCode

    assert chosen == tuple(a.GetIndex() for a in mol.GetAtoms() if residue_key(a) in keys)
    # Straight from the file through the text constructor as well.
    with open(path, newline="") as stream:
        from_file = kaselect.KaResidueSelector(stream.read())
    assert tuple(a.GetIndex() for a in mol.GetAtoms() if from_file(a)) == chosen


def test_binding_site_waters_have_a_blank_chain(tmp_path):
    mol = kamol.ReadMolecule(str(DATA / "1hpv.pdb"))
    waters = kaselect.str_selector_set(mol, "water and (ligand around 5)")
    assert waters and all(t.startswith("HOH:") and t.endswith(": : ") for t in waters)
    # Each is a valid selector on its own ...
    assert all(Selector.FromString(t).chain == " " for t in waters)
    # ... but in a list the trailing blank is trimmed with the piece.
    path = tmp_path / "waters.txt"
    path.write_text("\n".join(waters) + "\n")
    with pytest.raises(ValueError) as info:
        kaselect.parse_selector_set(path.read_text())
    assert str(info.value) == "Invalid selector format: %s (expected NAME:NUMBER:ICODE:CHAIN)" % waters[0][:-1]
