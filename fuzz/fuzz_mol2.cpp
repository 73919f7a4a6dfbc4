// Tripos MOL2 reader on arbitrary bytes (see molecule_reader_fuzz.h).

#include "molecule_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kafuzz::RunReader(Kamol::io_detail::ReadMol2Text, "fuzz.mol2", data, size);
}
