"""Molecules from the structures of other toolkits: gemmi, MDAnalysis and
RDKit. Each converter imports its library only when called, gathers the
library's per-atom fields into arrays and builds the molecule with
from_arrays in one native call."""
from __future__ import annotations

from typing import TYPE_CHECKING

from .build import from_arrays
from .cells import box_or_none, set_cell

if TYPE_CHECKING:
    from collections.abc import Iterable
    from typing import Any

    import gemmi
    import MDAnalysis  # type: ignore[import-untyped, unused-ignore]
    from rdkit import Chem

    from lumora.kamol import KaGraphMol


def _bond_exists(atom, other):
    return any(bond.GetNeighbour(atom).GetIndex() == other.GetIndex() for bond in atom.GetBonds())


def from_gemmi(structure_or_model: gemmi.Structure | gemmi.Model) -> KaGraphMol:
    """The first model of a gemmi.Structure, or a gemmi.Model, as a KaGraphMol,
    atoms in the model's order. Kept per atom: name, residue name, number and
    insert code, chain name, segment id, alternate location, element,
    serial, B-factor, occupancy, HETATM flag (the residue's het flag),
    position; from a
    structure also the secondary structure of its helices and sheet strands
    (turns are not kept by gemmi). Bonds as the PDB reader makes them: a
    structure's connections (LINK, SSBOND, struct_conn; not hydrogen bonds,
    not to symmetry mates), and single bonds perceived from distances for
    the rest."""
    import gemmi
    import numpy
    structure: gemmi.Structure | None
    connections: Iterable[gemmi.Connection]
    if isinstance(structure_or_model, gemmi.Structure):
        if len(structure_or_model) == 0:
            raise ValueError("the structure holds no model")
        structure = structure_or_model
        model, connections = structure[0], structure.connections
    elif isinstance(structure_or_model, gemmi.Model):
        structure, model, connections = None, structure_or_model, ()
    else:
        raise TypeError("expected a gemmi.Structure or gemmi.Model, got %s" % type(structure_or_model).__name__)
    # resname, resid, icode, chain, hetatm, segment, atom count
    per_residue: tuple[list[Any], ...] = ([], [], [], [], [], [], [])
    names, altlocs, elements, serials, bfactors, occupancies, xyz = [], [], [], [], [], [], []
    for chain in model:
        for residue in chain:
            for column, value in zip(per_residue, (residue.name, residue.seqid.num, residue.seqid.icode,
                                                   chain.name, residue.het_flag == "H", residue.segment,
                                                   len(residue))):
                column.append(value)
            for atom in residue:
                names.append(atom.name)
                altlocs.append(atom.altloc)
                elements.append(atom.element.atomic_number)
                serials.append(atom.serial)
                bfactors.append(atom.b_iso)
                occupancies.append(atom.occ)
                xyz.append(atom.pos.tolist())
    counts = per_residue[6]
    resnames, resids, icodes, chains, hetatm, segments = (numpy.repeat(numpy.asarray(c), counts)
                                                          for c in per_residue[:6])
    secondary = None
    if structure is not None and (len(structure.helices) or len(structure.sheets)):
        secondary = numpy.repeat(_secondary_flags(structure, per_residue), counts)
    coords = numpy.array(xyz, dtype=numpy.float64).reshape(-1, 3)
    mol = from_arrays(coords, names=names, resnames=resnames, resids=resids, chains=chains,
                      elements=numpy.array(elements, dtype=numpy.uint32), icodes=icodes,
                      altlocs=[a.strip("\0") for a in altlocs], serials=serials, bfactors=bfactors,
                      occupancies=occupancies, hetatm=hetatm, secondary=secondary, segments=segments,
                      perceive_bonds=True)
    _add_connections(mol, model, connections)
    return mol


# Flag words of PDB helix classes, as the structure readers store them.
_HELIX_CLASS_FLAGS = {1: 10, 3: 12, 5: 9, 6: 138, 7: 136, 8: 136}
_SHEET_FLAG = 32


def _secondary_flags(structure, per_residue):
    """The flag word of each residue of the model (in order) from the
    structure's helices and sheet strands: every residue from a range's first
    to its last in the same chain."""
    resids, icodes, chains = per_residue[1], per_residue[2], per_residue[3]
    keys = list(zip(chains, resids, icodes))
    first = {}
    for i, key in enumerate(keys):
        first.setdefault(key, i)
    flags = [0] * len(keys)

    def key_of(address):
        seqid = address.res_id.seqid
        return address.chain_name, seqid.num, seqid.icode

    def mark(start, end, flag):
        i = first.get(key_of(start))
        if i is None:
            return
        last = key_of(end)
        while i < len(keys) and keys[i][0] == last[0]:
            flags[i] |= flag
            if keys[i] == last:
                while i + 1 < len(keys) and keys[i + 1] == last:
                    i += 1
                    flags[i] |= flag
                return
            i += 1

    for helix in structure.helices:
        mark(helix.start, helix.end, _HELIX_CLASS_FLAGS.get(helix.pdb_helix_class.value, 8))
    for sheet in structure.sheets:
        for strand in sheet.strands:
            mark(strand.start, strand.end, _SHEET_FLAG)
    return flags


def _add_connections(mol, model, connections):
    """Bonds of the structure's connection records between atoms of the model."""
    import gemmi
    links = [c for c in connections
             if c.type != gemmi.ConnectionType.Hydrog and c.asu != gemmi.Asu.Different]
    if not links:
        return
    rows, row = {}, 0
    for chain in model:
        for residue in chain:
            for atom in residue:
                rows.setdefault((chain.name, residue.seqid.num, residue.seqid.icode, atom.name), []).append(
                    (row, atom.altloc))
                row += 1

    def find(address):
        key = (address.chain_name, address.res_id.seqid.num, address.res_id.seqid.icode, address.atom_name)
        return [r for r, alt in rows.get(key, ()) if address.altloc in ("\0", alt)]

    for link in links:
        for a in find(link.partner1):
            for b in find(link.partner2):
                atom_a, atom_b = mol.GetAtom(a), mol.GetAtom(b)
                if a != b and not _bond_exists(atom_a, atom_b):
                    mol.NewBond(atom_a, atom_b)


def _optional(group, attribute):
    """A topology attribute of an MDAnalysis AtomGroup, or None when the
    universe has none (MDAnalysis' NoDataError is an AttributeError)."""
    try:
        return getattr(group, attribute)
    except AttributeError:
        return None


def from_mdanalysis(atomgroup_or_universe: MDAnalysis.Universe | MDAnalysis.AtomGroup,
                    perceive_bonds: bool = True) -> KaGraphMol:
    """The atoms of an MDAnalysis Universe or AtomGroup (in the group's order)
    at the current frame, as a KaGraphMol. Kept per atom where the topology
    holds them: name, residue name, number (resid) and insert code, chain id
    (else the segment id), segment id (segments that share a chain's first
    character get chains of their own), alternate location, element (else
    from the name, ions as force fields name them), serial (id),
    B-factor (tempfactor), occupancy, HETATM record type, position. Bonds
    within the group from the topology; with `perceive_bonds` (the default),
    single bonds are then perceived from distances as the PDB reader does,
    the atoms of the topology's bonds keeping theirs (as CONECT atoms do).
    The current frame's `dimensions` become the molecule's periodic cell
    (see set_cell), unless they are None, have zero lengths or are the
    1 1 1 90 90 90 placeholder; ValueError when they describe no box."""
    import numpy
    group = getattr(atomgroup_or_universe, "atoms", None)
    if group is None or not hasattr(group, "positions"):
        raise TypeError("expected an MDAnalysis Universe or AtomGroup, got %s"
                        % type(atomgroup_or_universe).__name__)
    segids = _optional(group, "segids")
    chains = _optional(group, "chainIDs")
    if chains is None or not any(chains):
        chains = segids
    elements = _optional(group, "elements")
    if elements is not None and not all(elements):
        elements = None  # no symbol for some atoms: perceived from the names
    record_types = _optional(group, "record_types")
    icodes = _optional(group, "icodes")
    altlocs = _optional(group, "altLocs")
    bonds = None
    topology_bonds = _optional(group, "bonds")
    if topology_bonds is not None and len(topology_bonds):
        row_of = numpy.full(group.universe.atoms.n_atoms, -1, dtype=numpy.int64)
        row_of[group.ix] = numpy.arange(len(group))
        ends = row_of[topology_bonds.to_indices()]
        bonds = ends[(ends >= 0).all(axis=1)]
    mol = from_arrays(
        group.positions, names=_optional(group, "names"), resnames=_optional(group, "resnames"),
        resids=_optional(group, "resids"), chains=chains, elements=elements,
        icodes=icodes, altlocs=altlocs, serials=_optional(group, "ids"),
        bfactors=_optional(group, "tempfactors"), occupancies=_optional(group, "occupancies"),
        hetatm=None if record_types is None else record_types == "HETATM", bonds=bonds,
        segments=segids, perceive_bonds=perceive_bonds)
    cell = box_or_none(_optional(group, "dimensions"))
    if cell is not None:
        try:
            set_cell(mol, cell)
        except ValueError as error:
            raise ValueError("the universe's dimensions %s describe no periodic box: %s"
                             % (list(map(float, cell)), error)) from None
    return mol


# Bond orders as the file readers store them: aromatic as 4.
_RDKIT_ORDERS = {"SINGLE": 1, "DOUBLE": 2, "TRIPLE": 3, "AROMATIC": 4, "QUADRUPLE": 4}


def from_rdkit(mol: Chem.Mol, conf_id: int = -1) -> KaGraphMol:
    """An RDKit molecule with the coordinates of conformer `conf_id` (the
    default conformer for -1; all zero when it has none) as a KaGraphMol,
    atom index k becoming atom index k. Kept per atom: element, and where the
    atoms carry PDB residue information its name, residue name, number,
    insert code, chain, alternate location, serial, B-factor, occupancy and
    HETATM flag; else MOL2 atom names. Bonds with their orders (aromatic 4,
    other kinds 1); the molecule's name becomes the title."""
    import numpy
    from rdkit import Chem
    if not isinstance(mol, Chem.Mol):
        raise TypeError("expected an rdkit.Chem.Mol, got %s" % type(mol).__name__)
    atoms = list(mol.GetAtoms())
    rows = len(atoms)
    if mol.GetNumConformers():
        coords = numpy.asarray(mol.GetConformer(conf_id).GetPositions(), dtype=numpy.float64).reshape(-1, 3)
    else:
        coords = numpy.zeros((rows, 3))
    fields: dict[str, Any] = dict(names=None, resnames=None, resids=None, chains=None)
    infos = [atom.GetPDBResidueInfo() for atom in atoms]
    if rows and all(info is not None for info in infos):
        fields.update(
            names=[i.GetName().strip() for i in infos], resnames=[i.GetResidueName().strip() for i in infos],
            resids=[i.GetResidueNumber() for i in infos], chains=[i.GetChainId() for i in infos],
            icodes=[i.GetInsertionCode().strip() for i in infos], altlocs=[i.GetAltLoc().strip() for i in infos],
            serials=[i.GetSerialNumber() for i in infos], bfactors=[i.GetTempFactor() for i in infos],
            occupancies=[i.GetOccupancy() for i in infos], hetatm=[i.GetIsHeteroAtom() for i in infos])
    elif rows and all(atom.HasProp("_TriposAtomName") for atom in atoms):
        fields["names"] = [atom.GetProp("_TriposAtomName") for atom in atoms]
    # Bonds are reached through their atoms: RDKit's bond sequence takes
    # time linear in the index for each bond.
    found = sorted((bond.GetIdx(), atom.GetIdx(), bond.GetEndAtomIdx(), _RDKIT_ORDERS.get(str(bond.GetBondType()), 1))
                   for atom in atoms for bond in atom.GetBonds() if bond.GetBeginAtomIdx() == atom.GetIdx())
    bonds = numpy.array([(a, b) for _, a, b, _ in found], dtype=numpy.int64).reshape(-1, 2)
    orders = [order for _, _, _, order in found]
    converted = from_arrays(coords, elements=numpy.array([a.GetAtomicNum() for a in atoms], dtype=numpy.uint32),
                            bonds=bonds, bond_orders=orders, **fields)
    if mol.HasProp("_Name"):
        converted.SetTitle(mol.GetProp("_Name"))
    return converted
