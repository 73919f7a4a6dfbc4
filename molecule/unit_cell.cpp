#include "molecule/unit_cell.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace Kamol {

namespace {

// cos of an angle in degrees, exactly 0 at 90 so that rectangular boxes get
// exact zeros off the diagonal.
double CosDegrees(double degrees) {
    if (degrees == 90.0) return 0.0;
    return std::cos(degrees * std::numbers::pi / 180.0);
}

std::string Describe(const char* what, double value) {
    std::ostringstream text;
    text.precision(17);
    text << what << value;
    return text.str();
}

}  // namespace

std::string CellProblem(const UnitCell& cell) {
    const double lengths[3] = {cell.a, cell.b, cell.c};
    const char* lengthNames[3] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i)
        if (!(std::isfinite(lengths[i]) && lengths[i] > 0.0))
            return Describe((std::string("cell length ") + lengthNames[i] + " must be positive and finite, got ").c_str(),
                            lengths[i]);
    const double angles[3] = {cell.alpha, cell.beta, cell.gamma};
    const char* angleNames[3] = {"alpha", "beta", "gamma"};
    for (int i = 0; i < 3; ++i)
        if (!(angles[i] > 0.0 && angles[i] < 180.0))
            return Describe((std::string("cell angle ") + angleNames[i] + " must lie strictly between 0 and 180 degrees, got ")
                                .c_str(),
                            angles[i]);
    // The squared volume of the unit box with these angles.
    const double ca = CosDegrees(cell.alpha), cb = CosDegrees(cell.beta), cg = CosDegrees(cell.gamma);
    const double volume = 1.0 - ca * ca - cb * cb - cg * cg + 2.0 * ca * cb * cg;
    if (!(volume > 1e-12)) return "cell angles alpha, beta, gamma describe no box (zero or negative volume)";
    return {};
}

CellVectors BoxVectors(const UnitCell& cell) {
    const double ca = CosDegrees(cell.alpha), cb = CosDegrees(cell.beta), cg = CosDegrees(cell.gamma);
    const double sg = cell.gamma == 90.0 ? 1.0 : std::sin(cell.gamma * std::numbers::pi / 180.0);
    CellVectors box{};
    box[0] = {cell.a, 0.0, 0.0};
    box[1] = {cell.b * cg, cell.b * sg, 0.0};
    const double cx = cb;
    const double cy = (ca - cb * cg) / sg;
    const double cz = std::sqrt(std::max(0.0, 1.0 - cx * cx - cy * cy));
    box[2] = {cell.c * cx, cell.c * cy, cell.c * cz};
    return box;
}

}  // namespace Kamol
