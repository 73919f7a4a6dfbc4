"""How the project is installed: one version everywhere, and the C++ package
(headers, libraries, CMake config) used by examples/cpp through find_package."""
import concurrent.futures
import importlib.metadata
import os
import subprocess
import sys

import pytest

import kaselect

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
DATA = os.path.join(ROOT, "tests", "data")
# A CMake tree of the libraries, configured and built (make test passes the
# one test-cpp built).
CPP_BUILD = os.environ.get("KASELECT_CPP_BUILD")


def run_cli(*args):
    return subprocess.run([sys.executable, "-m", "kaselect", *args], capture_output=True, text=True,
                          timeout=120)


def test_one_version_everywhere():
    with open(os.path.join(ROOT, "VERSION")) as f:
        version = f.read().strip()
    assert kaselect.__version__ == version
    assert importlib.metadata.version("kaselect") == version
    assert run_cli("--version").stdout == f"kaselect {version}\n"


def test_help_names_the_subcommands():
    result = run_cli("--help")
    assert result.returncode == 0
    assert "kaselect batch" in result.stdout and "kaselect view" in result.stdout


needs_cpp_build = pytest.mark.skipif(not CPP_BUILD, reason="KASELECT_CPP_BUILD names no built CMake tree")


def cmake(*args, cwd=None):
    result = subprocess.run(["cmake", *args], capture_output=True, text=True, cwd=cwd, timeout=600)
    assert result.returncode == 0, result.stdout + result.stderr
    return result


@pytest.fixture(scope="module")
def prefix(tmp_path_factory):
    """The libraries installed by cmake --install into a prefix of their own."""
    where = tmp_path_factory.mktemp("prefix")
    cmake("--install", CPP_BUILD, "--prefix", str(where))
    return where


@pytest.fixture(scope="module")
def count_program(prefix, tmp_path_factory):
    """examples/cpp built against the installed prefix, as a user builds it."""
    build = tmp_path_factory.mktemp("count")
    cmake("-S", os.path.join(ROOT, "examples", "cpp"), "-B", str(build), f"-DCMAKE_PREFIX_PATH={prefix}")
    cmake("--build", str(build))
    return str(build / "count")


STRUCTURES = [os.path.join(ROOT, "examples", "1hpv.pdb"), os.path.join(DATA, "3al1.pdb"),
              os.path.join(DATA, "pept_models.pdb"), os.path.join(DATA, "LIG_1HPV.mol2"),
              os.path.join(DATA, "ligs3d.sdf"), os.path.join(DATA, "small01.mol")]
SELECTIONS = ["all", "water and ligand around 3.5", "protein and byres (ligand around 5)",
              "elem C and not backbone"]


@needs_cpp_build
@pytest.mark.parametrize("structure", STRUCTURES, ids=os.path.basename)
def test_example_counts_equal_the_command_line_tool(count_program, structure):
    for selection in SELECTIONS:
        ours = subprocess.run([count_program, structure, selection], capture_output=True, text=True)
        tool = run_cli(structure, selection, "--count")
        assert ours.returncode == 0 and tool.returncode == 0, ours.stderr + tool.stderr
        assert ours.stdout == tool.stdout, (structure, selection)


@needs_cpp_build
@pytest.mark.parametrize("args, status, message", [
    ([os.path.join(DATA, "1hpv.pdb"), "resn ((("], 2, "Failed to parse selection"),
    ([os.path.join(DATA, "absent.pdb"), "all"], 1, "cannot read"),
])
def test_example_reports_bad_input(count_program, args, status, message):
    result = subprocess.run([count_program, *args], capture_output=True, text=True)
    assert result.returncode == status
    assert message in result.stderr and result.stdout == ""


@needs_cpp_build
def test_installed_headers_compile_alone(prefix):
    """Each installed header compiles by itself with only the prefix on the
    include path (the two directories the package config gives): none of them
    needs the bundled parsers or a header it does not include."""
    include = prefix / "include"
    headers = sorted(str(p.relative_to(include)) for p in include.rglob("*.h"))
    assert "kaselect/selection/select.h" in headers and "kaselect/molecule/io.h" in headers

    def compile_alone(header):
        return header, subprocess.run(
            ["c++", "-std=c++20", "-fsyntax-only", f"-I{include}", f"-I{include / 'kaselect'}",
             "-x", "c++", "-"], input=f"#include <{header}>\n", capture_output=True, text=True)

    with concurrent.futures.ThreadPoolExecutor(os.cpu_count() or 1) as pool:
        failures = {h: r.stderr for h, r in pool.map(compile_alone, headers) if r.returncode != 0}
    assert not failures
