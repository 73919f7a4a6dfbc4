// mmCIF readers on arbitrary bytes (see molecule_reader_fuzz.h); the one-pass
// reader must give what the whole-text reader gives, or leave the text to it.

#include <sstream>

#include "molecule_reader_fuzz.h"

namespace {

std::string Fingerprint(const Kamol::io_detail::MolList& molecules) {
    std::ostringstream out;
    for (const auto& mol : molecules) {
        out << mol->GetTitle() << ' ' << mol->NumAtoms() << ' ' << mol->NumBonds() << '\n';
        for (uint32_t index : mol->Columns().live) {
            const Kamol::KaAtomBase& atom = *mol->GetAtom(index);
            const Kamol::KaResidue r = Kamol::CopyAtomResidue(atom);
            float xyz[3];
            mol->GetCoords(atom, xyz);
            out << atom.Name() << atom.GetAtomicNum() << ' ' << xyz[0] << ' ' << xyz[1] << ' ' << xyz[2] << ' '
                << r.residueName << r.residueNumber << r.insertCode << r.chainId << r.serialNumber << r.modelNumber
                << r.alternateLocation << r.occupancy << r.bFactor << r.hetAtom << r.secondaryStructure << '\n';
        }
    }
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::RunReader(Kamol::io_detail::ReadMmcifText, "fuzz.cif", data, size);
    using Kamol::io_detail::ReadScope;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (ReadScope scope : {ReadScope::First, ReadScope::All}) {
        Kamol::io_detail::StringSource source(text);
        Kamol::io_detail::MolList onePass;
        try {
            onePass = Kamol::io_detail::ReadMmcifSource(source, "fuzz.cif", scope);
        } catch (const Kamol::io_detail::WholeTextNeeded&) {
            continue;
        }
        std::string whole;
        try {
            whole = Fingerprint(Kamol::io_detail::ReadMmcifText(text, "fuzz.cif", scope));
        } catch (const Kamol::FormatError& e) {
            kafuzz::Fail(std::string("the one-pass reader read what the whole-text reader refuses: ") + e.what());
        }
        if (Fingerprint(onePass) != whole) kafuzz::Fail("the one-pass reader differs from the whole-text reader");
    }
    return 0;
}
