// Grid files: format codes and names, the read dispatcher and the readers and
// writers of the ASCII grid and the GRASP phimap.
//
// Readers fill an existing grid and report faults as warnings through the
// toolkit's message handler; they never throw on bad input.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "grid/grid.h"

namespace KaSystem {

enum GridFormat : uint32_t {
    GRASP_GRID = 1,  // GRASP potential map (phimap)
    GRD_GRID = 2,    // the toolkit's own GRD format: not supported yet
    CCP4_MAP = 3,    // not supported yet
    XPLOR_MAP = 4,   // not supported yet
    ASCII_GRID = 5,
};

// "GRASP Grid", "Lumora Grid", "CCP4 Map", "XPLOR Map", "Ascii Grid";
// "UNDEFINED" for any other code.
const char* GridFormatName(uint32_t format);

// Reads a grid of the given format. A failed read warns "Problem reading
// <Grasp|GRD|CCP4|XPLOR|Ascii> grid file" after the reader's own warnings
// (GRD, CCP4 and XPLOR always fail). An unknown code sends the error "File
// does not contain a readable grid file", which ends the process while the
// handler is strict.
bool ReadGrid(std::istream& in, KaScalarGrid& grid, uint32_t format);
// The same on a file; a file that cannot be opened warns and gives false.
bool ReadGrid(const std::string& path, KaScalarGrid& grid, uint32_t format);

// Writes GRASP_GRID or ASCII_GRID; other codes warn and give false.
bool WriteGrid(std::ostream& out, const KaScalarGrid& grid, uint32_t format);
bool WriteGrid(const std::string& path, const KaScalarGrid& grid, uint32_t format);

// ASCII grid: five header lines ("Title:", "Mid:", "Dim:", "Spacing:",
// "Values:") and one value per line, x fastest.
bool ReadAsciiGrid(std::istream& in, KaScalarGrid& grid);
bool WriteAsciiGrid(std::ostream& out, const KaScalarGrid& grid);

// GRASP phimap: five big-endian Fortran unformatted records holding a
// 65 x 65 x 65 grid, its scale (1 / spacing) and mid. The reader fails on a
// file that ends early or whose text records have no usable length; the
// writer refuses a grid of other dimensions.
constexpr uint32_t kGraspGridPoints = 65;
bool ReadGraspGrid(std::istream& in, KaScalarGrid& grid);
bool WriteGraspGrid(std::ostream& out, const KaScalarGrid& grid);

}  // namespace KaSystem
