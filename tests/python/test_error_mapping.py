"""Native standard exceptions become different Python exceptions in the two
module families: RuntimeError with the native text in the selection modules,
the Python counterpart of each kind in the toolkit modules."""
import pytest

import kaselect
import lumora.kagrid as kagrid
import lumora.kamol as kamol
from kaselect import _fastpath

TOO_LARGE = "resi 99999999999"  # the parser's std::out_of_range


def molecule():
    mol = kamol.KaGraphMol()
    mol.NewAtom(6)
    return mol


def grid():
    g = kagrid.KaScalarGrid()
    g.SetDimensions(2, 3, 4)
    return g


@pytest.mark.parametrize("call, error, message", [
    # std::out_of_range in the selection modules
    (lambda: kaselect.CountSelection(molecule(), TOO_LARGE), RuntimeError, "stoi argument out of range"),
    (lambda: kaselect.KaSelect(molecule(), TOO_LARGE), RuntimeError, "stoi argument out of range"),
    (lambda: _fastpath.indices(molecule(), TOO_LARGE), RuntimeError, "stoi argument out of range"),
    # std::out_of_range and std::invalid_argument in the toolkit modules
    (lambda: grid().GetValue(2, 0, 0), IndexError, "grid point (2, 0, 0) lies outside the grid"),
    (lambda: grid().SetValue(0, 3, 0, 1.0), IndexError, "grid point (0, 3, 0) lies outside the grid"),
    (lambda: kagrid.ReadGrid("/etc/hostname", grid(), 6), ValueError, "unknown grid format code 6"),
], ids=["CountSelection", "KaSelect", "fastpath", "GetValue", "SetValue", "ReadGrid"])
def test_standard_exception_by_module(call, error, message):
    with pytest.raises(Exception) as info:
        call()
    # The exact type: an IndexError is no RuntimeError, nor the reverse.
    assert (type(info.value), str(info.value)) == (error, message)
