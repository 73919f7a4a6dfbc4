"""The installed packages are typed: the README's examples pass mypy --strict,
and ill-typed uses of the SWIG-made modules and of the NumPy path are caught."""
import doctest
import os
import re
import subprocess
import sys

import pytest

pytest.importorskip("mypy")

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
README = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read()

# MDAnalysis and its test data package ship no types; the README imports them.
CONFIG = """\
[mypy]
strict = True

[mypy-MDAnalysis.*]
ignore_missing_imports = True

[mypy-MDAnalysisTests.*]
ignore_missing_imports = True
"""


def readme_module():
    """The README's examples as one module, and for each of its lines the
    example it comes from, plus the examples that expect a TypeError.

    The examples are one session: later ones use the molecules, imports and
    arrays of earlier ones, so they are joined in document order rather than
    checked block by block. The Python in the README is interactive sessions
    (```pycon, whose sources doctest extracts); ```python blocks are taken
    whole. Examples that show the TypeError of a wrong argument are wrong on
    purpose, so mypy must reject exactly those."""
    lines, owner, wrong = [], {}, set()
    for number, (language, body) in enumerate(re.findall(r"```(python|pycon)\n(.*?)```", README, flags=re.S)):
        if language == "python":
            examples = [(f"{number}", body, "")]
        else:
            examples = [(f"{number}.{i}", e.source, e.exc_msg or "")
                        for i, e in enumerate(doctest.DocTestParser().get_examples(body))]
        for key, source, exc_msg in examples:
            for line in source.splitlines():
                lines.append(line)
                owner[len(lines)] = key
            if exc_msg.startswith("TypeError"):
                wrong.add(key)
    return "\n".join(lines) + "\n", owner, wrong


PREAMBLE = """\
import kaselect
from lumora import kagrid, kamol

mol = kamol.ReadMolecule("complex.pdb")
"""

# Each snippet follows PREAMBLE; mypy must report its last line, and only that,
# with a message that shows the stub's types at work (not merely a call into
# untyped code, which --strict would report too).
WRONG = {
    "int as selection text": ('kaselect.CountSelection(mol, 5)', 'incompatible type "int"; expected "str"'),
    "count used as str": ('kaselect.CountSelection(mol, "water").upper()', '"int" has no attribute "upper"'),
    "canonical text used as int": ('kaselect.KaSelection.Parse("water").ToCanonical() + 1',
                                   'Unsupported operand types for + ("str" and "int")'),
    "no such molecule method": ('mol.NumResidues()', '"KaGraphMol" has no attribute "NumResidues"'),
    "atom lookup may give None": ('mol.GetAtom(0).GetName()', 'Item "None" of'),
    "no KaSelect overload for int": ('kaselect.KaSelect(mol, 3)', 'No overload variant of "KaSelect"'),
    "residue selector called on a molecule": ('kaselect.KaResidueSelector("ALA:1: :A")(mol)',
                                              'incompatible type "KaGraphMol"; expected "KaAtomBase"'),
    "residue keys are Selectors": ('kaselect.parse_selector_set("ALA:1: :A")[0].upper()',
                                   '"Selector" has no attribute "upper"'),
    "unknown residue field": ('kamol.KaResidue(residueNam="HOH")', 'Unexpected keyword argument "residueNam"'),
    "grid mid may be None": ('kagrid.KaScalarGrid().GetMid()[0]', 'is not indexable'),
    "grid read needs a format": ('kagrid.ReadGrid("phi.grd", kagrid.KaScalarGrid())',
                                 'Missing positional argument "fmt"'),
    "NumPy path takes text": ('kaselect.select_indices(mol, 5)', 'incompatible type "int"; expected "str"'),
    "from_arrays columns are keyword-only": ('kaselect.from_arrays(kaselect.get_coords(mol), None, None, None, None)',
                                             'Too many positional arguments'),
    "frames give arrays": ('next(kaselect.select_frames(mol, "water", [])).GetIndex()', 'has no attribute "GetIndex"'),
    "version is str": ('kaselect.__version__ + 1', 'Unsupported operand types for + ("str" and "int")'),
}


@pytest.fixture(scope="module")
def mypy_errors(tmp_path_factory):
    """Runs mypy once over the README module and every snippet of WRONG,
    against the installed packages; {file name: [(line, message)]}."""
    work = tmp_path_factory.mktemp("typing")
    (work / "mypy.ini").write_text(CONFIG)
    files = {"readme_examples.py": readme_module()[0]}
    for i, (snippet, _) in enumerate(WRONG.values()):
        files[f"wrong_{i}.py"] = PREAMBLE + snippet + "\n"
    for name, text in files.items():
        (work / name).write_text(text, encoding="utf-8")
    env = {k: v for k, v in os.environ.items() if k != "MYPYPATH"}
    result = subprocess.run(
        [sys.executable, "-m", "mypy", "--config-file", "mypy.ini", "--cache-dir", ".mypy_cache",
         "--no-error-summary", "--no-pretty", *files],
        cwd=work, env=env, capture_output=True, text=True, timeout=900)
    assert result.returncode in (0, 1), result.stdout + result.stderr
    errors = {name: [] for name in files}
    for match in re.finditer(r"^(.+?):(\d+): error: (.*)$", result.stdout, flags=re.M):
        assert match[1] in errors, result.stdout  # nothing inside the packages
        errors[match[1]].append((int(match[2]), match[3]))
    return errors


def test_readme_examples_type_check(mypy_errors):
    _, owner, wrong = readme_module()
    assert len(owner) > 50 and len(wrong) >= 2
    flagged = {owner[line] for line, _ in mypy_errors["readme_examples.py"]}
    assert flagged == wrong, mypy_errors["readme_examples.py"]


@pytest.mark.parametrize("index", range(len(WRONG)), ids=list(WRONG))
def test_wrong_use_is_reported(mypy_errors, index):
    expected = list(WRONG.values())[index][1]
    reported = mypy_errors[f"wrong_{index}.py"]
    assert {line for line, _ in reported} == {PREAMBLE.count("\n") + 1}, reported
    assert any(expected in message for _, message in reported), reported
