"""The README stays true: its examples run, and its keyword table matches the grammar."""
import doctest
import os
import re
import subprocess
import sys

import pytest

import kaselect

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
README = open(os.path.join(ROOT, "README.md"), encoding="utf-8").read()


def blocks(language):
    return re.findall(r"```" + language + r"\n(.*?)```", README, flags=re.S)


def test_python_examples(monkeypatch):
    monkeypatch.chdir(ROOT)
    examples = "\n".join(blocks("pycon"))
    assert examples.count(">>>") > 20
    test = doctest.DocTestParser().get_doctest(examples, {}, "README", "README.md", 0)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    failed, attempted = runner.summarize(verbose=False)
    assert attempted == examples.count(">>>")
    assert failed == 0


def console_examples():
    for block in blocks("console"):
        for command in re.split(r"^\$ ", block, flags=re.M)[1:]:
            line, _, output = command.partition("\n")
            yield line, output


@pytest.mark.parametrize("line, output", list(console_examples()))
def test_command_line_examples(line, output):
    args = re.findall(r'"[^"]*"|\S+', line)
    assert args[0] == "kaselect"
    args = [a.strip('"') for a in args[1:]]
    result = subprocess.run([sys.executable, "-m", "kaselect", *args], cwd=ROOT,
                            capture_output=True, text=True, timeout=120)
    assert result.returncode == 0, result.stderr
    assert result.stdout == output


def keyword_table():
    section = README.split("### Keywords", 1)[1].split("###", 1)[0]
    words = set()
    for row in section.splitlines()[2:]:
        if row.startswith("|"):
            words.update(re.findall(r"`([a-z_]+)`", row.split("|")[1]))
    return words


def grammar_keywords():
    with open(os.path.join(ROOT, "selection", "grammar.h"), encoding="utf-8") as f:
        return set(re.findall(r'TAO_PEGTL_ISTRING\("([^"]+)"\)', f.read()))


def test_keyword_table_matches_the_grammar():
    documented = keyword_table()
    accepted = grammar_keywords()
    assert len(accepted) > 40
    assert documented == accepted


CLASS_WORDS = sorted(w for w in keyword_table() if w not in {
    "name", "resn", "resi", "chain", "alt", "elem", "index", "id", "serial", "b", "bfactor",
    "frag", "fragment", "around", "expand", "beyond", "byres", "bychain", "not", "and", "or", "xor"})


@pytest.mark.parametrize("word", CLASS_WORDS)
def test_documented_words_parse_in_any_case(word):
    lower = kaselect.KaSelection.Parse(word).ToCanonical()
    assert kaselect.KaSelection.Parse(word.upper()).ToCanonical() == lower
    assert kaselect.KaSelection.Parse(lower).ToCanonical() == lower
