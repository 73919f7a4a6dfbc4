// Helpers shared by the structure-file tests: data paths, a scratch
// directory, atom lookup by residue and name, and warning capture.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "molecule/molecule.h"
#include "molecule/residue.h"
#include "system/message.h"

namespace readers_test {

inline std::string DataFile(const std::string& name) { return std::string(KASELECT_DATA_DIR) + "/" + name; }

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A directory under /tmp, removed with everything in it at the end of the test.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/kaselect-io-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::string Write(const std::string& name, const std::string& content) const {
        std::ofstream(Path(name), std::ios::binary) << content;
        return Path(name);
    }

private:
    std::string path_;
};

inline std::vector<const Kamol::KaAtomBase*> Atoms(const Kamol::KaMolBase& mol) {
    std::vector<const Kamol::KaAtomBase*> atoms;
    for (uint32_t index : mol.Columns().live) atoms.push_back(mol.GetAtom(index));
    return atoms;
}

inline const Kamol::KaResidue& Res(const Kamol::KaAtomBase* atom) { return Kamol::GetAtomResidue(*atom); }

inline std::vector<const Kamol::KaAtomBase*> ResidueAtoms(const Kamol::KaMolBase& mol, const std::string& chain,
                                                          int number) {
    std::vector<const Kamol::KaAtomBase*> found;
    for (const Kamol::KaAtomBase* atom : Atoms(mol))
        if (Res(atom).chainId == chain && Res(atom).residueNumber == number) found.push_back(atom);
    return found;
}

// The atoms of that name in the residue (one per alternate location).
inline std::vector<const Kamol::KaAtomBase*> NamedAtoms(const Kamol::KaMolBase& mol, const std::string& chain,
                                                        int number, const std::string& name) {
    std::vector<const Kamol::KaAtomBase*> found;
    for (const Kamol::KaAtomBase* atom : ResidueAtoms(mol, chain, number))
        if (atom->Name() == name) found.push_back(atom);
    return found;
}

inline float Distance(const Kamol::KaMolBase& mol, const Kamol::KaAtomBase& a, const Kamol::KaAtomBase& b) {
    float p[3], q[3];
    mol.GetCoords(a, p);
    mol.GetCoords(b, q);
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2]));
}

struct Warnings {
    uint32_t count;
    std::string text;
};

// Warnings sent to the message handler while `call` runs.
template <class Call>
Warnings CollectWarnings(Call call) {
    KaSystem::ErrorHandler().SetLevel(3);
    uint32_t before = KaSystem::ErrorHandler().Count(4);
    ::testing::internal::CaptureStderr();
    call();
    std::string text = ::testing::internal::GetCapturedStderr();
    return {KaSystem::ErrorHandler().Count(4) - before, text};
}

}  // namespace readers_test
