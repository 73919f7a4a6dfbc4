"""kaselect: fast atom selections for molecular structures.

Every proxy class, function and constant of the extension module ``_kaselect``
is available here (``kaselect._kaselect`` is the extension itself).
"""
from ._version import __version__  # noqa: F401
from .kaselect import *  # noqa: F401,F403
from . import _kaselect  # noqa: F401
from .arrays import columns, get_coords, select_indices, select_mask, set_coords  # noqa: F401
from .build import from_arrays  # noqa: F401
from .convert import from_gemmi, from_mdanalysis, from_rdkit  # noqa: F401
from .frames import read_frames, select_frames  # noqa: F401
from .residues import first_repeated_residue, selected_residues  # noqa: F401
