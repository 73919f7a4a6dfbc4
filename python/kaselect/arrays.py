"""Selection results as NumPy arrays, made without a Python object per atom."""
from . import _fastpath


class _IndexBuffer:
    """The engine's index buffer as NumPy sees it: the array made from it keeps
    this object, and so the buffer's owner, alive."""

    __slots__ = ("__array_interface__", "_owner")

    def __init__(self, owner, address, count, typestr):
        self._owner = owner
        self.__array_interface__ = {"shape": (count,), "typestr": typestr,
                                    "data": (address, False), "version": 3}


def select_indices(mol, text):
    """Indices of the atoms of `mol` selected by `text`, as a numpy.uint32 array
    in storage order (the same indices as EvaluateSelection)."""
    import numpy
    owner, address, count = _fastpath.indices(mol, text)
    if count == 0:
        return numpy.empty(0, dtype=numpy.uint32)
    typestr = numpy.dtype(numpy.uint32).str
    return numpy.asarray(_IndexBuffer(owner, address, count, typestr))


def select_mask(mol, text):
    """Boolean mask indexed by atom index: True where `text` selects the atom.
    Its length is one past the largest atom index; deleted atoms read False."""
    import numpy
    return numpy.frombuffer(_fastpath.mask(mol, text), dtype=numpy.bool_)
