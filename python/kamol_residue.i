// The residue record and the element symbol lookup.
//
// KaResidue is a plain value: GetAtomResidue returns a copy, and changing the
// copy changes nothing until it is stored back with SetAtomResidue. The two
// one-byte fields (alternateLocation, insertCode) are 1-character str; the
// record's three unnamed fields are not exposed.

%{
#include "molecule/elements.h"
#include "molecule/residue.h"
%}

%naturalvar std::string;

namespace Kamol {

struct KaResidue {
    std::string residueName;
    float occupancy;
    float bFactor;
    int32_t residueNumber;
    int32_t serialNumber;
    int32_t modelNumber;
    uint32_t fragmentNumber;
    uint32_t secondaryStructure;
    char alternateLocation;
    char insertCode;
    bool hetAtom;
    std::string chainId;
};

%feature("shadow") KaResidue::KaResidue() %{
    def __init__(self, **fields):
        """A record with the defaults ("UNL", residue 1, chain " ", ...); keyword
        arguments set fields by name."""
        _kamol.KaResidue_swiginit(self, _kamol.new_KaResidue())
        for name, value in fields.items():
            if name not in KaResidue._fields:
                raise TypeError("KaResidue has no field %r" % (name,))
            setattr(self, name, value)
%}

%extend KaResidue {
    KaResidue() { return new Kamol::KaResidue(); }

    %pythoncode %{
        _fields = ("residueName", "occupancy", "bFactor", "residueNumber", "serialNumber",
                   "modelNumber", "fragmentNumber", "secondaryStructure", "alternateLocation",
                   "insertCode", "hetAtom", "chainId")

        def __eq__(self, other):
            if not isinstance(other, KaResidue):
                return NotImplemented
            return all(getattr(self, f) == getattr(other, f) for f in KaResidue._fields)

        def __ne__(self, other):
            equal = self.__eq__(other)
            return equal if equal is NotImplemented else not equal

        __hash__ = None

        def __repr__(self):
            return "KaResidue(%s)" % ", ".join("%s=%r" % (f, getattr(self, f)) for f in KaResidue._fields)
    %}
}

}  // namespace Kamol

%newobject GetAtomResidue;
%inline %{
namespace KaPy {
// A copy of the atom's residue record (the default record when it has none).
inline Kamol::KaResidue* GetAtomResidue(const Kamol::KaAtomBase& atom) {
    return new Kamol::KaResidue(Kamol::CopyAtomResidue(Live(atom)));
}
inline bool HasAtomResidue(const Kamol::KaAtomBase& atom) { return Kamol::HasAtomResidue(Live(atom)); }
// False (after the type-mismatch warning) when the atom holds data of another
// type under the residue tag.
inline bool SetAtomResidue(Kamol::KaAtomBase& atom, const Kamol::KaResidue& residue) {
    Live(atom);
    return Kamol::SetAtomResidue(atom, residue);
}
}  // namespace KaPy
%}

namespace Kamol {
uint32_t GetAtomicNumFromSymbol(const char* symbol);
// Standard symbol of an atomic number ("Fe" for 26); "" outside 1..118.
const char* GetElementSymbol(uint32_t atomicNum);

}  // namespace Kamol
