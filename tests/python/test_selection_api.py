"""The Python boundary of selections: KaSelection, SelectionError and the
exceptions that parse failures become."""
import subprocess
import sys

import pytest

import kaselect
from kaselect import _kaselect


def test_default_copy_and_queries():
    assert kaselect.KaSelection().ToCanonical() == "all" and kaselect.KaSelection().IsEmpty()
    original = kaselect.KaSelection.Parse("Byres (ligand AND not water)")
    copy = kaselect.KaSelection(original)
    del original
    assert copy.ToCanonical() == "byres (ligand and not water)"
    assert copy.ContainsPredicate(kaselect.PredicateType_BY_RES) and not copy.ContainsPredicate(99)


@pytest.mark.parametrize("call, error, message", [
    (lambda: kaselect.KaSelection.Parse("water and"), ValueError, "Failed to parse selection: water and"),
    (lambda: kaselect.KaSelection.Parse(" "), ValueError, "Failed to parse selection:  "),
    # Overflow is not a grammar fault: it keeps its standard-exception text.
    (lambda: kaselect.KaSelection.Parse("resi 99999999999"), RuntimeError, "stoi argument out of range"),
    (lambda: kaselect.KaSelection.Parse("ligand around 1" + "0" * 40), RuntimeError, "stof argument out of range"),
    (lambda: kaselect.KaSelection.Parse("name \udcff"), TypeError, None),
    (lambda: _kaselect.KaSelection_Parse(None), TypeError,
     "invalid null reference in method 'KaSelection_Parse', argument 1 of type 'std::string const &'"),
    (lambda: _kaselect.KaSelection_ContainsPredicate(kaselect.KaSelection(), "AND"), TypeError,
     "in method 'KaSelection_ContainsPredicate', argument 2 of type 'KaSel::PredicateType'"),
    (lambda: _kaselect.KaSelection_ContainsPredicate(kaselect.KaSelection(), 2**40), OverflowError, None),
    (lambda: _kaselect.KaSelection_ContainsPredicate(kaselect.KaSelection()), TypeError,
     "KaSelection_ContainsPredicate expected 2 arguments, got 1"),
    (lambda: kaselect.KaSelection("water"), TypeError,
     "Wrong number or type of arguments for overloaded function 'new_KaSelection'.\n"
     "  Possible C/C++ prototypes are:\n    KaSel::KaSelection::KaSelection()\n"
     "    KaSel::KaSelection::KaSelection(KaSel::KaSelection const &)\n"),
    (lambda: kaselect.SelectionError("bad", -1), TypeError, None),
])
def test_errors_at_the_boundary(call, error, message):
    with pytest.raises(error) as info:
        call()
    assert message is None or str(info.value) == message


def test_registry_capsule_shared():
    # Importing twice neither fails nor duplicates the module's registry.
    code = ("import kaselect, importlib; import swig_runtime_data5 as r; "
            "assert hasattr(r, 'type_pointer_capsule'); importlib.reload(kaselect.kaselect); print('ok')")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert (out.returncode, out.stdout.strip()) == (0, "ok"), out.stderr
