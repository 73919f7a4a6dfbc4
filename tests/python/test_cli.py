"""The command-line contract: output shapes, exit statuses and messages."""
import gzip
import json
import os
import subprocess
import sys

import pytest

import kaselect
from lumora import kamol

DATA = os.path.join(os.path.dirname(__file__), "..", "data")
COMPLEX = os.path.join(DATA, "1hpv.pdb")


def run(*args):
    return subprocess.run([sys.executable, "-m", "kaselect", *args],
                          capture_output=True, text=True, timeout=120)


@pytest.fixture(scope="module")
def mol():
    return kamol.ReadMolecule(COMPLEX)


def test_table_rows_and_summary(mol):
    result = run(COMPLEX, "resn HOH and resi 301-305")
    assert result.returncode == 0, result.stderr
    lines = result.stdout.splitlines()
    expected = kaselect.EvaluateSelection(mol, "resn HOH and resi 301-305")
    assert len(lines) == len(expected) + 2          # header, rows, summary
    assert lines[0].split()[:3] == ["index", "name", "resn"]
    assert [int(line.split()[0]) for line in lines[1:-1]] == list(expected)
    assert lines[-1] == f"{len(expected)} of {mol.NumAtoms()} atoms selected"


@pytest.mark.parametrize("selection", ["water", "byres (ligand around 5)", "none"])
def test_count_and_indices_agree_with_the_library(mol, selection):
    expected = kaselect.EvaluateSelection(mol, selection)
    count = run(COMPLEX, selection, "--count")
    assert count.returncode == 0 and count.stdout == f"{len(expected)}\n"
    indices = run(COMPLEX, selection, "--indices")
    assert indices.returncode == 0
    assert [int(v) for v in indices.stdout.split()] == list(expected)


def residue_order(text):
    key = kaselect.Selector.FromString(text)
    return key.chain, key.residue_number, key.insert_code


def test_residues_by_chain_then_number(mol):
    selection = "protein and byres (ligand around 5)"
    lines = run(COMPLEX, selection, "--residues").stdout.splitlines()
    assert sorted(lines) == list(kaselect.str_selector_set(mol, selection))
    assert [residue_order(t) for t in lines] == sorted(residue_order(t) for t in lines)
    # Numbers compare as numbers: residue 8 of chain B comes before its 28.
    assert lines.index("ARG:8: :B") < lines.index("ALA:28: :B") < lines.index("ILE:84: :B")
    document = json.loads(run(COMPLEX, selection, "--json").stdout)
    assert document["residues"] == lines


@pytest.fixture(scope="module")
def two_copies(tmp_path_factory):
    """The complex written twice into one file: every residue key repeats."""
    with open(COMPLEX) as source:
        atoms = [line for line in source if line.startswith(("ATOM", "HETATM"))]
    path = tmp_path_factory.mktemp("copies") / "two_copies.pdb"
    path.write_text("".join(atoms * 2) + "END\n")
    return str(path)


@pytest.fixture(scope="module")
def joined_copies(tmp_path_factory):
    """Two copies of the first residues of chain A, one after the other under
    TER: the reader joins the second copy's atoms to the first copy's residues."""
    with open(COMPLEX) as source:
        atoms = [line for line in source if line.startswith("ATOM") and line[21] == "A" and int(line[22:26]) <= 3]
    path = tmp_path_factory.mktemp("copies") / "joined_copies.pdb"
    path.write_text("".join(atoms) + "TER\n" + "".join(atoms) + "END\n")
    return str(path)


@pytest.mark.parametrize("structure, selection, warned", [
    ("two_copies", "byres (ligand around 3)", True),
    ("two_copies", "bychain ligand", True),
    ("two_copies", "ligand around 3", False),
    ("joined_copies", "byres index 0", True),
    ("complex", "byres (ligand around 3)", False),
])
def test_warns_once_when_grouping_meets_repeated_residues(two_copies, joined_copies, structure, selection, warned):
    path = {"two_copies": two_copies, "joined_copies": joined_copies}.get(structure, COMPLEX)
    result = run(path, selection, "--count")
    assert result.returncode == 0
    assert result.stderr.count("warning:") == (1 if warned else 0), result.stderr
    if warned:
        assert "PRO:1: :A" in result.stderr and "index range" in result.stderr
    # The rule itself stands: the copies' matching residues are selected too.
    assert int(result.stdout) == kaselect.CountSelection(kamol.ReadMolecule(path), selection)


def test_json_document(mol):
    result = run(COMPLEX, "Ligand and NAME C1", "--json")
    assert result.returncode == 0
    document = json.loads(result.stdout)
    assert document["selection"] == "(ligand and name C1)"
    assert document["count"] == len(document["atoms"]) == kaselect.CountSelection(mol, "ligand and name C1")
    atom = document["atoms"][0]
    assert set(atom) == {"index", "name", "resn", "resi", "icode", "chain", "element", "x", "y", "z"}
    assert atom["name"] == "C1" and atom["element"] == "C"
    x, y, z = mol.GetCoords(mol.GetAtom(atom["index"]))
    assert (atom["x"], atom["y"], atom["z"]) == pytest.approx((x, y, z), abs=1e-3)


@pytest.mark.parametrize("chunk", [7, 65536])
def test_rows_carry_every_field_across_chunks(monkeypatch, capsys, mol, chunk):
    from kaselect import cli
    monkeypatch.setattr(cli, "_CHUNK", chunk)
    selection = "byres (ligand around 4)"
    printed = {}
    for shape in ("--json", "--indices", None):
        assert cli.main([COMPLEX, selection] + ([shape] if shape else [])) == 0
        printed[shape] = capsys.readouterr().out
    atoms = json.loads(printed["--json"])["atoms"]
    assert [a["index"] for a in atoms] == list(kaselect.EvaluateSelection(mol, selection))
    assert printed["--indices"] == "".join(f"{a['index']}\n" for a in atoms)
    table = printed[None].splitlines()[1:-1]
    assert len(table) == len(atoms)
    for atom, line in zip(atoms, table):
        native = mol.GetAtom(atom["index"])
        residue = kamol.GetAtomResidue(native)
        assert (atom["name"], atom["resn"], atom["resi"], atom["icode"], atom["chain"]) == (
            native.GetName(), residue.residueName, residue.residueNumber, residue.insertCode, residue.chainId)
        assert [atom[k] for k in "xyz"] == [round(c, 3) for c in mol.GetCoords(native)]
        assert line == cli._ROW.format(**{**atom, **{k: f"{atom[k]:.3f}" for k in "xyz"}})[:-1]


def test_rows_format_odd_texts_and_coordinates_as_python_does(tmp_path, capsys):
    """Rows are formatted natively; Python's own formatting of the same values
    (str.format padding by characters, json.dumps escapes, round to 3
    decimals) is the reference."""
    from kaselect import cli
    mol = kamol.KaGraphMol()
    texts = ["CA", "é", "Ω1", 'a"b', "\\x", "tab\t", "\x01", "😀", "long_name", "O5'"]
    values = [0.0, -0.0004, 0.0005, 2.5e-4, 123.4565, -999.9995, 12345678.9, 1.0]
    for k, text in enumerate(texts):
        for m, value in enumerate(values):
            atom = mol.NewAtom(k + m)
            atom.SetName(text)
            mol.SetCoords(atom, (value, -value, value * 3))
            kamol.SetAtomResidue(atom, kamol.KaResidue(residueName=texts[-k], chainId=texts[m % len(texts)],
                                                       residueNumber=k * 1000 - m, insertCode="AZ "[m % 3]))
    path = str(tmp_path / "odd.cif")
    kamol.WriteMolecule(path, mol)
    assert cli.main([path, "all", "--json"]) == 0
    printed = capsys.readouterr().out
    read = kamol.ReadMolecule(path)
    rows = []
    for index in range(read.NumAtoms()):
        atom = read.GetAtom(index)
        residue = kamol.GetAtomResidue(atom)
        xyz = [round(c, 3) for c in read.GetCoords(atom)]
        rows.append(dict(index=index, name=atom.GetName(), resn=residue.residueName, resi=residue.residueNumber,
                         icode=residue.insertCode, chain=residue.chainId,
                         element=kamol.GetElementSymbol(atom.GetAtomicNum()), x=xyz[0], y=xyz[1], z=xyz[2]))
    assert json.loads(printed)["atoms"] == rows
    assert printed.endswith(json.dumps(rows)[1:-1] + "]}\n")
    assert cli.main([path, "all"]) == 0
    table = capsys.readouterr().out.splitlines()[1:-1]
    assert table == [cli._ROW.format(**{**r, **{k: f"{r[k]:.3f}" for k in "xyz"}})[:-1] for r in rows]


@pytest.mark.parametrize("name", ["site.pdb", "site.cif.gz"])
def test_output_file_round_trip(tmp_path, mol, name):
    out = tmp_path / name
    result = run(COMPLEX, "byres (ligand around 4.5)", "--count", "-o", str(out))
    assert result.returncode == 0, result.stderr
    written = kamol.ReadMolecule(str(out))
    assert written.NumAtoms() == int(result.stdout)
    assert kaselect.str_selector_set(written, "") == kaselect.str_selector_set(mol, "byres (ligand around 4.5)")


def test_canonical():
    result = run("--canonical", "resn ALA and chain A and name CA")
    assert (result.returncode, result.stdout) == (0, "(chain A and name CA and resn ALA)\n")


@pytest.mark.parametrize("args, status, message", [
    ((COMPLEX, "water and"), 2, "Failed to parse selection: water and"),
    (("--canonical", "resi<10"), 2, "Failed to parse selection: resi<10"),
    ((COMPLEX, "resi 99999999999"), 2, "stoi argument out of range"),
    ((os.path.join(DATA, "missing.pdb"), "water"), 1, "missing.pdb"),
])
def test_failures_exit_with_status_and_message(args, status, message):
    result = run(*args)
    assert result.returncode == status
    assert message in result.stderr
    assert "Traceback" not in result.stderr
    assert result.stdout == ""


def test_file_errors_name_the_path_once(tmp_path):
    """The readers' and writers' messages already name the file; the tool
    names it once, and never by zlib's name for the stream ("<fd:5>")."""
    cut = tmp_path / "cut.pdb.gz"
    cut.write_bytes(gzip.compress(open(COMPLEX, "rb").read())[:5000])
    garbled = tmp_path / "bad.sdf"
    garbled.write_text("not a molecule\n\n\nxx\n")
    cases = [([str(tmp_path / "missing.pdb"), "all"], "read", str(tmp_path / "missing.pdb")),
             ([str(garbled), "all"], "read", str(garbled)),
             ([str(cut), "all"], "read", str(cut)),
             ([COMPLEX, "all", "-o", str(tmp_path / "no" / "out.pdb")], "write", str(tmp_path / "no" / "out.pdb")),
             ([COMPLEX, "all", "-o", str(tmp_path / "out.sdf")], "write", str(tmp_path / "out.sdf"))]
    for args, action, path in cases:
        result = run(*args, "--count")
        assert result.returncode == 1, result.stderr
        lines = result.stderr.splitlines()
        assert len(lines) == 1 and lines[0].startswith(f"kaselect: cannot {action} {path}: "), result.stderr
        assert result.stderr.count(path) == 1 and "<fd:" not in result.stderr, result.stderr


@pytest.fixture(scope="module")
def unnamed(tmp_path_factory):
    """PDB, mmCIF and SDF content under names that say nothing of the format."""
    root = tmp_path_factory.mktemp("unnamed")
    (root / "structure.txt").write_bytes(open(COMPLEX, "rb").read())
    kamol.WriteMolecule(str(root / "model.cif"), kamol.ReadMolecule(COMPLEX))
    (root / "model").write_bytes((root / "model.cif").read_bytes())
    (root / "ligands.dat.gz").write_bytes(gzip.compress(open(os.path.join(DATA, "ligs3d.sdf"), "rb").read()))
    return root


@pytest.mark.parametrize("name, formats, source", [
    ("structure.txt", ["pdb", ".pdb", "PDB", "ent", "3"], COMPLEX),
    ("model", ["mmcif", "cif", ".CIF", "26", "24"], COMPLEX),
    ("ligands.dat.gz", ["sdf", "sd", ".sdf", "8", "mol", "2"], os.path.join(DATA, "ligs3d.sdf")),
])
def test_format_option_reads_files_whose_name_says_nothing(unnamed, name, formats, source):
    expected = f"{kaselect.CountSelection(kamol.ReadMolecule(source), 'all')}\n"
    assert run(str(unnamed / name), "all", "--count").returncode == 1   # the name alone does not tell
    for fmt in formats:
        result = run(str(unnamed / name), "all", "--count", "--format", fmt)
        assert (result.returncode, result.stdout, result.stderr) == (0, expected, ""), fmt


@pytest.mark.parametrize("value", ["xyz", "smi", "mmcif2", "pdb.gz", "", ".", "0", "1", "27", "99", "-3"])
def test_bad_format_is_a_usage_error(unnamed, value):
    result = run(str(unnamed / "structure.txt"), "all", f"--format={value}")
    assert (result.returncode, result.stdout) == (2, "")
    message = result.stderr.splitlines()[-1]
    assert message.startswith("kaselect: error: argument --format: ") and repr(value) in message, result.stderr
    assert "pdb, mmcif, cif, sdf, mol, mol2" in message and "Traceback" not in result.stderr


def test_selection_is_parsed_once(monkeypatch, capsys):
    """The tool evaluates the KaSelection it parsed: the text is not handed to
    the engine to be parsed again."""
    from kaselect import cli
    parsed, evaluated = [], []
    parse, select = kaselect.KaSelection.Parse, kaselect._fastpath.parsed_indices

    def counting_parse(text):
        parsed.append(parse(text))
        return parsed[-1]

    def recording_select(mol, selection):
        evaluated.append(selection)
        return select(mol, selection)

    monkeypatch.setattr(kaselect.KaSelection, "Parse", staticmethod(counting_parse))
    monkeypatch.setattr(kaselect._fastpath, "parsed_indices", recording_select)
    monkeypatch.setattr(kaselect._fastpath, "indices", None)   # text evaluation is not used
    assert cli.main([COMPLEX, "byres (ligand around 4)", "--json"]) == 0
    assert len(parsed) == 1 and evaluated == parsed
    assert json.loads(capsys.readouterr().out)["count"] == kaselect.CountSelection(
        kamol.ReadMolecule(COMPLEX), "byres (ligand around 4)")


def test_garbled_structure_is_status_1(tmp_path):
    bad = tmp_path / "bad.sdf"
    bad.write_text("not a molecule\n\n\nxx\n")
    result = run(str(bad), "all")
    assert result.returncode == 1
    assert "bad.sdf" in result.stderr and "Traceback" not in result.stderr


def test_nothing_selected_is_success():
    result = run(COMPLEX, "none")
    assert result.returncode == 0
    assert result.stdout.splitlines()[-1].startswith("0 of ")
