"""Evaluating selections from Python: KaSelect, EvaluateSelection, CountSelection,
the NumPy path, and the molecules and atoms they accept."""
import gc
import weakref
from pathlib import Path

import numpy as np
import pytest

import kaselect
import lumora.kamol as kamol
from isolated import CRASHED, outcomes
from kaselect import _kaselect

DATA = Path(__file__).resolve().parents[1] / "data"

NEW_KASELECT_OVERLOADS = (
    "Wrong number or type of arguments for overloaded function 'new_KaSelect'.\n"
    "  Possible C/C++ prototypes are:\n"
    "    KaSel::KaSelect::KaSelect(Kamol::KaMolBase &,KaSel::KaSelection const &)\n"
    "    KaSel::KaSelect::KaSelect(Kamol::KaMolBase &,std::string const &)\n"
    "    KaSel::KaSelect::KaSelect(KaSel::KaSelect const &)\n")


def residue(name, number, chain, insert_code=" "):
    res = kamol.KaResidue()
    res.residueName, res.residueNumber, res.chainId, res.insertCode = name, number, chain, insert_code
    return res


def build(rows):
    """A molecule from rows (atom name, atomic number, (x, y, z), residue name,
    residue number, chain); returns the molecule and its atoms."""
    mol = kamol.KaGraphMol()
    atoms = []
    for name, element, xyz, resn, resi, chain in rows:
        atom = mol.NewAtom(element)
        atom.SetName(name)
        assert mol.SetCoords(atom, xyz)
        kamol.SetAtomResidue(atom, residue(resn, resi, chain))
        atoms.append(atom)
    return mol, atoms


def peptide():
    """Two residues and a water, laid out along x one unit apart."""
    return build([
        ("N", 7, (0, 0, 0), "ALA", 1, "A"),
        ("CA", 6, (1, 0, 0), "ALA", 1, "A"),
        ("C", 6, (2, 0, 0), "ALA", 1, "A"),
        ("N", 7, (3, 0, 0), "GLY", 2, "A"),
        ("CA", 6, (4, 0, 0), "GLY", 2, "A"),
        ("O", 8, (9, 0, 0), "HOH", 7, "W"),
    ])


def summary(outcome):
    """("returned", repr) or (exception class name, message) of a child's outcome;
    a crash keeps its marker and the child's stderr."""
    kind, detail = outcome
    if kind in ("returned", CRASHED):
        return kind, detail
    return kind[0], detail


def selected(predicate, atoms):
    return tuple(a.GetIndex() for a in atoms if predicate(a))


# --- KaSelect -----------------------------------------------------------------

def test_kaselect_construction_forms_select_alike():
    mol, atoms = peptide()
    text = "name CA or resn HOH"
    from_text = kaselect.KaSelect(mol, text)
    from_selection = kaselect.KaSelect(mol, kaselect.KaSelection.Parse(text))
    copy = kaselect.KaSelect(from_text)
    expected = (1, 4, 5)
    for select in (from_text, from_selection, copy):
        assert selected(select, atoms) == expected
        assert all(type(select(a)) is bool for a in atoms)
        assert select.GetSelection().ToCanonical() == kaselect.KaSelection.Parse(text).ToCanonical()
    # An empty text and a default selection both select everything.
    assert selected(kaselect.KaSelect(mol, ""), atoms) == tuple(range(6))
    assert selected(kaselect.KaSelect(mol, kaselect.KaSelection()), atoms) == tuple(range(6))


@pytest.mark.parametrize("make_args, error, message", [
    (lambda mol, atom: (None, "all"), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (5, "all"), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (atom, "all"), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (mol, 5), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (mol,), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (kaselect.KaSelection(),), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (), TypeError, NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (mol, "all", 1), TypeError,
     "new_KaSelect expected at most 2 arguments, got 3\nAdditional information:\n"
     + NEW_KASELECT_OVERLOADS),
    (lambda mol, atom: (mol, None), TypeError,
     "invalid null reference in method 'new_KaSelect', argument 2 of type 'std::string const &'"),
    (lambda mol, atom: (mol, "water and"), ValueError, "Failed to parse selection: water and"),
])
def test_kaselect_construction_errors(make_args, error, message):
    mol, atoms = peptide()
    with pytest.raises(error) as info:
        kaselect.KaSelect(*make_args(mol, atoms[0]))
    assert str(info.value) == message


def test_kaselect_call_argument_count():
    mol, atoms = peptide()
    select = kaselect.KaSelect(mol, "all")
    with pytest.raises(TypeError) as info:
        _kaselect.KaSelect___call__(select, atoms[0], atoms[1])
    assert str(info.value) == "KaSelect___call__ expected 2 arguments, got 3"


def test_get_selection_keeps_its_kaselect_alive():
    mol, atoms = peptide()
    text = "byres (name N around 1.5)"
    select = kaselect.KaSelect(mol, text)
    alive = weakref.ref(select)
    selection = select.GetSelection()
    del select
    gc.collect()
    # The selection lives inside the KaSelect, so the KaSelect must stay.
    assert alive() is not None
    assert selection.ToCanonical() == kaselect.KaSelection.Parse(text).ToCanonical()
    assert selection.ContainsPredicate(kaselect.PredicateType_AROUND)
    del selection
    gc.collect()
    assert alive() is None


def test_copy_recomputes_what_the_original_cached():
    mol, atoms = peptide()
    spatial = kaselect.KaSelect(mol, "resn HOH around 7.5")
    grouped = kaselect.KaSelect(mol, "byres name C")
    assert selected(spatial, atoms) == (2, 3, 4)
    assert selected(grouped, atoms) == (0, 1, 2)
    # Move the glycine away from the water and out of the alanine.
    mol.SetCoords(atoms[3], (-20, 0, 0))
    kamol.SetAtomResidue(atoms[1], residue("ALA", 9, "A"))
    spatial_copy, grouped_copy = kaselect.KaSelect(spatial), kaselect.KaSelect(grouped)
    assert selected(spatial_copy, atoms) == (2, 4)
    assert selected(grouped_copy, atoms) == (0, 2)
    # The originals answer from what they computed before the change.
    assert selected(spatial, atoms) == (2, 3, 4)
    assert selected(grouped, atoms) == (0, 1, 2)
    assert kaselect.EvaluateSelection(mol, "resn HOH around 7.5") == (2, 4)


def test_kaselect_keeps_its_molecule_alive():
    path = str(DATA / "1hpv.pdb")
    mol = kamol.ReadMolecule(path)
    alive = weakref.ref(mol)
    select = kaselect.KaSelect(mol, "resn 478 around 4")
    copy = kaselect.KaSelect(select)
    del mol
    gc.collect()
    assert alive() is not None
    del select
    gc.collect()
    assert alive() is not None  # the copy still refers to it
    del copy
    gc.collect()
    assert alive() is None


def test_kaselect_on_a_temporary_molecule():
    setup = f"""
        import gc
        import kaselect, lumora.kamol as kamol
        path = {str(DATA / "1hpv.pdb")!r}
        text = "byres (resn 478 around 4) or name CA around 2"
        select = kaselect.KaSelect(kamol.ReadMolecule(path), text)
        gc.collect()
        other = kamol.ReadMolecule(path)
    """
    # The atoms of an identical molecule have the same indices, so the
    # bound molecule's tables answer them as they answer its own atoms.
    seen = outcomes(setup, [
        ("same answers", "tuple(a.GetIndex() for a in other.GetAtoms() if select(a))"
                         " == kaselect.EvaluateSelection(other, text)"),
        ("nonempty", "kaselect.CountSelection(other, text) > 100"),
    ])
    assert seen == {"same answers": ("returned", "True"), "nonempty": ("returned", "True")}


# --- EvaluateSelection and CountSelection ------------------------------------

def test_results_are_indices_in_storage_order():
    mol, atoms = peptide()
    assert mol.DeleteAtom(atoms[1])
    extra = mol.NewAtom(6)
    extra.SetName("CA")
    live = [a.GetIndex() for a in mol.GetAtoms()]
    assert kaselect.EvaluateSelection(mol, "") == tuple(live)
    result = kaselect.EvaluateSelection(mol, "name CA")
    assert type(result) is tuple and all(type(i) is int for i in result)
    assert result == tuple(a.GetIndex() for a in mol.GetAtoms() if a.GetName() == "CA")
    assert 1 not in kaselect.EvaluateSelection(mol, "all")
    count = kaselect.CountSelection(mol, "name CA")
    assert type(count) is int and count == len(result) == 2
    assert kaselect.EvaluateSelection(mol, "resn XYZ") == ()
    assert kaselect.CountSelection(mol, "resn XYZ") == 0


def test_empty_molecule():
    mol = kamol.KaGraphMol()
    for text in ["", "all", "water around 5", "byres name CA", "water beyond 3"]:
        assert kaselect.EvaluateSelection(mol, text) == ()
        assert kaselect.CountSelection(mol, text) == 0
    with pytest.raises(ValueError) as info:
        kaselect.CountSelection(mol, "name")
    assert str(info.value) == "Failed to parse selection: name"


def test_atoms_without_residue_data_read_the_default_residue():
    mol = kamol.KaGraphMol()
    for element in (6, 8, 1):
        mol.NewAtom(element)
    assert kaselect.EvaluateSelection(mol, "resn UNL") == (0, 1, 2)
    assert kaselect.EvaluateSelection(mol, "ligand") == (0, 1, 2)
    assert kaselect.EvaluateSelection(mol, "chain A") == ()


# --- agreement with a brute-force computation on real structures -------------

class Structure:
    """What the brute-force computation needs of every atom, in storage order."""

    def __init__(self, path):
        self.mol = kamol.ReadMolecule(str(path))
        atoms = list(self.mol.GetAtoms())
        residues = [kamol.GetAtomResidue(a) for a in atoms]
        self.atoms = atoms
        self.index = np.array([a.GetIndex() for a in atoms])
        self.name = [a.GetName() for a in atoms]
        self.element = [a.GetAtomicNum() for a in atoms]
        self.resn = [r.residueName for r in residues]
        self.resi = [r.residueNumber for r in residues]
        self.alt = [r.alternateLocation for r in residues]
        self.chain = [r.chainId[:1] or " " for r in residues]
        self.key = list(zip(self.chain, self.resi, [r.insertCode for r in residues]))
        self.xyz = np.array([self.mol.GetCoords(a) for a in atoms], dtype=np.float32)

    def rows(self, predicate):
        """Boolean row mask of the atoms for which predicate(structure, row) holds."""
        return np.array([bool(predicate(self, i)) for i in range(len(self.atoms))])

    def within(self, inner, distance):
        """Rows within `distance` of some inner row: squared distance summed in
        float32 as ((dx*dx + dy*dy) + dz*dz), strictly below float32(d)**2."""
        r = np.float32(distance)
        limit = r * r
        hit = np.zeros(len(self.atoms), dtype=bool)
        for start in range(0, int(inner.sum()), 256):
            centres = self.xyz[inner][start:start + 256]
            d = self.xyz[None, :, :] - centres[:, None, :]
            squared = (d[..., 0] * d[..., 0] + d[..., 1] * d[..., 1]) + d[..., 2] * d[..., 2]
            hit |= (squared < limit).any(axis=0)
        return hit

    def same_group(self, inner, keys):
        wanted = {keys[i] for i in np.flatnonzero(inner)}
        return np.array([k in wanted for k in keys])

    def indices(self, mask):
        return tuple(int(i) for i in self.index[mask])


@pytest.fixture(scope="module")
def structures():
    return {name: Structure(DATA / name) for name in ("1hpv.pdb", "3al1.pdb")}


# (file, inner selection text, the same selection written over the atom table)
INNER = [
    ("1hpv.pdb", "resn 478", lambda s, i: s.resn[i] == "478"),
    ("1hpv.pdb", "chain A and resi 25-30", lambda s, i: s.chain[i] == "A" and 25 <= s.resi[i] <= 30),
    ("1hpv.pdb", "name CA and resi 10-20", lambda s, i: s.name[i] == "CA" and 10 <= s.resi[i] <= 20),
    ("1hpv.pdb", "elem O and chain B", lambda s, i: s.element[i] == 8 and s.chain[i] == "B"),
    ("1hpv.pdb", "resn HOH", lambda s, i: s.resn[i] == "HOH"),
    ("1hpv.pdb", "resi 9999", lambda s, i: False),
    ("3al1.pdb", "resn MPD", lambda s, i: s.resn[i] == "MPD"),
    ("3al1.pdb", "resn ETA or resn ACE", lambda s, i: s.resn[i] in ("ETA", "ACE")),
    ("3al1.pdb", "chain B and resi 204-206", lambda s, i: s.chain[i] == "B" and 204 <= s.resi[i] <= 206),
    ("3al1.pdb", "alt B", lambda s, i: s.alt[i] == "B"),
    ("3al1.pdb", "elem H", lambda s, i: s.element[i] == 1),
]
DISTANCES = ["0", "2.5", "3.3", "5", "-4"]


@pytest.mark.parametrize("name, text, predicate", INNER, ids=[f"{f}:{t}" for f, t, _ in INNER])
def test_spatial_selections_match_brute_force(structures, name, text, predicate):
    s = structures[name]
    inner = s.rows(predicate)
    assert kaselect.EvaluateSelection(s.mol, text) == s.indices(inner)
    for distance in DISTANCES:
        within = s.within(inner, float(distance))
        expected = {
            "around": within & ~inner,
            "expand": within,
            "beyond": ~within,
        }
        for keyword, mask in expected.items():
            query = f"({text}) {keyword} {distance}"
            assert kaselect.EvaluateSelection(s.mol, query) == s.indices(mask), query


@pytest.mark.parametrize("name, text, predicate", INNER, ids=[f"{f}:{t}" for f, t, _ in INNER])
def test_grouping_selections_match_brute_force(structures, name, text, predicate):
    s = structures[name]
    inner = s.rows(predicate)
    residues = s.same_group(inner, s.key)
    chains = s.same_group(inner, s.chain)
    assert kaselect.EvaluateSelection(s.mol, f"byres ({text})") == s.indices(residues)
    assert kaselect.EvaluateSelection(s.mol, f"bychain ({text})") == s.indices(chains)
    # Composed: whole residues near the inner atoms, whole chains they reach.
    near = s.within(inner, 4.5) & ~inner
    assert (kaselect.EvaluateSelection(s.mol, f"byres (({text}) around 4.5)")
            == s.indices(s.same_group(near, s.key)))
    assert (kaselect.EvaluateSelection(s.mol, f"bychain (({text}) expand 3)")
            == s.indices(s.same_group(s.within(inner, 3), s.chain)))


@pytest.mark.parametrize("name", ["1hpv.pdb", "3al1.pdb"])
def test_binding_site_of_the_ligand_class(structures, name):
    # The class predicate decides the ligand; the site around it is checked here.
    s = structures[name]
    ligand = np.isin(s.index, kaselect.EvaluateSelection(s.mol, "ligand"))
    assert ligand.any()
    site = s.within(ligand, 5) & ~ligand
    assert (kaselect.EvaluateSelection(s.mol, "byres (ligand around 5)")
            == s.indices(s.same_group(site, s.key)))


def test_cutoff_is_decided_in_float32():
    centre = np.array([1.5, -2.25, 3.125], dtype=np.float32)
    rng = np.random.default_rng(20240611)
    directions = rng.normal(size=(200000, 3))
    directions *= 5 / np.linalg.norm(directions, axis=1)[:, None]
    points = (centre + directions + rng.normal(scale=2e-6, size=directions.shape)).astype(np.float32)
    d = points - centre
    single = (d[:, 0] * d[:, 0] + d[:, 1] * d[:, 1]) + d[:, 2] * d[:, 2]
    double = (d.astype(np.float64) ** 2).sum(axis=1)
    limit = np.float32(5) * np.float32(5)
    inside32, inside64 = single < limit, double < 25.0
    # Points that the two precisions judge differently, in both directions,
    # plus points exactly on the cutoff (axis offsets of 5 are exact).
    disagree = np.flatnonzero(inside32 != inside64)
    picks = list(disagree[~inside32[disagree]][:6]) + list(disagree[inside32[disagree]][:6])
    assert len(picks) == 12
    on_cutoff = [centre + np.float32(5) * np.eye(3, dtype=np.float32)[k] for k in range(3)]
    rows = [("Q", 6, tuple(float(c) for c in centre), "LIG", 1, "L")]
    rows += [("P", 8, tuple(float(c) for c in points[i]), "HOH", 10 + n, "W") for n, i in enumerate(picks)]
    rows += [("P", 8, tuple(float(c) for c in p), "HOH", 50 + n, "W") for n, p in enumerate(on_cutoff)]
    mol, atoms = build(rows)
    expected_inside = [bool(inside32[i]) for i in picks] + [False, False, False]
    expected = tuple(a.GetIndex() for a, inside in zip(atoms[1:], expected_inside) if inside)
    assert expected and len(expected) < len(atoms) - 1
    assert kaselect.EvaluateSelection(mol, "name Q around 5") == expected
    assert kaselect.EvaluateSelection(mol, "name Q expand 5") == (0,) + expected
    assert kaselect.EvaluateSelection(mol, "name Q around -5") == expected
    beyond = tuple(a.GetIndex() for a in atoms[1:] if a.GetIndex() not in expected)
    assert kaselect.EvaluateSelection(mol, "name Q beyond 5") == beyond


SAMPLE_TEXTS = [
    "", "name CA", "not protein", "resi 30-40 and chain B", "water or ligand",
    "byres (ligand around 5)", "bychain (resn HOH and id < 1600)", "heavy and not backbone",
    "resn 478 expand 3.5 and not water", "b > 30", "elem N around 3 and name O",
]


@pytest.mark.parametrize("text", SAMPLE_TEXTS)
def test_one_atom_at_a_time_agrees_with_the_whole_molecule(structures, text):
    s = structures["1hpv.pdb"]
    select = kaselect.KaSelect(s.mol, text)
    assert selected(select, s.atoms) == kaselect.EvaluateSelection(s.mol, text)
    assert kaselect.CountSelection(s.mol, text) == len(kaselect.EvaluateSelection(s.mol, text))


# --- the NumPy path -----------------------------------------------------------

@pytest.mark.parametrize("text", SAMPLE_TEXTS + ["resi 9999"])
def test_numpy_results_equal_evaluate_selection(structures, text):
    for s in structures.values():
        expected = kaselect.EvaluateSelection(s.mol, text)
        indices = kaselect.select_indices(s.mol, text)
        assert indices.dtype == np.uint32 and tuple(indices.tolist()) == expected
        mask = kaselect.select_mask(s.mol, text)
        assert mask.dtype == np.bool_ and len(mask) == int(s.index.max()) + 1
        assert tuple(np.flatnonzero(mask).tolist()) == expected


def test_index_array_outlives_its_molecule_and_is_its_own():
    mol, atoms = peptide()
    first = kaselect.select_indices(mol, "all")
    second = kaselect.select_indices(mol, "all")
    expected = kaselect.EvaluateSelection(mol, "all")
    first[0] = 99
    del mol, atoms
    gc.collect()
    assert tuple(second.tolist()) == expected and first[0] == 99
    assert tuple(first[1:].tolist()) == expected[1:]


def test_numpy_path_with_deleted_atoms():
    mol, atoms = peptide()
    mol.DeleteAtom(atoms[4])  # the last CA: the mask ends at the water
    mol.DeleteAtom(atoms[0])
    for text in ["", "name CA", "resn HOH around 6"]:
        expected = kaselect.EvaluateSelection(mol, text)
        assert tuple(kaselect.select_indices(mol, text).tolist()) == expected
        mask = kaselect.select_mask(mol, text)
        assert len(mask) == 6 and not mask[0] and not mask[4]
        assert tuple(np.flatnonzero(mask).tolist()) == expected
    with pytest.raises(ValueError):
        kaselect.select_indices(mol, "name CA and")


# --- molecules and atoms as arguments ------------------------------------------

def _bond(mol, atoms):
    return mol.NewBond(atoms[0], atoms[1])


# Functions that take a molecule, called with `x` in its place.
MOLECULE_TAKERS = {
    "EvaluateSelection": lambda x: kaselect.EvaluateSelection(x, "all"),
    "CountSelection": lambda x: kaselect.CountSelection(x, "all"),
    "mol_to_selector_set": lambda x: kaselect.mol_to_selector_set(x),
    "str_selector_set": lambda x: kaselect.str_selector_set(x, ""),
    "select_indices": lambda x: kaselect.select_indices(x, "all"),
    "select_mask": lambda x: kaselect.select_mask(x, "all"),
}
# Functions that take an atom, given a molecule to bind where they need one.
ATOM_TAKERS = {
    "KaSelect": lambda mol, x: kaselect.KaSelect(mol, "all")(x),
    "KaResidueSelector": lambda mol, x: kaselect.KaResidueSelector("ALA:1: :A")(x),
    "KaHasResidueName": lambda mol, x: kaselect.KaHasResidueName("ALA")(x),
    "KaHasAtomNameAdvanced": lambda mol, x: kaselect.KaHasAtomNameAdvanced("CA")(x),
    "get_selector_string": lambda mol, x: kaselect.get_selector_string(x),
    "Selector.FromAtom": lambda mol, x: kaselect.Selector.FromAtom(x),
}
NOT_A_MOLECULE = "Expected KaMolBase-derived object."
NOT_AN_ATOM = "Expected KaAtomBase-derived object."


@pytest.mark.parametrize("function", MOLECULE_TAKERS, ids=list(MOLECULE_TAKERS))
@pytest.mark.parametrize("make_bad, message", [
    (lambda mol, atoms: None, "Null reference."),
    (lambda mol, atoms: 5, NOT_A_MOLECULE),
    (lambda mol, atoms: "1hpv.pdb", NOT_A_MOLECULE),
    (lambda mol, atoms: atoms[0], NOT_A_MOLECULE),
    (_bond, NOT_A_MOLECULE),
    (lambda mol, atoms: kaselect.KaSelection(), NOT_A_MOLECULE),
], ids=["None", "int", "str", "atom", "bond", "selection"])
def test_molecule_arguments(function, make_bad, message):
    mol, atoms = peptide()
    with pytest.raises(TypeError) as info:
        MOLECULE_TAKERS[function](make_bad(mol, atoms))
    assert str(info.value) == message


@pytest.mark.parametrize("function", ATOM_TAKERS, ids=list(ATOM_TAKERS))
@pytest.mark.parametrize("make_bad, message", [
    (lambda mol, atoms: None, "Null reference."),
    (lambda mol, atoms: 0, NOT_AN_ATOM),
    (lambda mol, atoms: mol, NOT_AN_ATOM),
    (_bond, NOT_AN_ATOM),
    (lambda mol, atoms: kaselect.Selector(), NOT_AN_ATOM),
], ids=["None", "int", "molecule", "bond", "selector"])
def test_atom_arguments(function, make_bad, message):
    mol, atoms = peptide()
    with pytest.raises(TypeError) as info:
        ATOM_TAKERS[function](mol, make_bad(mol, atoms))
    assert str(info.value) == message


def test_subclasses_of_the_toolkit_classes_are_accepted():
    class Molecule(kamol.KaGraphMol):
        pass

    mol = Molecule()
    atom = mol.NewAtom(6)
    atom.SetName("CA")
    assert kaselect.EvaluateSelection(mol, "name CA") == (0,)
    assert kaselect.KaSelect(mol, "elem C")(atom) is True


def test_arguments_that_could_reach_native_code_unchecked():
    setup = """
        import kaselect, lumora.kamol as kamol
        from kaselect import _kaselect
        mol = kamol.KaGraphMol()
        atom = mol.NewAtom(6)

        class Hollow(kamol.KaGraphMol):
            def __init__(self):
                pass  # never gets a native molecule

        class HollowAtom(kamol.KaAtomBase):
            def __init__(self):
                pass
    """
    cases = [
        ("molecule without native object", "kaselect.EvaluateSelection(Hollow(), 'all')"),
        ("KaSelect over it", "kaselect.KaSelect(Hollow(), 'all')"),
        ("atom without native object", "kaselect.KaSelect(mol, 'all')(HollowAtom())"),
        ("None as the KaSelect", "_kaselect.KaSelect___call__(None, atom)"),
        ("None as the residue selector", "_kaselect.KaResidueSelector___call__(None, atom)"),
        ("a selection as the KaSelect", "_kaselect.KaSelect___call__(kaselect.KaSelection(), atom)"),
    ]
    seen = {name: summary(outcome) for name, outcome in outcomes(setup, cases).items()}
    assert seen == {
        "molecule without native object": ("TypeError", NOT_A_MOLECULE),
        "KaSelect over it": ("TypeError", NOT_A_MOLECULE),
        "atom without native object": ("TypeError", NOT_AN_ATOM),
        "None as the KaSelect": (
            "TypeError", "in method 'KaSelect___call__', argument 1 of type 'KaSel::KaSelect const *'"),
        "None as the residue selector": (
            "TypeError",
            "in method 'KaResidueSelector___call__', argument 1 of type 'KaSel::KaResidueSelector const *'"),
        "a selection as the KaSelect": (
            "TypeError", "in method 'KaSelect___call__', argument 1 of type 'KaSel::KaSelect const *'"),
    }


def test_atoms_of_another_molecule():
    setup = """
        import kaselect, lumora.kamol as kamol

        def make(rows):
            mol = kamol.KaGraphMol()
            atoms = []
            for name, xyz, resn, resi in rows:
                atom = mol.NewAtom(8 if resn == "HOH" else 6)
                atom.SetName(name)
                mol.SetCoords(atom, xyz)
                res = kamol.KaResidue()
                res.residueName, res.residueNumber, res.chainId = resn, resi, "A"
                kamol.SetAtomResidue(atom, res)
                atoms.append(atom)
            return mol, atoms

        bound, own = make([("N", (0, 0, 0), "ALA", 1), ("CA", (1, 0, 0), "ALA", 1),
                           ("C", (8, 0, 0), "ALA", 2)])
        other, foreign = make([("X", (50, 0, 0), "GLY", 5), ("CA", (60, 0, 0), "GLY", 5),
                               ("C", (70, 0, 0), "HOH", 6), ("O", (80, 0, 0), "HOH", 6),
                               ("Y", (90, 0, 0), "HOH", 9)])
        tagged = kamol.TagFromName("KaSel_Tagged")

        def answers(text):
            select = kaselect.KaSelect(bound, text)
            return [select(a) for a in foreign]
    """
    # Properties are read from the atom itself; grouping and distance results
    # are looked up by the atom's index in the bound molecule's tables, and an
    # index beyond them is never within; class marks are those of the atom.
    seen = outcomes(setup, [
        ("property", "answers('name CA or resn HOH')"),
        ("grouping", "answers('byres name N')"),
        ("around", "answers('name N around 2')"),
        ("beyond", "answers('name N beyond 2')"),
        ("water before marking", "(answers('water'), bound.HasData(tagged), other.HasData(tagged))"),
        ("water after marking", "(kaselect.CountSelection(other, 'water'), answers('water'))"),
    ])
    assert seen == {
        "property": ("returned", "[False, True, True, True, True]"),
        "grouping": ("returned", "[True, True, False, False, False]"),
        "around": ("returned", "[True, True, False, False, False]"),
        "beyond": ("returned", "[False, False, True, True, True]"),
        "water before marking": ("returned", "([False, False, False, False, False], True, False)"),
        "water after marking": ("returned", "(3, [False, False, True, True, True])"),
    }
