"""Selection results as NumPy arrays, made without a Python object per atom."""
from . import _fastpath


def select_indices(mol, text):
    """Indices of the atoms of `mol` selected by `text`, as a numpy.uint32 array
    in storage order (the same indices as EvaluateSelection)."""
    import numpy
    return numpy.frombuffer(_fastpath.indices(mol, text), dtype=numpy.uint32)


def select_mask(mol, text):
    """Boolean mask indexed by atom index: True where `text` selects the atom.
    Its length is one past the largest atom index; deleted atoms read False."""
    import numpy
    return numpy.frombuffer(_fastpath.mask(mol, text), dtype=numpy.bool_)
