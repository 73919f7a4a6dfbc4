#include "molecule/residue.h"

#include "molecule/molecule.h"

namespace Kamol {

uint32_t HelixClassFlags(int helixClass) {
    switch (helixClass) {
        case 1: return 10;
        case 3: return 12;
        case 5: return 9;
        case 6: return 138;
        case 7:
        case 8: return 136;
        default: return 8;
    }
}

const KaResidue& DefaultResidue() {
    static const KaResidue defaults;
    return defaults;
}

const KaResidue& GetAtomResidue(const KaAtomBase& atom) {
    const KaResidue* residue = atom.GetData<KaResidue>(ResidueTag);
    return residue ? *residue : DefaultResidue();
}

KaResidue CopyAtomResidue(const KaAtomBase& atom) {
    KaResidue record;
    if (atom.GetOwner().CompactResidue(atom.GetIndex(), record)) return record;
    return GetAtomResidue(atom);
}

bool HasAtomResidue(const KaAtomBase& atom) { return atom.HasData(ResidueTag); }

bool SetAtomResidue(KaAtomBase& atom, const KaResidue& residue) {
    return atom.GetOwner().StoreAtomResidue(atom, residue);
}

}  // namespace Kamol
