// mmCIF reader on arbitrary bytes (see molecule_reader_fuzz.h).

#include "molecule_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return kafuzz::RunReader(Kamol::io_detail::ReadMmcifText, "fuzz.cif", data, size);
}
