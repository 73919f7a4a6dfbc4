// The grid record: a regular cubic lattice of values placed in space by its
// centre ("mid"), one spacing for all three axes and three dimensions.
//
// Class chain: KaScalarGrid : KaGrid<float> : KaFixedGrid<float> : KaGridBase
//              : KaGridAbstractBase : KaBase.
// KaGridBase keeps the geometry and validates every change of it; KaGrid<T>
// owns the value array, point (i, j, k) at index i + dimX * (j + dimY * k).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "system/base.h"

namespace KaSystem {

// What the geometry needs from whoever stores the values.
class KaGridAbstractBase : public KaBase {
public:
    ~KaGridAbstractBase() override = default;

protected:
    // Replaces the value array by `count` zero values; false (and the old
    // array kept) when the memory cannot be had.
    virtual bool ResizeValues(uint64_t count) = 0;
    virtual void ReleaseValues() = 0;
};

class KaGridBase : public KaGridAbstractBase {
public:
    // Spacing: s NaN warns "SetSpacing unable to handle NaN: %f"; s <= 0 is
    // refused silently. Otherwise stores s and 1/s and updates the bounds.
    // The values are not touched.
    bool SetSpacing(float spacing);
    // A NaN mid warns "Set?Mid unable to handle NaN: %f" and leaves that axis.
    bool SetXMid(float mid);
    bool SetYMid(float mid);
    bool SetZMid(float mid);
    // Sets all three axes whatever each one returns; true when all succeeded.
    bool SetMid(float x, float y, float z);
    // A zero dimension is refused; the current dimensions keep the values;
    // dimensions whose product does not fit in 32 bits are refused with
    // "Grid dimensions too large for memory size: %lu x %lu". Any accepted
    // change resizes the value array to zeros.
    bool SetDimensions(uint32_t x, uint32_t y, uint32_t z);
    bool SetXDimension(uint32_t n);
    bool SetYDimension(uint32_t n);
    bool SetZDimension(uint32_t n);
    void SetTitle(const std::string& title) { title_ = title; }

    bool GetDimensions(uint32_t& x, uint32_t& y, uint32_t& z) const;
    uint32_t GetXDimension() const { return dims_[0]; }
    uint32_t GetYDimension() const { return dims_[1]; }
    uint32_t GetZDimension() const { return dims_[2]; }
    // True only when all three mid values have been set.
    bool GetMid(float& x, float& y, float& z) const;
    float GetXMid() const { return mid_[0]; }
    float GetYMid() const { return mid_[1]; }
    float GetZMid() const { return mid_[2]; }
    float GetSpacing() const { return spacing_; }
    float GetInverseSpacing() const { return inverseSpacing_; }
    bool HasSpacing() const { return spacingSet_; }
    // Number of values: dimX * dimY * dimZ.
    uint64_t GetSize() const { return size_; }
    // Bounds per axis: mid -/+ dimension * 0.5 * spacing.
    float GetXMin() const { return minBounds_[0]; }
    float GetYMin() const { return minBounds_[1]; }
    float GetZMin() const { return minBounds_[2]; }
    float GetXMax() const { return maxBounds_[0]; }
    float GetYMax() const { return maxBounds_[1]; }
    float GetZMax() const { return maxBounds_[2]; }
    bool HasTitle() const { return !title_.empty(); }
    const std::string& GetTitle() const { return title_; }

    // Back to the state of a new grid: no title, no dimensions, no values,
    // mid and spacing unset.
    void Clear();

    // The size check of SetDimensions: whether x * y * z is non-zero and
    // fits in 32 bits; warns when the product is too large.
    static bool CheckSize(uint32_t x, uint32_t y, uint32_t z);

protected:
    KaGridBase() = default;
    KaGridBase(const KaGridBase&) = default;
    KaGridBase& operator=(const KaGridBase&) = default;

private:
    bool SetAxisMid(int axis, float mid);
    bool SetAxisDimension(int axis, uint32_t n);
    void UpdateBounds(int axis);
    void UpdateSize();

    std::string title_;
    uint32_t dims_[3] = {0, 0, 0};
    float mid_[3] = {0.0f, 0.0f, 0.0f};
    float spacing_ = 1.0f;
    float inverseSpacing_ = 1.0f;
    bool midSet_[3] = {false, false, false};
    bool spacingSet_ = false;
    float maxBounds_[3] = {0.0f, 0.0f, 0.0f};
    float minBounds_[3] = {0.0f, 0.0f, 0.0f};
    uint64_t size_ = 0;
};

// A grid whose every point holds one value of type T.
template <class T>
class KaFixedGrid : public KaGridBase {
public:
    using ValueType = T;
    // Index of point (i, j, k) in the value array: x fastest, then y, then z.
    uint64_t Index(uint32_t i, uint32_t j, uint32_t k) const {
        return i + uint64_t(GetXDimension()) * (j + uint64_t(GetYDimension()) * k);
    }
    bool Contains(uint32_t i, uint32_t j, uint32_t k) const {
        return i < GetXDimension() && j < GetYDimension() && k < GetZDimension();
    }

protected:
    KaFixedGrid() = default;
    KaFixedGrid(const KaFixedGrid&) = default;
    KaFixedGrid& operator=(const KaFixedGrid&) = default;
};

// A grid that owns its array of GetSize() values.
template <class T>
class KaGrid : public KaFixedGrid<T> {
public:
    KaGrid() = default;
    KaGrid(const KaGrid& other) : KaFixedGrid<T>(other), values_(CopyValues(other)) {}
    KaGrid& operator=(const KaGrid& other) {
        if (this != &other) {
            T* copied = CopyValues(other);  // may throw: nothing is changed yet
            ReleaseValues();
            KaFixedGrid<T>::operator=(other);
            values_ = copied;
        }
        return *this;
    }
    ~KaGrid() override { ReleaseValues(); }

    // The GetSize() values; null while the grid has no dimensions.
    T* GetValues() { return values_; }
    const T* GetValues() const { return values_; }

    // Checked access; out of range reads 0 and writes fail.
    T GetValue(uint32_t i, uint32_t j, uint32_t k) const {
        return this->Contains(i, j, k) ? values_[this->Index(i, j, k)] : T();
    }
    bool SetValue(uint32_t i, uint32_t j, uint32_t k, T value) {
        if (!this->Contains(i, j, k)) return false;
        values_[this->Index(i, j, k)] = value;
        return true;
    }

protected:
    // calloc hands out large arrays as untouched zero pages, so a big grid
    // costs memory only where values are written.
    bool ResizeValues(uint64_t count) override {
        if (count > SIZE_MAX / sizeof(T)) return false;
        T* fresh = count ? static_cast<T*>(std::calloc(count, sizeof(T))) : nullptr;
        if (count && !fresh) return false;
        ReleaseValues();
        values_ = fresh;
        return true;
    }
    void ReleaseValues() override {
        std::free(values_);
        values_ = nullptr;
    }

private:
    static T* CopyValues(const KaGrid& other) {
        const uint64_t count = other.GetSize();
        if (!other.values_ || count == 0) return nullptr;
        T* copied = static_cast<T*>(std::malloc(count * sizeof(T)));
        if (!copied) throw std::bad_alloc();
        std::memcpy(copied, other.values_, count * sizeof(T));
        return copied;
    }

    T* values_ = nullptr;
};

// The toolkit's single-precision scalar field (density, potential, ...).
class KaScalarGrid : public KaGrid<float> {
public:
    KaScalarGrid() = default;
};

}  // namespace KaSystem
