"""The Python boundary of selections: constants, KaSelection, SelectionError."""
import subprocess
import sys

import pytest

import kaselect
from kaselect import _kaselect


def test_version_constants():
    assert (kaselect.KASELECT_VERSION_MAJOR, kaselect.KASELECT_VERSION_MINOR,
            kaselect.KASELECT_VERSION_PATCH) == (1, 3, 2)


KINDS = ["AND", "OR", "NOT", "XOR", "NAME", "RESN", "RESI", "CHAIN", "ELEM", "INDEX", "ID",
         "ALT", "B_FACTOR", "FRAGMENT", "SECONDARY_STRUCTURE", "PROTEIN", "LIGAND", "WATER",
         "SOLVENT", "ORGANIC", "BACKBONE", "METAL", "CAPPING", "HEAVY", "HYDROGEN",
         "POLAR_HYDROGEN", "NONPOLAR_HYDROGEN", "BY_RES", "BY_CHAIN", "AROUND", "EXPAND",
         "BEYOND", "HELIX", "SHEET", "TURN", "LOOP", "ALL_MATCH", "NO_MATCH"]


def test_predicate_type_constants_are_consecutive():
    values = [getattr(_kaselect, "PredicateType_" + kind) for kind in KINDS]
    assert values == list(range(38))
    assert all(type(v) is int for v in values)


@pytest.mark.parametrize("text, canonical", [
    ("Water", "water"),
    ("resn ALA and chain A and name CA", "(chain A and name CA and resn ALA)"),
    ("//A/10/CA", "(chain A and name CA and resi 10)"),
    ("ligand around 5.0", "ligand around 5"),
    ("", "all"),
])
def test_parse_and_canonical(text, canonical):
    assert kaselect.KaSelection.Parse(text).ToCanonical() == canonical


def test_default_and_copy():
    default = kaselect.KaSelection()
    assert default.ToCanonical() == "all" and default.IsEmpty()
    original = kaselect.KaSelection.Parse("byres (ligand and not water)")
    copy = kaselect.KaSelection(original)
    del original
    assert copy.ToCanonical() == "byres (ligand and not water)"
    assert copy.ContainsPredicate(kaselect.PredicateType_BY_RES)
    assert not copy.ContainsPredicate(kaselect.PredicateType_OR)
    # Values outside the enumeration match nothing.
    assert not copy.ContainsPredicate(99)


@pytest.mark.parametrize("text", ["water and", " ", "resi<10", "name CA + CB", "proteins"])
def test_parse_errors_are_value_errors(text):
    with pytest.raises(ValueError) as info:
        kaselect.KaSelection.Parse(text)
    assert str(info.value) == "Failed to parse selection: " + text


@pytest.mark.parametrize("text, message", [
    ("resi 99999999999", "stoi argument out of range"),
    ("b " + "9" * 50, "stof argument out of range"),
    ("ligand around 1" + "0" * 40, "stof argument out of range"),
])
def test_number_overflow_is_runtime_error(text, message):
    # Overflow is not a grammar fault: it keeps its standard-exception text.
    with pytest.raises(RuntimeError) as info:
        kaselect.KaSelection.Parse(text)
    assert str(info.value) == message


def test_argument_messages():
    with pytest.raises(TypeError) as info:
        _kaselect.KaSelection_Parse(None)
    assert str(info.value) == ("invalid null reference in method 'KaSelection_Parse', "
                               "argument 1 of type 'std::string const &'")
    with pytest.raises(TypeError) as info:
        _kaselect.KaSelection_Parse(5)
    assert str(info.value) == ("in method 'KaSelection_Parse', argument 1 of type "
                               "'std::string const &'")
    sel = kaselect.KaSelection()
    with pytest.raises(TypeError) as info:
        _kaselect.KaSelection_ContainsPredicate(sel, "AND")
    assert str(info.value) == ("in method 'KaSelection_ContainsPredicate', argument 2 of type "
                               "'KaSel::PredicateType'")
    with pytest.raises(OverflowError):
        _kaselect.KaSelection_ContainsPredicate(sel, 2**40)
    with pytest.raises(TypeError) as info:
        _kaselect.KaSelection_ContainsPredicate(sel)
    assert str(info.value) == "KaSelection_ContainsPredicate expected 2 arguments, got 1"


def test_overload_message():
    with pytest.raises(TypeError) as info:
        kaselect.KaSelection("water")
    assert str(info.value) == (
        "Wrong number or type of arguments for overloaded function 'new_KaSelection'.\n"
        "  Possible C/C++ prototypes are:\n"
        "    KaSel::KaSelection::KaSelection()\n"
        "    KaSel::KaSelection::KaSelection(KaSel::KaSelection const &)\n")


def test_surrogates_refused():
    with pytest.raises(TypeError):
        kaselect.KaSelection.Parse("name \udcff")


def test_selection_error_object():
    error = kaselect.SelectionError("bad")
    assert error.Position() == 0
    assert kaselect.SelectionError("bad", 7).Position() == 7
    # A negative position fits no overload.
    with pytest.raises(TypeError, match="overloaded function 'new_SelectionError'"):
        kaselect.SelectionError("bad", -1)


def test_registry_capsule_shared():
    # Importing twice neither fails nor duplicates the module's registry.
    code = ("import kaselect, importlib, sys; import swig_runtime_data5 as r; "
            "assert hasattr(r, 'type_pointer_capsule'); "
            "importlib.reload(kaselect.kaselect); print('ok')")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == "ok"


def test_wrapped_pointer_ownership():
    sel = kaselect.KaSelection.Parse("water")
    assert sel.this.own() is True
    sel.this.disown()
    assert sel.this.own() is False
    sel.this.acquire()
    assert repr(sel.this).startswith("<Swig Object of type 'KaSel::KaSelection *' at ")
