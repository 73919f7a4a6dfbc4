#include "grid/grid_io.h"

#include <cstdio>
#include <fstream>
#include <istream>
#include <ostream>

#include "system/message.h"

namespace KaSystem {

const char* GridFormatName(uint32_t format) {
    switch (format) {
        case GRASP_GRID: return "GRASP Grid";
        case GRD_GRID: return "Lumora Grid";
        case CCP4_MAP: return "CCP4 Map";
        case XPLOR_MAP: return "XPLOR Map";
        case ASCII_GRID: return "Ascii Grid";
        default: return "UNDEFINED";
    }
}

namespace {
bool IsKnownFormat(uint32_t format) { return format >= GRASP_GRID && format <= ASCII_GRID; }

void ReportUnreadableFormat() { Error("File does not contain a readable grid file"); }
}  // namespace

bool ReadGrid(std::istream& in, KaScalarGrid& grid, uint32_t format) {
    switch (format) {
        case GRASP_GRID:
            if (ReadGraspGrid(in, grid)) return true;
            WarningText("Problem reading Grasp grid file");
            return false;
        // GRD, CCP4 and XPLOR maps have no reader yet: they always fail.
        case GRD_GRID: WarningText("Problem reading GRD grid file"); return false;
        case CCP4_MAP: WarningText("Problem reading CCP4 grid file"); return false;
        case XPLOR_MAP: WarningText("Problem reading XPLOR grid file"); return false;
        case ASCII_GRID:
            if (ReadAsciiGrid(in, grid)) return true;
            WarningText("Problem reading Ascii grid file");
            return false;
        default: ReportUnreadableFormat(); return false;
    }
}

bool ReadGrid(const std::string& path, KaScalarGrid& grid, uint32_t format) {
    if (!IsKnownFormat(format)) {
        ReportUnreadableFormat();
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Warning("Unable to open grid file '%s'", path.c_str());
        return false;
    }
    return ReadGrid(in, grid, format);
}

bool WriteGrid(std::ostream& out, const KaScalarGrid& grid, uint32_t format) {
    switch (format) {
        case GRASP_GRID: return WriteGraspGrid(out, grid);
        case ASCII_GRID: return WriteAsciiGrid(out, grid);
        default:
            Warning("Writing %s files is not supported", GridFormatName(format));
            return false;
    }
}

bool WriteGrid(const std::string& path, const KaScalarGrid& grid, uint32_t format) {
    if (format != GRASP_GRID && format != ASCII_GRID) {
        Warning("Writing %s files is not supported", GridFormatName(format));
        return false;
    }
    bool written = false;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (!out) {
            Warning("Unable to open grid file '%s' for writing", path.c_str());
            return false;
        }
        written = WriteGrid(out, grid, format);
    }
    // A refused or broken write leaves no partial file behind.
    if (!written) std::remove(path.c_str());
    return written;
}

}  // namespace KaSystem
