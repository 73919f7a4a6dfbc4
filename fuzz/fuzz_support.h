// Shared pieces of the fuzz targets.
//
// A target catches only the errors an entry point documents for bad input;
// anything else escapes, and libFuzzer reports it as a crash, as it does for
// sanitizer reports, aborts and exits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "system/message.h"

namespace kafuzz {

// Warnings about bad input are expected by the thousand; the handler keeps
// them quiet on this thread (its threshold is per thread). Errors still show,
// and an error while the handler is strict ends the process, which libFuzzer
// reports.
inline void QuietWarnings() {
    thread_local bool quiet = false;
    if (!quiet) {
        KaSystem::ErrorHandler().SetLevel(5);
        quiet = true;
    }
}

inline std::string Text(const uint8_t* data, size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

// Stops the run with a message when a property that must hold does not.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "kaselect fuzz check failed: %s\n", what.c_str());
    std::abort();
}

inline std::vector<uint32_t> LiveIndices(const Kamol::KaMolBase& mol) { return mol.Columns().live; }

}  // namespace kafuzz
