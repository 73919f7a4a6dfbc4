// Atoms, bonds and molecules, and the generic data they carry.
//
// Lifetime: a molecule proxy made by KaGraphMol() or by a reader owns its
// native molecule. Atom and bond proxies borrow theirs from the molecule and
// keep a reference to the molecule proxy in `_mol`, so the molecule lives as
// long as any of its atom or bond proxies (an atom taken from a temporary
// molecule never dangles).
//
// Deleted atoms: the native atom object stays valid after DeleteAtom, flagged
// as deleted, and so do the bonds deleted with it. A deleted atom or bond
// still answers GetIndex(), IsDeleted() and GetOwner(); any other use of it
// raises ValueError. DeleteAtom itself answers False for an atom that is not a
// live atom of the molecule (already deleted, or another molecule's).

%{
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "system/base.h"

namespace KaPy {

inline const Kamol::KaAtomBase& Live(const Kamol::KaAtomBase& atom) {
    if (atom.IsDeleted())
        throw std::invalid_argument("atom " + std::to_string(atom.GetIndex()) + " has been deleted");
    return atom;
}

inline const Kamol::KaBondBase& Live(const Kamol::KaBondBase& bond) {
    if (bond.IsDeleted())
        throw std::invalid_argument("bond " + std::to_string(bond.GetIndex()) + " has been deleted");
    return bond;
}

// Generic data lives on atoms, bonds and molecules alike; only atoms and
// bonds can be deleted.
inline void CheckLive(const KaSystem::KaBase& object) {
    if (auto atom = dynamic_cast<const Kamol::KaAtomBase*>(&object)) Live(*atom);
    else if (auto bond = dynamic_cast<const Kamol::KaBondBase*>(&object)) Live(*bond);
}

// A live atom of `mol`: atoms of another molecule would index the wrong
// coordinate table.
inline const Kamol::KaAtomBase& Member(const Kamol::KaMolBase& mol, const Kamol::KaAtomBase& atom) {
    if (&atom.GetOwner() != &mol) throw std::invalid_argument("the atom belongs to another molecule");
    return Live(atom);
}

// Six numbers (a, b, c, alpha, beta, gamma) from any sequence but a text:
// TypeError for another object or a non-number, ValueError for another count.
// Whether they describe a box is the molecule's to check.
inline Kamol::UnitCell CellFromSequence(PyObject* cell) {
    if (PyUnicode_Check(cell) || PyBytes_Check(cell) || !PySequence_Check(cell)) {
        PyErr_SetString(PyExc_TypeError, "a cell is a sequence of six numbers (a, b, c, alpha, beta, gamma) or None");
        throw PythonErrorSet();
    }
    const Py_ssize_t size = PySequence_Size(cell);
    if (size < 0) throw PythonErrorSet();
    if (size != 6) {
        PyErr_Format(PyExc_ValueError, "a cell has six numbers (a, b, c, alpha, beta, gamma), got %zd", size);
        throw PythonErrorSet();
    }
    double values[6];
    for (Py_ssize_t i = 0; i < 6; ++i) {
        PyObject* item = PySequence_GetItem(cell, i);
        if (!item) throw PythonErrorSet();
        const bool number = PyNumber_Check(item) && !PyUnicode_Check(item);
        values[i] = number ? PyFloat_AsDouble(item) : -1.0;
        Py_DECREF(item);
        if (!number) {
            PyErr_SetString(PyExc_TypeError, "a cell holds numbers only");
            throw PythonErrorSet();
        }
        if (values[i] == -1.0 && PyErr_Occurred()) throw PythonErrorSet();
    }
    return Kamol::UnitCell{values[0], values[1], values[2], values[3], values[4], values[5]};
}

struct AtomList {
    std::vector<Kamol::KaAtomBase*> atoms;
};
struct BondList {
    std::vector<Kamol::KaBondBase*> bonds;
};

}  // namespace KaPy
%}

// Lists of borrowed atom or bond proxies (the keep-alive is set in Python).
%typemap(out) KaPy::AtomList {
    $result = PyList_New(static_cast<Py_ssize_t>($1.atoms.size()));
    if (!$result) SWIG_fail;
    for (size_t i = 0; i < $1.atoms.size(); ++i) {
        PyObject* item = SWIG_NewPointerObj(SWIG_as_voidptr($1.atoms[i]), $descriptor(Kamol::KaAtomBase*), 0);
        if (!item) {
            Py_CLEAR($result);
            SWIG_fail;
        }
        PyList_SetItem($result, static_cast<Py_ssize_t>(i), item);
    }
}
%typemap(out) KaPy::BondList {
    $result = PyList_New(static_cast<Py_ssize_t>($1.bonds.size()));
    if (!$result) SWIG_fail;
    for (size_t i = 0; i < $1.bonds.size(); ++i) {
        PyObject* item = SWIG_NewPointerObj(SWIG_as_voidptr($1.bonds[i]), $descriptor(Kamol::KaBondBase*), 0);
        if (!item) {
            Py_CLEAR($result);
            SWIG_fail;
        }
        PyList_SetItem($result, static_cast<Py_ssize_t>(i), item);
    }
}

// Coordinates: any sequence of three real numbers.
%typemap(in) const float xyz[3] (float point[3]) {
    if (!PySequence_Check($input) || PyUnicode_Check($input) || PyBytes_Check($input)) {
        KaPy::SetWrongType("argument '$1_name' of $symname", "a sequence of three numbers", $input);
        SWIG_fail;
    }
    Py_ssize_t count = PySequence_Size($input);
    if (count < 0) SWIG_fail;
    if (count != 3) {
        PyErr_Format(PyExc_ValueError, "argument '$1_name' of $symname must hold 3 coordinates, got %zd", count);
        SWIG_fail;
    }
    for (Py_ssize_t i = 0; i < 3; ++i) {
        PyObject* item = PySequence_GetItem($input, i);
        if (!item) SWIG_fail;
        bool ok = KaPy::AsFloat(item, "each coordinate", &point[i]);
        Py_DECREF(item);
        if (!ok) SWIG_fail;
    }
    $1 = point;
}

%pythoncode %{
def _owned_by(proxy, mol):
    """Ties a borrowed atom or bond proxy to the proxy of the molecule that owns it."""
    if proxy is not None:
        proxy._mol = mol
    return proxy


def _owner_of(proxy):
    """The molecule proxy an atom or bond proxy was tied to, or None."""
    return proxy.__dict__.get("_mol")


def _no_constructor(hint):
    """An __init__ for classes whose objects Python cannot create itself."""
    def __init__(self, *args, **kwargs):
        raise TypeError("%s objects cannot be created directly; %s" % (type(self).__name__, hint))
    return __init__
%}

// Atoms and bonds are made and destroyed by their molecule only.
%nodefaultctor KaSystem::KaBase;
%nodefaultdtor KaSystem::KaBase;
%nodefaultctor Kamol::KaAtomBase;
%nodefaultdtor Kamol::KaAtomBase;
%nodefaultctor Kamol::KaBondBase;
%nodefaultdtor Kamol::KaBondBase;
%nodefaultctor Kamol::KaMolBase;

namespace KaSystem {

typedef uint32_t KaTag;

class KaBase {};

%feature("docstring") KaBase::HasData "Whether an item of generic data with this tag exists (of any type).";
%feature("docstring") KaBase::GetIntData "The int stored under the tag; None when there is none. An item of "
    "another type gives None and the toolkit's type-mismatch warning.";
%feature("docstring") KaBase::GetDoubleData "The float stored under the tag; None when there is none. An item of "
    "another type gives None and the toolkit's type-mismatch warning.";
%feature("docstring") KaBase::SetIntData "Stores a 32-bit int under the tag; False (after the type-mismatch "
    "warning) when the tag holds another type.";
%feature("docstring") KaBase::SetDoubleData "Stores a float under the tag; False (after the type-mismatch "
    "warning) when the tag holds another type.";

%extend KaBase {
    bool HasData(uint32_t tag) const {
        KaPy::CheckLive(*$self);
        return $self->HasData(tag);
    }

    PyObject* GetIntData(uint32_t tag) const {
        KaPy::CheckLive(*$self);
        const int* value = $self->GetData<int>(tag);
        if (!value) Py_RETURN_NONE;
        return PyLong_FromLong(*value);
    }

    PyObject* GetDoubleData(uint32_t tag) const {
        KaPy::CheckLive(*$self);
        const double* value = $self->GetData<double>(tag);
        if (!value) Py_RETURN_NONE;
        return PyFloat_FromDouble(*value);
    }

    bool SetIntData(uint32_t tag, int value) {
        KaPy::CheckLive(*$self);
        return $self->SetData<int>(tag, value);
    }

    bool SetDoubleData(uint32_t tag, double value) {
        KaPy::CheckLive(*$self);
        return $self->SetData<double>(tag, value);
    }

    %pythoncode %{
        __init__ = _no_constructor("it is the base of atoms, bonds and molecules")
    %}
}

KaTag TagFromName(const char* name);

}  // namespace KaSystem

namespace Kamol {

class KaMolBase;
class KaBondBase;

class KaAtomBase : public KaSystem::KaBase {
public:
    uint32_t GetIndex() const;
    bool IsDeleted() const;
};

%feature("pythonprepend") KaAtomBase::GetOwner %{
    owner = _owner_of(self)
    if owner is not None:
        return owner
%}
%feature("pythonappend") KaAtomBase::GetBonds %{
    mol = _owner_of(self)
    for bond in val:
        bond._mol = mol
%}

%feature("docstring") KaAtomBase::GetBonds "The atom's bonds, in the order they were made.";
%feature("docstring") KaAtomBase::GetOwner "The molecule that holds the atom.";

%extend KaAtomBase {
    uint32_t GetAtomicNum() const { return KaPy::Live(*$self).GetAtomicNum(); }
    void SetAtomicNum(uint32_t atomicNum) {
        KaPy::Live(*$self);
        $self->SetAtomicNum(atomicNum);
    }
    std::string GetName() const { return KaPy::Live(*$self).Name(); }
    void SetName(const std::string& name) {
        KaPy::Live(*$self);
        $self->SetName(name);
    }
    KaPy::BondList GetBonds() const { return KaPy::BondList{KaPy::Live(*$self).Bonds()}; }
    KaMolBase& GetOwner() const { return $self->GetOwner(); }

    %pythoncode %{
        __init__ = _no_constructor("use KaMolBase.NewAtom")

        def __eq__(self, other):
            return isinstance(other, KaAtomBase) and int(self.this) == int(other.this)

        def __ne__(self, other):
            return not self == other

        def __hash__(self):
            return hash(int(self.this))

        def __repr__(self):
            if self.IsDeleted():
                return "<KaAtomBase %d (deleted)>" % self.GetIndex()
            return "<KaAtomBase %d atomicNum=%d name=%r>" % (
                self.GetIndex(), self.GetAtomicNum(), self.GetName())
    %}
}

class KaBondBase : public KaSystem::KaBase {
public:
    uint32_t GetIndex() const;
    bool IsDeleted() const;
};

%feature("pythonappend") KaBondBase::GetBgn "val._mol = _owner_of(self)";
%feature("pythonappend") KaBondBase::GetEnd "val._mol = _owner_of(self)";
%feature("pythonappend") KaBondBase::GetNeighbour "_owned_by(val, _owner_of(self))";
%feature("pythonprepend") KaBondBase::GetOwner %{
    owner = _owner_of(self)
    if owner is not None:
        return owner
%}

%feature("docstring") KaBondBase::GetNeighbour "The bond's other atom, or None when the atom is neither end of it.";
%feature("docstring") KaBondBase::GetOwner "The molecule that holds the bond.";

%extend KaBondBase {
    KaAtomBase& GetBgn() const { return KaPy::Live(*$self).GetBgn(); }
    KaAtomBase& GetEnd() const { return KaPy::Live(*$self).GetEnd(); }
    KaAtomBase* GetNeighbour(const KaAtomBase& atom) const { return KaPy::Live(*$self).GetNeighbour(atom); }
    uint32_t GetOrder() const { return KaPy::Live(*$self).GetOrder(); }
    KaMolBase& GetOwner() const { return $self->GetBgn().GetOwner(); }

    %pythoncode %{
        __init__ = _no_constructor("use KaMolBase.NewBond")

        def __eq__(self, other):
            return isinstance(other, KaBondBase) and int(self.this) == int(other.this)

        def __ne__(self, other):
            return not self == other

        def __hash__(self):
            return hash(int(self.this))

        def __repr__(self):
            if self.IsDeleted():
                return "<KaBondBase %d (deleted)>" % self.GetIndex()
            return "<KaBondBase %d %d-%d order=%d>" % (
                self.GetIndex(), self.GetBgn().GetIndex(), self.GetEnd().GetIndex(), self.GetOrder())
    %}
}

// Clone is declared only to tell SWIG which class is abstract; Python has no
// use for it.
%ignore KaMolBase::Clone;
%ignore KaGraphMol::Clone;

class KaMolBase : public KaSystem::KaBase {
public:
    virtual ~KaMolBase();
    virtual KaMolBase* Clone() const = 0;
    uint32_t NumAtoms() const;
    uint32_t NumBonds() const;
    const std::string& GetTitle() const;
    void SetTitle(const std::string& title);
};
%feature("pythonappend") KaMolBase::NewAtom "val._mol = self";
%feature("pythonappend") KaMolBase::NewBond "val._mol = self";
%feature("pythonappend") KaMolBase::GetAtom "_owned_by(val, self)";
%feature("pythonappend") KaMolBase::GetAtoms %{
    for atom in val:
        atom._mol = self
%}
%feature("compactdefaultargs") KaMolBase::NewBond;

%feature("docstring") KaMolBase::NewAtom "Appends a new atom of that atomic number and returns it.";
%feature("docstring") KaMolBase::NewBond "Bonds two distinct live atoms of this molecule; ValueError otherwise.";
%feature("docstring") KaMolBase::DeleteAtom "Deletes a live atom of this molecule with its bonds; False for any "
    "other atom (already deleted, or another molecule's).";
%feature("docstring") KaMolBase::GetAtoms "The live atoms, in storage order (the order they were made).";
%feature("docstring") KaMolBase::GetAtom "The live atom with that index, or None. IndexError for a negative index.";
%feature("docstring") KaMolBase::GetCoords "The atom's coordinates as a tuple (x, y, z) of 32-bit values.";
%feature("docstring") KaMolBase::GetCell "The periodic box (a, b, c, alpha, beta, gamma) in Å and degrees, or None.";
%feature("docstring") KaMolBase::SetCell "Sets the periodic box from six numbers (a, b, c, alpha, beta, gamma), "
    "or removes it with None; ValueError for a cell that describes no box (nothing changes then).";
%feature("docstring") KaMolBase::SetCoords "Sets the atom's coordinates from a sequence (x, y, z); stored as 32-bit floats.";

%extend KaMolBase {
    KaAtomBase& NewAtom(uint32_t atomicNum) { return $self->NewAtom(atomicNum); }

    KaBondBase& NewBond(KaAtomBase& a, KaAtomBase& b, uint32_t order = 1) {
        KaPy::Member(*$self, a);
        KaPy::Member(*$self, b);
        if (&a == &b) throw std::invalid_argument("an atom cannot be bonded to itself");
        return *$self->NewBond(a, b, order);
    }

    bool DeleteAtom(KaAtomBase& atom) { return $self->DeleteAtom(atom); }

    KaPy::AtomList GetAtoms() const {
        KaPy::AtomList list;
        list.atoms.reserve($self->NumAtoms());
        KaSystem::KaIterBase<Kamol::KaAtomBase>* iter = $self->GetAtoms();
        for (; iter->IsValid(); iter->Next()) list.atoms.push_back(&iter->Current());
        delete iter;
        return list;
    }

    KaAtomBase* GetAtom(long long index) const {
        if (index > static_cast<long long>(UINT32_MAX)) return nullptr;
        return $self->GetAtom(static_cast<uint32_t>(index));
    }

    PyObject* GetCoords(const KaAtomBase& atom) const {
        float xyz[3];
        $self->GetCoords(KaPy::Member(*$self, atom), xyz);
        return Py_BuildValue("(ddd)", double(xyz[0]), double(xyz[1]), double(xyz[2]));
    }

    bool SetCoords(const KaAtomBase& atom, const float xyz[3]) {
        return $self->SetCoords(KaPy::Member(*$self, atom), xyz);
    }

    PyObject* GetCell() const {
        const std::optional<Kamol::UnitCell>& cell = $self->GetCell();
        if (!cell) Py_RETURN_NONE;
        return Py_BuildValue("(dddddd)", cell->a, cell->b, cell->c, cell->alpha, cell->beta, cell->gamma);
    }

    void SetCell(PyObject* cell) {
        if (cell == Py_None) {
            $self->SetCell(std::nullopt);
            return;
        }
        $self->SetCell(KaPy::CellFromSequence(cell));
    }

    %pythoncode %{
        __init__ = _no_constructor("KaMolBase is abstract, use KaGraphMol()")
    %}
}

class KaGraphMol : public KaMolBase {
public:
    KaGraphMol();
    ~KaGraphMol();
    KaMolBase* Clone() const override;
};

}  // namespace Kamol
