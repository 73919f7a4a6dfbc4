#include "grid/grid.h"

#include <cmath>
#include <cstdint>

#include "system/message.h"

namespace KaSystem {

namespace {
const char* const kMidNaNWarnings[3] = {"SetXMid unable to handle NaN: %f",
                                        "SetYMid unable to handle NaN: %f",
                                        "SetZMid unable to handle NaN: %f"};
}  // namespace

bool KaGridBase::CheckSize(uint32_t x, uint32_t y, uint32_t z) {
    constexpr uint32_t kMax = UINT32_MAX;
    if (x != 0 && y != 0 && x > kMax / y) {
        Warning("Grid dimensions too large for memory size: %lu x %lu", static_cast<unsigned long>(x),
                static_cast<unsigned long>(y));
        return false;
    }
    uint32_t p = x * y;
    if (p == 0 || z == 0) return false;
    if (p > kMax / z) {
        Warning("Grid dimensions too large for memory size: %lu x %lu", static_cast<unsigned long>(p),
                static_cast<unsigned long>(z));
        return false;
    }
    return true;
}

bool KaGridBase::SetSpacing(float spacing) {
    if (std::isnan(spacing)) {
        Warning("SetSpacing unable to handle NaN: %f", static_cast<double>(spacing));
        return false;
    }
    if (spacing <= 0.0f) return false;
    spacing_ = spacing;
    inverseSpacing_ = 1.0f / spacing;
    spacingSet_ = true;
    for (int axis = 0; axis < 3; ++axis) UpdateBounds(axis);
    UpdateSize();
    return true;
}

bool KaGridBase::SetAxisMid(int axis, float mid) {
    if (std::isnan(mid)) {
        Warning(kMidNaNWarnings[axis], static_cast<double>(mid));
        return false;
    }
    mid_[axis] = mid;
    midSet_[axis] = true;
    UpdateBounds(axis);
    UpdateSize();
    return true;
}

bool KaGridBase::SetXMid(float mid) { return SetAxisMid(0, mid); }
bool KaGridBase::SetYMid(float mid) { return SetAxisMid(1, mid); }
bool KaGridBase::SetZMid(float mid) { return SetAxisMid(2, mid); }

bool KaGridBase::SetMid(float x, float y, float z) {
    bool okX = SetXMid(x);
    bool okY = SetYMid(y);
    bool okZ = SetZMid(z);
    return okX && okY && okZ;
}

bool KaGridBase::SetDimensions(uint32_t x, uint32_t y, uint32_t z) {
    if (x == 0 || y == 0 || z == 0) return false;
    if (x == dims_[0] && y == dims_[1] && z == dims_[2]) return true;
    if (!CheckSize(x, y, z)) return false;
    if (!ResizeValues(uint64_t(x) * y * z)) return false;
    dims_[0] = x;
    dims_[1] = y;
    dims_[2] = z;
    UpdateSize();
    for (int axis = 0; axis < 3; ++axis) UpdateBounds(axis);
    return true;
}

bool KaGridBase::SetAxisDimension(int axis, uint32_t n) {
    if (n == 0) return false;
    if (n == dims_[axis]) return true;
    uint32_t dims[3] = {dims_[0], dims_[1], dims_[2]};
    dims[axis] = n;
    if (!CheckSize(dims[0], dims[1], dims[2])) return false;
    if (!ResizeValues(uint64_t(dims[0]) * dims[1] * dims[2])) return false;
    dims_[axis] = n;
    UpdateSize();
    UpdateBounds(axis);
    return true;
}

bool KaGridBase::SetXDimension(uint32_t n) { return SetAxisDimension(0, n); }
bool KaGridBase::SetYDimension(uint32_t n) { return SetAxisDimension(1, n); }
bool KaGridBase::SetZDimension(uint32_t n) { return SetAxisDimension(2, n); }

bool KaGridBase::GetDimensions(uint32_t& x, uint32_t& y, uint32_t& z) const {
    x = dims_[0];
    y = dims_[1];
    z = dims_[2];
    return true;
}

bool KaGridBase::GetMid(float& x, float& y, float& z) const {
    x = mid_[0];
    y = mid_[1];
    z = mid_[2];
    return midSet_[0] && midSet_[1] && midSet_[2];
}

void KaGridBase::Clear() {
    ReleaseValues();
    title_.clear();
    for (int axis = 0; axis < 3; ++axis) {
        dims_[axis] = 0;
        mid_[axis] = 0.0f;
        midSet_[axis] = false;
        minBounds_[axis] = maxBounds_[axis] = 0.0f;
    }
    spacing_ = inverseSpacing_ = 1.0f;
    spacingSet_ = false;
    size_ = 0;
}

// Single precision throughout: (dimension * 0.5) * spacing either side of mid.
void KaGridBase::UpdateBounds(int axis) {
    float half = static_cast<float>(dims_[axis]) * 0.5f * spacing_;
    maxBounds_[axis] = mid_[axis] + half;
    minBounds_[axis] = mid_[axis] - half;
}

void KaGridBase::UpdateSize() { size_ = uint64_t(dims_[0]) * dims_[1] * dims_[2]; }

}  // namespace KaSystem
