"""kaselect: fast atom selections for molecular structures.

Every proxy class, function and constant of the extension module ``_kaselect``
is available here (``kaselect._kaselect`` is the extension itself).
"""
from ._version import __version__ as __version__
from .kaselect import *  # noqa: F401,F403
from . import _kaselect  # noqa: F401
# "name as name" marks each name as part of the package's interface for type
# checkers that do not re-export plain imports (mypy --strict).
from .arrays import (columns as columns, get_coords as get_coords, select_indices as select_indices,
                     select_mask as select_mask, set_coords as set_coords)
from .build import from_arrays as from_arrays
from .cells import get_cell as get_cell, read_cell as read_cell, set_cell as set_cell
from .convert import from_gemmi as from_gemmi, from_mdanalysis as from_mdanalysis, from_rdkit as from_rdkit
from .frames import read_frames as read_frames, select_frames as select_frames
from .parse_failure import parse_failure as parse_failure
from .segments import segment_indices as segment_indices, segments as segments
from .residues import first_repeated_residue as first_repeated_residue, selected_residues as selected_residues
from .views import View as View, view as view
