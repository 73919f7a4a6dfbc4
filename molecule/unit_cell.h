// A periodic box: what a simulation frame's dimensions say about the space
// its atoms repeat in.
#pragma once

#include <array>
#include <string>

namespace Kamol {

// Edge lengths a, b, c in Å and the angles alpha (between b and c), beta
// (a and c) and gamma (a and b) in degrees, as trajectories give them.
struct UnitCell {
    double a = 0.0, b = 0.0, c = 0.0;
    double alpha = 90.0, beta = 90.0, gamma = 90.0;

    bool operator==(const UnitCell&) const = default;
};

// Empty when the cell describes a box; otherwise what is wrong with it: a
// length that is not positive and finite, an angle outside (0, 180), or
// three angles no box has (zero or negative volume).
std::string CellProblem(const UnitCell& cell);

// The box vectors as rows, in the orientation trajectories use: a along x,
// b in the xy plane, c completing the right-handed set. The matrix is lower
// triangular. Angles of exactly 90 degrees give exact zeros.
using CellVectors = std::array<std::array<double, 3>, 3>;
CellVectors BoxVectors(const UnitCell& cell);

}  // namespace Kamol
