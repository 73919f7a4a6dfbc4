"""lumora.kagrid from Python: the grid record's values, refusals and files
through the binding. The formats themselves are tested in C++."""
import struct

import pytest
from hypothesis import given
from hypothesis import strategies as st

import lumora.kagrid as g

GRASP, ASCII = 1, 5


def grid_of(x, y, z, spacing=1.0, values=None):
    grid = g.KaScalarGrid()
    assert grid.SetDimensions(x, y, z) and grid.SetSpacing(spacing) and grid.SetMid(0, 0, 0)
    if values is not None:
        grid.SetValues(values)
    return grid


@given(st.lists(st.floats(width=32), min_size=24, max_size=24))
def test_values_round_trip_bit_for_bit(values):
    grid = grid_of(2, 3, 4, values=values)
    assert [struct.pack("f", v) for v in grid.GetValues()] == [struct.pack("f", v) for v in values]


@pytest.mark.parametrize("code", [ASCII, GRASP])
def test_round_trip_through_files(tmp_path, code):
    n = 65 if code == GRASP else 3
    grid = grid_of(n, n, n, spacing=0.5, values=[(i % 100) * 0.25 for i in range(n ** 3)])
    path = tmp_path / "grid"
    assert g.WriteGrid(path, grid, code) is True
    again = g.KaScalarGrid()
    assert g.ReadGrid(str(path), again, code) is True
    assert again.GetDimensions() == (n, n, n) and list(again.GetValues()) == list(grid.GetValues())


def test_failures_answer_false_and_missing_files_raise(tmp_path, capfd):
    path = tmp_path / "grid.txt"
    path.write_text("Title: t\nMid: 1 2\n")
    assert g.ReadGrid(path, g.KaScalarGrid(), ASCII) is False
    assert capfd.readouterr().err.endswith("Warning: Problem reading Ascii grid file\n")
    assert g.WriteGrid(tmp_path / "x.phi", grid_of(2, 3, 4), GRASP) is False and not (tmp_path / "x.phi").exists()
    with pytest.raises(FileNotFoundError):
        g.ReadGrid(tmp_path / "absent.txt", g.KaScalarGrid(), ASCII)
    with pytest.raises(IsADirectoryError):
        g.WriteGrid(tmp_path, grid_of(2, 3, 4), ASCII)
