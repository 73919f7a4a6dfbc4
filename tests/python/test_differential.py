"""Generated differential: random selection trees evaluated by the engine and by
a small NumPy reference on real structures, atom for atom. The reference reads
every atom once through the public API and applies the language's rules column
by column, for every keyword; element leaves use the symbols in ELEMENTS, and
distances print exactly at 6 significant digits (distances that print alike
share one mask by design)."""
import fnmatch
from pathlib import Path

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings, strategies as st

import kaselect
import lumora.kamol as kamol

DATA = Path(__file__).resolve().parents[1] / "data"
FILES = ("1hpv.pdb", "3al1.pdb", "pept.pdb")

TABLES = [  # residue-name tables in lookup order, with their component
    ("water", {"HOH", "WAT", "H2O", "DOD", "TIP", "TIP3", "SPC"}),
    ("protein", set("ALA ARG ASN ASP CYS GLN GLU GLY HIS ILE LEU LYS MET PHE PRO SER THR TRP TYR VAL "
                    "HID HIE HIP CYX ASH GLH HSD HSE HSP CYM LYN MSE SEC PYL ASX GLX ACE NME".split())),
    ("nucleic", set("A G C U T DA DG DC DT DU ADE GUA CYT URA THY RA RG RC RU".split())),
    ("cofactor", set("NAD NAP NAI NDP FAD FMN FNR HEM HEC HEA ATP ADP AMP GTP GDP GMP COA ACO PLP "
                     "BTN B12 CBY SF4 FES F3S MG CA ZN FE MN CU".split())),
    ("solvent", {"DMS", "DMF", "ACN", "MOH", "EOH", "IPA", "GOL", "PEG", "EDO"}),
]
ELEMENTS = {"C": 6, "N": 7, "O": 8, "S": 16, "H": 1, "D": 1, "Zn": 30, "ca": 20}
METAL = {3, 11, 12, 13, *range(19, 31), *range(37, 49), *range(55, 81)}


def component(resn):
    name = resn.strip(" \t\n\v\f\r")
    return next((kind for kind, table in TABLES if name in table), "ligand")


class Structure:
    """Per-atom columns, in storage order, and the rules over them."""

    def __init__(self, path):
        self.mol = kamol.ReadMolecule(str(path))
        atoms = list(self.mol.GetAtoms())
        res = [kamol.GetAtomResidue(a) for a in atoms]
        col = lambda f, dtype=None: np.array([f(a, r) for a, r in zip(atoms, res)], dtype=dtype)
        self.index = col(lambda a, r: a.GetIndex(), np.uint32)
        self.name = [a.GetName() for a in atoms]
        self.resn = [r.residueName for r in res]
        self.z = col(lambda a, r: a.GetAtomicNum())
        self.resi = col(lambda a, r: r.residueNumber, np.int32)
        self.serial = col(lambda a, r: r.serialNumber, np.int32)
        self.frag = col(lambda a, r: r.fragmentNumber, np.uint32)
        self.b = col(lambda a, r: r.bFactor, np.float32)
        self.ss = col(lambda a, r: r.secondaryStructure)
        self.chain = col(lambda a, r: (r.chainId[:1] or " "))
        self.alt = col(lambda a, r: r.alternateLocation)
        self.insert = col(lambda a, r: r.insertCode)
        self.comp = col(lambda a, r: component(r.residueName))
        self.xyz = np.array([self.mol.GetCoords(a) for a in atoms], dtype=np.float32)
        nbr_z = [[b.GetNeighbour(a).GetAtomicNum() for b in a.GetBonds()] for a in atoms]
        self.carbon_nbr = np.array([6 in n for n in nbr_z])
        self.polar_nbr = np.array([any(z in (7, 8, 16) for z in n) for n in nbr_z])
        self.residue = [(c, int(n), i) for c, n, i in zip(self.chain, self.resi, self.insert)]

    def within(self, inner, distance):
        """Rows within distance of an inner row: float32 squared distance
        ((dx*dx + dy*dy) + dz*dz) strictly below float32(distance)**2."""
        r = np.float32(abs(distance))
        hit = np.zeros(len(self.index), dtype=bool)
        for start in range(0, int(inner.sum()), 256):
            d = self.xyz[None, :, :] - self.xyz[inner][start:start + 256][:, None, :]
            hit |= ((d[..., 0] * d[..., 0] + d[..., 1] * d[..., 1]) + d[..., 2] * d[..., 2] < r * r).any(0)
        return hit

    def group(self, inner, keys):
        wanted = {keys[i] for i in np.flatnonzero(inner)}
        return np.array([k in wanted for k in keys])


def compare(values, op, low, high=None):
    if op == "-":
        return (low <= values) & (values <= high)
    return {"<": np.less, "<=": np.less_equal, ">": np.greater, ">=": np.greater_equal,
            "": np.equal}[op](values, low)


# A leaf is (text, rule); a rule maps a Structure to a boolean row mask.
CLASSES = {
    "protein": lambda s: s.comp == "protein",
    "ligand": lambda s: s.comp == "ligand",
    "water": lambda s: s.comp == "water",
    "solvent": lambda s: np.isin(s.comp, ["water", "solvent"]),
    "organic": lambda s: ((s.z == 6) | s.carbon_nbr) & ~np.isin(s.comp, ["protein", "nucleic"]),
    "backbone": lambda s: (s.comp == "protein") & np.isin(s.name, ["N", "CA", "C", "O"]),
    "sidechain": lambda s: (s.comp == "protein") & ~np.isin(s.name, ["N", "CA", "C", "O", "OXT"]),
    "capping": lambda s: np.isin(s.resn, ["ACE", "NME"]),
    "metal": lambda s: np.isin(s.z, list(METAL)),
    "heavy": lambda s: s.z > 1,
    "hydrogen": lambda s: s.z == 1,
    "polar_hydrogen": lambda s: (s.z == 1) & s.polar_nbr,
    "nonpolar_hydrogen": lambda s: (s.z == 1) & ~s.polar_nbr,
    "helix": lambda s: (s.ss & 8) != 0,
    "sheet": lambda s: (s.ss & 32) != 0,
    "turn": lambda s: (s.ss & 16) != 0,
    "loop": lambda s: (s.ss & 56) == 0,
    "all": lambda s: np.ones(len(s.index), dtype=bool),
    "none": lambda s: np.zeros(len(s.index), dtype=bool),
}
OPS = st.sampled_from(["<", "<=", ">", ">=", ""])


def numeric(keyword, column, dtype, values):
    def leaf(op, low, high):
        if op == "-":
            return f"{keyword} {low}-{high}", lambda s: compare(getattr(s, column), "-", dtype(low), dtype(high))
        return f"{keyword} {op}{low}", lambda s: compare(getattr(s, column), op, dtype(low))
    return st.builds(leaf, st.sampled_from(["<", "<=", ">", ">=", "", "-"]), values, values)


def text_leaf(keyword, column, values, rule):
    return st.sampled_from(values).map(lambda v: (f"{keyword} {v}", lambda s, v=v: rule(getattr(s, column), v)))


B_VALUES = st.sampled_from(["24.5", "24.50001", "24.49999", "15", "30.25", "0"])
LEAVES = st.one_of(
    st.sampled_from(sorted(CLASSES)).map(lambda k: (k, CLASSES[k])),
    text_leaf("name", "name", ["CA", "C*", "?", "O?", "*1", "N", "C?1"],
              lambda c, v: np.array([fnmatch.fnmatchcase(n.strip(" "), v) for n in c])),
    text_leaf("resn", "resn", ["HOH", "ALA", "478", "G*", "?E?", "MPD"],
              lambda c, v: np.array([fnmatch.fnmatchcase(n, v) for n in c])),
    text_leaf("chain", "chain", ["A", "B", "W"], lambda c, v: c == v),
    text_leaf("alt", "alt", ["A", "B"], lambda c, v: c == v),
    text_leaf("elem", "z", sorted(ELEMENTS), lambda c, v: c == ELEMENTS[v]),
    numeric("resi", "resi", np.int32, st.integers(0, 310)),
    numeric("index", "index", np.uint32, st.integers(0, 1900)),
    numeric("serial", "serial", np.int32, st.integers(0, 1900)),
    numeric("frag", "frag", np.uint32, st.integers(0, 3)),
    st.builds(lambda op, v: (f"b {op}{v}", lambda s: compare(s.b, op, np.float32(v))), OPS, B_VALUES),
)
DISTANCES = st.sampled_from(["0", "1.5", "3", "4.5", "5", "-3", "6.25"])


def node(children):
    """One operator over generated sub-trees: (text, rule)."""
    def unary(word, f):
        return children.map(lambda c: (f"{word} ({c[0]})", lambda s: f(s, c[1](s))))

    def spatial(word, f):
        return st.builds(lambda c, d: (f"({c[0]}) {word} {d}", lambda s: f(s, c[1](s), float(d))),
                         children, DISTANCES)

    def binary(word, f):
        return st.builds(lambda a, b: (f"({a[0]}) {word} ({b[0]})", lambda s: f(a[1](s), b[1](s))),
                         children, children)

    return st.one_of(
        unary("not", lambda s, m: ~m),
        unary("byres", lambda s, m: s.group(m, s.residue)),
        unary("bychain", lambda s, m: s.group(m, list(s.chain))),
        spatial("around", lambda s, m, d: s.within(m, d) & ~m),
        spatial("expand", lambda s, m, d: s.within(m, d)),
        spatial("beyond", lambda s, m, d: ~s.within(m, d)),
        binary("and", lambda a, b: a & b),
        binary("or", lambda a, b: a | b),
    )


TREES = st.recursive(LEAVES, node, max_leaves=6)


@pytest.fixture(scope="module")
def structures():
    return {name: Structure(DATA / name) for name in FILES}


def check(structure, text, mask):
    expected = tuple(int(i) for i in structure.index[mask])
    assert kaselect.EvaluateSelection(structure.mol, text) == expected, text
    assert tuple(kaselect.select_indices(structure.mol, text)) == expected, text


SETTINGS = settings(max_examples=150, deadline=None, suppress_health_check=[HealthCheck.too_slow])


@SETTINGS
@given(file=st.sampled_from(FILES), tree=TREES)
def test_random_trees_agree_with_the_reference(structures, file, tree):
    text, rule = tree
    check(structures[file], text, rule(structures[file]))


# Sub-trees that print alike but differ, evaluated together in one selection:
# a distance suffix binds tighter than "not" and "byres" ("not X around D" is
# not (X around D)), and bounds that print alike at 6 significant digits.
TWINS = [
    ("not {x} around {d}", lambda s, x, d: ~(s.within(x, d) & ~x),
     "(not {x}) around {d}", lambda s, x, d: s.within(~x, d) & x),
    ("byres {x} around {d}", lambda s, x, d: s.group(s.within(x, d) & ~x, s.residue),
     "(byres {x}) around {d}", lambda s, x, d: s.within(g := s.group(x, s.residue), d) & ~g),
    ("({x} and b < 24.5) expand {d}", lambda s, x, d: s.within(x & (s.b < np.float32(24.5)), d),
     "({x} and b < 24.50001) expand {d}", lambda s, x, d: s.within(x & (s.b < np.float32(24.50001)), d)),
]
WRAPS = {"{}": lambda s, m: m, "byres ({})": lambda s, m: s.group(m, s.residue),
         "bychain ({})": lambda s, m: s.group(m, list(s.chain)),
         "({}) around 3": lambda s, m: s.within(m, 3.0) & ~m}


@SETTINGS
@given(file=st.sampled_from(FILES), twin=st.sampled_from(TWINS), x=st.one_of(LEAVES, node(LEAVES)),
       d=DISTANCES, wrap=st.sampled_from(sorted(WRAPS)), swap=st.booleans())
def test_subtrees_that_print_alike_answer_for_themselves(structures, file, twin, x, d, wrap, swap):
    s = structures[file]
    inner = x[1](s)
    sides = [(wrap.format(text.format(x=f"({x[0]})", d=d)), WRAPS[wrap](s, rule(s, inner, float(d))))
             for text, rule in (twin[:2], twin[2:])]
    (a, mask_a), (b, mask_b) = sides[::-1] if swap else sides
    check(s, f"({a}) or ({b})", mask_a | mask_b)
    check(s, f"({a}) and not ({b})", mask_a & ~mask_b)


def test_byres_of_a_complement_around_and_of_around_complemented(structures):
    s = structures["1hpv.pdb"]
    water = CLASSES["water"](s)
    first = s.group(s.within(~water, 5) & water, s.residue)
    second = s.group(~(s.within(water, 5) & ~water), s.residue)
    assert (first.sum(), second.sum()) == (77, 1375)
    check(s, "byres ((not water) around 5) or byres (not (water around 5))", first | second)
    check(s, "byres (not (water around 5)) or byres ((not water) around 5)", first | second)
