// Structure-file read time per 100k atoms, for PDB and mmCIF, plain and
// gzipped, beside gemmi's own parse time of the same file, and the memory a
// read takes: the peak resident size of a fresh process reading the file, and
// what the molecule holds at rest, in bytes per atom. The files are made at
// run time: 1hpv (a protein dimer with an inhibitor and waters) and 3al1 (two
// chains with hydrogens, waters and ligands) are each tiled into a structure
// of about 100k atoms and written with gemmi.
#define USE_STD_SNPRINTF
#define GEMMI_WRITE_IMPLEMENTATION
// gemmi's writers trip GCC's buffer-size heuristics once inlined.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#pragma GCC diagnostic ignored "-Wrestrict"
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>
#include <gemmi/pdb.hpp>
#include <gemmi/polyheur.hpp>
#include <gemmi/to_cif.hpp>
#include <gemmi/to_mmcif.hpp>
#include <gemmi/to_pdb.hpp>
#pragma GCC diagnostic pop

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "molecule/format.h"
#include "molecule/io.h"

namespace {

constexpr size_t kTargetAtoms = 100000;
constexpr int kRuns = 7;

// Processor time of this process in milliseconds: steadier than wall time
// on a machine shared with other work.
double CpuMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Best of kRuns, in milliseconds of processor time.
template <class Work>
double BestMilliseconds(Work&& work) {
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        double start = CpuMilliseconds();
        work();
        best = std::min(best, CpuMilliseconds() - start);
    }
    return best;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A bundled structure; `columns` cuts its lines (1hpv's old line-number
// columns 73-80, which gemmi rejects).
gemmi::Structure LoadBase(const std::string& name, size_t columns) {
    std::istringstream lines(ReadText(std::string(KASELECT_DATA_DIR) + "/" + name + ".pdb"));
    std::string cleaned;
    for (std::string line; std::getline(lines, line);) cleaned += line.substr(0, columns) + "\n";
    return gemmi::read_pdb_string(cleaned, name);
}

// The whole of a gzip file, decompressed.
std::string ReadGzip(const std::string& path) {
    std::string text;
    gzFile in = gzopen(path.c_str(), "rb");
    if (!in) return text;
    char buffer[1 << 16];
    for (int got; (got = gzread(in, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(got));
    gzclose(in);
    return text;
}

void WriteGzip(const std::string& path, const std::string& text) {
    gzFile out = gzopen(path.c_str(), "wb6");
    gzwrite(out, text.data(), unsigned(text.size()));
    gzclose(out);
}

// gemmi's parse of one of the files, decompression included.
void GemmiRead(const std::string& path) {
    const bool gz = path.ends_with(".gz");
    const bool pdb = path.ends_with(".pdb") || path.ends_with(".pdb.gz");
    if (!gz) {
        gemmi::Structure st = pdb ? gemmi::read_pdb_file(path) : gemmi::make_structure(gemmi::cif::read_file(path));
        return;
    }
    std::string text = ReadGzip(path);
    gemmi::Structure st = pdb ? gemmi::read_pdb_string(text, path)
                              : gemmi::make_structure(gemmi::cif::read_memory(text.data(), text.size(), path.c_str()));
}

size_t CountAtoms(const gemmi::Model& model) {
    size_t n = 0;
    for (const gemmi::Chain& chain : model.chains)
        for (const gemmi::Residue& res : chain.residues) n += res.atoms.size();
    return n;
}

std::string ChainName(size_t n) {
    const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    return {digits[(n / 36) % 36], digits[n % 36]};
}

// Copies of the model side by side, each chain renamed, with the helices and
// sheets of every copy.
gemmi::Structure Tile(const gemmi::Structure& base) {
    size_t perCopy = CountAtoms(base.models[0]);
    size_t copies = (kTargetAtoms + perCopy - 1) / perCopy;
    gemmi::Structure tiled = base;
    tiled.models.erase(tiled.models.begin() + 1, tiled.models.end());
    tiled.models[0].chains.clear();
    tiled.helices.clear();
    tiled.sheets.clear();
    tiled.connections.clear();
    size_t chainIndex = 0;
    for (size_t copy = 0; copy < copies; ++copy) {
        gemmi::Position shift(60.0 * (copy % 4), 60.0 * ((copy / 4) % 4), 60.0 * (copy / 16));
        std::vector<std::pair<std::string, std::string>> renamed;
        for (gemmi::Chain chain : base.models[0].chains) {
            renamed.emplace_back(chain.name, ChainName(chainIndex++));
            chain.name = renamed.back().second;
            for (gemmi::Residue& res : chain.residues)
                for (gemmi::Atom& atom : res.atoms) atom.pos += shift;
            tiled.models[0].chains.push_back(std::move(chain));
        }
        auto rename = [&](gemmi::AtomAddress& address) {
            for (const auto& [from, to] : renamed)
                if (address.chain_name == from) {
                    address.chain_name = to;
                    return;
                }
        };
        for (gemmi::Helix helix : base.helices) {
            rename(helix.start);
            rename(helix.end);
            tiled.helices.push_back(helix);
        }
        for (gemmi::Sheet sheet : base.sheets) {
            sheet.name = std::to_string(copy) + sheet.name;
            for (gemmi::Sheet::Strand& strand : sheet.strands) {
                rename(strand.start);
                rename(strand.end);
            }
            tiled.sheets.push_back(sheet);
        }
    }
    tiled.entities.clear();
    gemmi::setup_entities(tiled);
    return tiled;
}

void Report(const char* label, size_t atoms, double gemmiMs, double oursMs) {
    double scale = 100000.0 / double(atoms);
    if (gemmiMs > 0)
        std::printf("%-22s %7zu atoms  gemmi %8.2f ms/100k atoms   kaselect %8.2f ms/100k atoms   ratio %.2f\n", label,
                    atoms, gemmiMs * scale, oursMs * scale, oursMs / gemmiMs);
    else
        std::printf("%-22s %7zu atoms  %-34s kaselect %8.2f ms/100k atoms\n", label, atoms, "", oursMs * scale);
}

// Resident size of this process now, in bytes.
double ResidentBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

double PeakResidentBytes() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) * 1024.0;
}

// Run as "bench_read --memory kaselect|gemmi FILE" in a fresh process: prints
// the peak resident size the read added, and (kaselect) what the molecule
// holds once read, then what it holds and the peak once its bonds are made,
// in bytes per atom.
int MeasureMemory(const std::string& reader, const std::string& path) {
    const double before = ResidentBytes();
    if (reader == "gemmi") {
        gemmi::Structure st = path.ends_with(".pdb") ? gemmi::read_pdb_file(path)
                                                     : gemmi::make_structure(gemmi::cif::read_file(path));
        std::printf("%.0f\n", (PeakResidentBytes() - before) / double(CountAtoms(st.models[0])));
        return 0;
    }
    auto mol = Kamol::ReadMolecule(path);
    malloc_trim(0);
    const double atoms = mol->NumAtoms();
    const double rest = ResidentBytes() - before;
    mol->NumBonds();  // bonds are perceived on first use
    malloc_trim(0);
    std::printf("%.0f %.0f %.0f %.0f\n", (PeakResidentBytes() - before) / atoms, rest / atoms,
                (ResidentBytes() - before) / atoms, (PeakResidentBytes() - before) / atoms);
    return 0;
}

// The memory figures of a read, from a fresh process each.
std::string MemoryReport(const std::string& path) {
    std::string self(4096, '\0');
    ssize_t length = readlink("/proc/self/exe", self.data(), self.size());
    self.resize(length > 0 ? size_t(length) : 0);
    auto run = [&](const char* reader) {
        std::string command = "'" + self + "' --memory " + std::string(reader) + " '" + path + "'";
        std::string text;
        if (std::FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[128];
            while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
            pclose(pipe);
        }
        return text;
    };
    double peak = 0, rest = 0, bonded = 0, bondedPeak = 0, gemmiPeak = 0;
    std::sscanf(run("kaselect").c_str(), "%lf %lf %lf %lf", &peak, &rest, &bonded, &bondedPeak);
    std::sscanf(run("gemmi").c_str(), "%lf", &gemmiPeak);
    char line[200];
    std::snprintf(line, sizeof line,
                  "peak %4.0f, at rest %4.0f; bonds made: %4.0f, peak %4.0f B/atom (gemmi's structure: peak %4.0f)",
                  peak, rest, bonded, bondedPeak, gemmiPeak);
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--memory") return MeasureMemory(argv[2], argv[3]);
    std::string pattern = (std::filesystem::temp_directory_path() / "kaselect-bench-read-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path dir = pattern;

    const std::string original = std::string(KASELECT_DATA_DIR) + "/1hpv.pdb";
    double oursOriginal = BestMilliseconds([&] { Kamol::ReadMolecule(original); });
    std::printf("Read time in processor time, best of %d runs, the result freed included (gemmi: parse into its\n"
                "structure, decompression included; kaselect: read into a molecule with residue records,\n"
                "secondary structure and bonds)\n",
                kRuns);
    Report("1hpv.pdb (as bundled)", Kamol::ReadMolecule(original)->NumAtoms(), 0, oursOriginal);

    std::vector<std::pair<std::string, std::string>> memoryRows;
    for (const auto& [name, columns] : {std::pair<std::string, size_t>{"1hpv", 72}, {"3al1", 80}}) {
        gemmi::Structure tiled = Tile(LoadBase(name, columns));
        const size_t atoms = CountAtoms(tiled.models[0]);
        const std::string pdb = (dir / (name + ".pdb")).string(), cif = (dir / (name + ".cif")).string();
        {
            std::ofstream out(pdb);
            gemmi::write_pdb(tiled, out);
        }
        {
            std::ofstream out(cif);
            gemmi::cif::write_cif_to_stream(out, gemmi::make_mmcif_document(tiled));
        }
        WriteGzip(pdb + ".gz", ReadText(pdb));
        WriteGzip(cif + ".gz", ReadText(cif));
        for (const std::string& path : {pdb, pdb + ".gz", cif, cif + ".gz"}) {
            size_t readAtoms = Kamol::ReadMolecule(path)->NumAtoms();
            if (readAtoms != atoms) {
                std::fprintf(stderr, "read %zu atoms from %s, expected %zu\n", readAtoms, path.c_str(), atoms);
                std::filesystem::remove_all(dir);
                return 1;
            }
            double gemmiMs = BestMilliseconds([&] { GemmiRead(path); });
            double oursMs = BestMilliseconds([&] { Kamol::ReadMolecule(path); });
            const std::string file = std::filesystem::path(path).filename().string();
            const std::string kind = file.find(".pdb") != std::string::npos ? "PDB" : "mmCIF";
            const std::string label = kind + (path.ends_with(".gz") ? ".gz, " : ", ") + name + " tiled";
            Report(label.c_str(), atoms, gemmiMs, oursMs);
        }
        memoryRows.emplace_back("PDB, " + name + " tiled", MemoryReport(pdb));
        memoryRows.emplace_back("mmCIF, " + name + " tiled", MemoryReport(cif));
    }
    std::printf("Memory of a read in a fresh process, bytes per atom: the peak resident size added by the read, the\n"
                "molecule at rest, then at rest and the peak so far once its bonds are made on first use:\n");
    for (const auto& [label, text] : memoryRows) std::printf("%-22s %s\n", label.c_str(), text.c_str());
    std::filesystem::remove_all(dir);
    return 0;
}
