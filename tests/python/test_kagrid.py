"""lumora.kagrid: the scalar grid record and the grid files."""
import math
import os
import struct
import tempfile

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import lumora.kagrid as g
from isolated import assert_raised, outcomes

GRASP, GRD, CCP4, XPLOR, ASCII = 1, 2, 3, 4, 5


def f32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def grid_of(x, y, z, spacing=1.0, mid=(0.0, 0.0, 0.0), values=None, title=""):
    grid = g.KaScalarGrid()
    assert grid.SetDimensions(x, y, z) and grid.SetSpacing(spacing) and grid.SetMid(*mid)
    grid.SetTitle(title)
    if values is not None:
        grid.SetValues(values)
    return grid


def geometry(grid):
    return (grid.GetDimensions(), grid.GetSpacing(), grid.HasSpacing(),
            (grid.GetXMid(), grid.GetYMid(), grid.GetZMid()),
            (grid.GetXMin(), grid.GetYMin(), grid.GetZMin()),
            (grid.GetXMax(), grid.GetYMax(), grid.GetZMax()), grid.GetSize())


# --- the grid record --------------------------------------------------------

def test_new_grid_is_empty():
    grid = g.KaScalarGrid()
    assert grid.GetDimensions() == (0, 0, 0) and grid.GetSize() == 0
    assert grid.GetMid() is None and not grid.HasSpacing() and not grid.HasTitle()
    assert len(grid.GetValues()) == 0


def test_dimensions_spacing_and_bounds():
    grid = g.KaScalarGrid()
    assert grid.SetDimensions(2, 3, 4) and grid.GetSize() == 24
    assert list(grid.GetValues()) == [0.0] * 24
    assert grid.SetSpacing(0.5) and grid.SetMid(0, 0, 0)
    assert grid.GetInverseSpacing() == 2.0 and grid.GetMid() == (0.0, 0.0, 0.0)
    assert (grid.GetXMin(), grid.GetXMax()) == (-0.5, 0.5)
    assert (grid.GetYMin(), grid.GetYMax(), grid.GetZMin(), grid.GetZMax()) == (-0.75, 0.75, -1, 1)
    assert grid.SetXMid(10) and (grid.GetXMin(), grid.GetXMax()) == (9.5, 10.5)
    grid.SetTitle("density")
    assert grid.HasTitle() and grid.GetTitle() == "density"


def test_point_order_is_x_fastest():
    grid = grid_of(2, 3, 4)
    for (i, j, k), value in {(1, 0, 0): 1.0, (0, 1, 0): 2.0, (0, 0, 1): 3.0, (1, 2, 3): 4.0}.items():
        grid.SetValue(i, j, k, value)
        assert grid.GetValue(i, j, k) == value
        assert grid.GetValues()[i + 2 * (j + 3 * k)] == value
    assert sorted(grid.GetValues())[-4:] == [1.0, 2.0, 3.0, 4.0]


@pytest.mark.parametrize("change, keeps", [
    (lambda grid: grid.SetDimensions(2, 3, 4), True),
    (lambda grid: grid.SetXDimension(2), True),
    (lambda grid: grid.SetDimensions(4, 3, 2), False),
    (lambda grid: grid.SetZDimension(5), False),
])
def test_resizing_discards_values(change, keeps):
    grid = grid_of(2, 3, 4, values=range(1, 25))
    assert change(grid) is True
    expected = [float(v) for v in range(1, 25)] if keeps else [0.0] * grid.GetSize()
    assert list(grid.GetValues()) == expected


@pytest.mark.parametrize("refused, warning", [
    (lambda grid: grid.SetSpacing(0), None),
    (lambda grid: grid.SetSpacing(-1), None),
    (lambda grid: grid.SetSpacing(math.nan), "Warning: SetSpacing unable to handle NaN: nan\n"),
    (lambda grid: grid.SetDimensions(0, 3, 4), None),
    (lambda grid: grid.SetYDimension(0), None),
    (lambda grid: grid.SetDimensions(65536, 65536, 2),
     "Warning: Grid dimensions too large for memory size: 65536 x 65536\n"),
    (lambda grid: grid.SetDimensions(65536, 32768, 4),
     "Warning: Grid dimensions too large for memory size: 2147483648 x 4\n"),
    (lambda grid: grid.SetXDimension(2 ** 31), "Warning: Grid dimensions too large for memory size: "),
])
def test_refused_changes_leave_the_grid_as_it_was(capfd, refused, warning):
    grid = grid_of(2, 3, 4, spacing=0.5, values=range(24))
    before = geometry(grid)
    capfd.readouterr()
    assert refused(grid) is False
    assert geometry(grid) == before and list(grid.GetValues()) == list(map(float, range(24)))
    err = capfd.readouterr().err
    assert err.startswith(warning) if warning else err == ""


def test_nan_mid_sets_the_other_axes(capfd):
    grid = g.KaScalarGrid()
    assert grid.SetMid(math.nan, 1, 2) is False
    assert capfd.readouterr().err == "Warning: SetXMid unable to handle NaN: nan\n"
    assert (grid.GetYMid(), grid.GetZMid()) == (1, 2) and grid.GetMid() is None
    assert grid.SetXMid(-3) and grid.GetMid() == (-3, 1, 2)


@given(st.lists(st.floats(width=32), min_size=24, max_size=24))
def test_values_round_trip(values):
    grid = grid_of(2, 3, 4)
    grid.SetValues(values)
    assert [struct.pack("f", v) for v in grid.GetValues()] == [struct.pack("f", v) for v in values]


# --- bad arguments never crash ----------------------------------------------

BAD_SETUP = """
import lumora.kagrid as g
grid = g.KaScalarGrid()
grid.SetDimensions(2, 3, 4)
empty = g.KaScalarGrid()
"""

BAD_CASES = [
    ("GetValue(x == dim)", "grid.GetValue(2, 0, 0)", "IndexError"),
    ("GetValue(z == dim)", "grid.GetValue(0, 0, 4)", "IndexError"),
    ("GetValue(-1)", "grid.GetValue(0, -1, 0)", "IndexError"),
    ("GetValue(2**64)", "grid.GetValue(2**64, 0, 0)", "IndexError"),
    ("GetValue(empty)", "empty.GetValue(0, 0, 0)", "IndexError"),
    ("SetValue(outside)", "grid.SetValue(0, 3, 0, 1.0)", "IndexError"),
    ("SetValue(str)", "grid.SetValue(0, 0, 0, 'x')", "TypeError"),
    ("SetValue(1e300)", "grid.SetValue(0, 0, 0, 1e300)", "ValueError"),
    ("GetValue(float index)", "grid.GetValue(0.0, 0, 0)", "TypeError"),
    ("SetValues(short)", "grid.SetValues([1.0] * 23)", "ValueError"),
    ("SetValues(long)", "grid.SetValues(range(25))", "ValueError"),
    ("SetValues(None)", "grid.SetValues(None)", "TypeError"),
    ("SetValues(str items)", "grid.SetValues(['1'] * 24)", "TypeError"),
    ("SetValues(empty grid)", "empty.SetValues([1.0])", "ValueError"),
    ("SetDimensions(-1)", "grid.SetDimensions(-1, 1, 1)", "ValueError"),
    ("SetDimensions(2**32)", "grid.SetDimensions(2**32, 1, 1)", "ValueError"),
    ("SetDimensions(None)", "grid.SetDimensions(None, 1, 1)", "TypeError"),
    ("SetSpacing(str)", "grid.SetSpacing('1')", "TypeError"),
    ("SetMid(None)", "grid.SetMid(None, 0, 0)", "TypeError"),
    ("SetTitle(None)", "grid.SetTitle(None)", "TypeError"),
    ("ReadGrid(None path)", "g.ReadGrid(None, grid, 5)", "TypeError"),
    ("ReadGrid(None grid)", "g.ReadGrid('/etc/hostname', None, 5)", "TypeError"),
    ("ReadGrid(unknown code)", "g.ReadGrid('/etc/hostname', grid, 6)", "ValueError"),
    ("ReadGrid(code 0)", "g.ReadGrid('/etc/hostname', grid, 0)", "ValueError"),
    ("ReadGrid(code -1)", "g.ReadGrid('/etc/hostname', grid, -1)", "ValueError"),
    ("WriteGrid(None grid)", "g.WriteGrid('/tmp/unused.grd', None, 5)", "TypeError"),
    ("GridFormatName(-1)", "g.GridFormatName(-1)", "ValueError"),
]


@pytest.fixture(scope="module")
def bad_outcomes():
    return outcomes(BAD_SETUP, [(name, expr) for name, expr, _ in BAD_CASES])


@pytest.mark.parametrize("name, expected", [(n, e) for n, _, e in BAD_CASES],
                         ids=[n for n, _, _ in BAD_CASES])
def test_bad_arguments_raise(bad_outcomes, name, expected):
    assert_raised(bad_outcomes, name, expected)


# --- grid files -------------------------------------------------------------

@pytest.mark.parametrize("code, name", [
    (0, "UNDEFINED"), (1, "GRASP Grid"), (2, "Lumora Grid"), (3, "CCP4 Map"), (4, "XPLOR Map"),
    (5, "Ascii Grid"), (6, "UNDEFINED"), (2 ** 32 - 1, "UNDEFINED"),
])
def test_grid_format_names(code, name):
    assert g.GridFormatName(code) == name


@settings(max_examples=25, deadline=None)
@given(st.lists(st.floats(f32(-1e30), f32(1e30), width=32), min_size=24, max_size=24),
       st.floats(f32(0.01), 100, width=32), st.tuples(*[st.floats(-1000, 1000, width=32)] * 3))
def test_ascii_round_trip(values, spacing, mid):
    grid = grid_of(2, 3, 4, spacing=spacing, mid=mid, values=values, title="  electron \t density  ")
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "grid.txt")
        assert g.WriteGrid(path, grid, ASCII) is True
        again = g.KaScalarGrid()
        assert g.ReadGrid(path, again, ASCII) is True
    assert again.GetTitle() == "electron density"
    assert again.GetDimensions() == (2, 3, 4)
    assert list(again.GetValues()) == pytest.approx(list(grid.GetValues()), rel=1e-6, abs=1e-30)
    # Written with six decimals, read back into 32-bit floats.
    assert again.GetSpacing() == pytest.approx(spacing, rel=1e-6, abs=1e-6)
    assert again.GetMid() == pytest.approx(mid, rel=1e-6, abs=1e-6)


ASCII_HEADER = ["Title: t", "Mid: 0 0 0", "Dim: 2 3 4", "Spacing: 1", "Values:"]


def ascii_file(tmp_path, lines):
    path = tmp_path / "grid.txt"
    path.write_text("".join(line + "\n" for line in lines))
    return path


@pytest.mark.parametrize("line, faulty, warning", [
    (0, "Titel: t", "Title:"), (0, "", "Title:"), (1, "Mid: 1 2", "Mid:"),
    (1, "Mid: 1 2 3 4", "Mid:"), (2, "Dim: 2 3", "Dim:"), (2, "Dims: 2 3 4", "Dim:"),
    (3, "Spacing: 1 2", "Spacing:"), (4, "Values: 24", "Values:"),
])
def test_ascii_header_faults(tmp_path, capfd, line, faulty, warning):
    lines = ASCII_HEADER + ["1.0"] * 24
    lines[line] = faulty
    assert g.ReadGrid(ascii_file(tmp_path, lines), g.KaScalarGrid(), ASCII) is False
    assert capfd.readouterr().err == ("Warning: Problem reading %s line in Ascii grid\n"
                                      "Warning: Problem reading Ascii grid file\n" % warning)


def test_ascii_early_end_of_file_keeps_what_was_read(tmp_path, capfd):
    grid = g.KaScalarGrid()
    path = ascii_file(tmp_path, ASCII_HEADER + ["2.5"] * 23)
    assert g.ReadGrid(path, grid, ASCII) is False
    assert capfd.readouterr().err == ("Warning: Reached early end-of-file.\n"
                                      "Warning: Expected grid size: 24, found: 23\n"
                                      "Warning: Problem reading Ascii grid file\n")
    assert list(grid.GetValues()) == [2.5] * 23 + [0.0]


def test_ascii_value_lines_that_are_not_numbers_are_skipped(tmp_path, capfd):
    grid = g.KaScalarGrid()
    grid.SetTitle("kept")
    values = ["1.5 abc", "1.5   ", "nan", "-inf", "x"] + ["1"] * 19
    assert g.ReadGrid(ascii_file(tmp_path, ["Title:"] + ASCII_HEADER[1:] + values), grid, ASCII)
    assert capfd.readouterr().err == (
        "Warning: Could not read floating point value from the text '1.5 abc'\n"
        "Warning: Could not read floating point value from the text 'x'\n")
    read = list(grid.GetValues())
    assert read[0] == 0.0 and read[1] == 1.5 and math.isnan(read[2]) and read[3] == -math.inf
    assert read[4] == 0.0 and read[5:] == [1.0] * 19
    assert grid.GetTitle() == "kept"


def phimap_grid():
    n = 65
    return grid_of(n, n, n, spacing=0.7, mid=(1.5, -2.25, 30.0), title="potential",
                   values=[(i % 1000) * 0.25 - 100 for i in range(n ** 3)])


def test_grasp_round_trip_and_layout(tmp_path):
    grid = phimap_grid()
    path = tmp_path / "grid.phi"
    assert g.WriteGrid(path, grid, GRASP) is True
    data = path.read_bytes()
    assert data[:28] == b"\x00\x00\x00\x14now starting phimap \x00\x00\x00\x14"
    assert data[28:32] == struct.pack(">i", 70) and data[106:110] == struct.pack(">i", 1098500)
    assert len(data) == 28 + 78 + 1098508 + 24 + 24
    again = g.KaScalarGrid()
    assert g.ReadGrid(path, again, GRASP) is True
    assert again.GetDimensions() == (65, 65, 65)
    assert again.GetValues() == grid.GetValues()
    assert again.GetMid() == (1.5, -2.25, 30.0)
    assert again.GetSpacing() == f32(1 / f32(1 / f32(0.7)))


def test_grasp_writer_refuses_other_dimensions(tmp_path, capfd):
    path = tmp_path / "grid.phi"
    assert g.WriteGrid(path, grid_of(2, 3, 4), GRASP) is False
    assert "Warning: Grasp grid files hold 65 x 65 x 65 points" in capfd.readouterr().err
    assert not path.exists()


@pytest.mark.parametrize("keep", [0, 20, 200, 1098000, 1098640])
def test_grasp_reader_fails_on_short_files(tmp_path, capfd, keep):
    full = tmp_path / "full.phi"
    g.WriteGrid(full, phimap_grid(), GRASP)
    short = tmp_path / "short.phi"
    short.write_bytes(full.read_bytes()[:keep])
    assert g.ReadGrid(short, g.KaScalarGrid(), GRASP) is False
    assert capfd.readouterr().err.endswith("Warning: Problem reading Grasp grid file\n")


@pytest.mark.parametrize("code, label", [(GRD, "GRD"), (CCP4, "CCP4"), (XPLOR, "XPLOR")])
def test_formats_without_reader_fail(tmp_path, capfd, code, label):
    path = tmp_path / "grid.txt"
    g.WriteGrid(path, grid_of(2, 3, 4), ASCII)
    assert g.ReadGrid(path, g.KaScalarGrid(), code) is False
    assert capfd.readouterr().err == "Warning: Problem reading %s grid file\n" % label
    assert g.WriteGrid(tmp_path / "out", grid_of(2, 3, 4), code) is False
    assert not (tmp_path / "out").exists()


def test_files_that_cannot_be_opened(tmp_path):
    with pytest.raises(FileNotFoundError):
        g.ReadGrid(tmp_path / "absent.txt", g.KaScalarGrid(), ASCII)
    with pytest.raises(IsADirectoryError):
        g.ReadGrid(tmp_path, g.KaScalarGrid(), GRASP)
    with pytest.raises(FileNotFoundError):
        g.WriteGrid(tmp_path / "no" / "grid.txt", grid_of(2, 3, 4), ASCII)
    with pytest.raises(IsADirectoryError):
        g.WriteGrid(tmp_path, grid_of(2, 3, 4), ASCII)
