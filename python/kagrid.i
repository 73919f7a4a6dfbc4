// lumora.kagrid: the toolkit's scalar grids and grid files from Python.
//
// KaScalarGrid keeps the native setters' answers: a refused spacing, mid or
// dimension gives False (with the toolkit's warning where it has one) and
// leaves the grid as it was. Point access raises IndexError outside the grid.
%module(package="lumora") kagrid

%feature("kwargs");
%feature("autodoc", "0");

%include "kamol_convert.i"
%include "kamol_errors.i"

%{
#include <vector>

#include "grid/grid.h"
#include "grid/grid_io.h"

namespace KaPy {

inline uint64_t PointIndex(const KaSystem::KaScalarGrid& grid, long long i, long long j, long long k) {
    if (i >= grid.GetXDimension() || j >= grid.GetYDimension() || k >= grid.GetZDimension())
        throw std::out_of_range("grid point (" + std::to_string(i) + ", " + std::to_string(j) + ", " +
                                std::to_string(k) + ") lies outside the grid");
    return grid.Index(uint32_t(i), uint32_t(j), uint32_t(k));
}

// An unknown code would make the native reader send a fatal message that
// ends the process (while the handler is strict); Python gets ValueError.
inline bool ReadGridFile(const std::string& path, KaSystem::KaScalarGrid& grid, uint32_t format) {
    if (format < KaSystem::GRASP_GRID || format > KaSystem::ASCII_GRID)
        throw std::invalid_argument("unknown grid format code " + std::to_string(format));
    CheckReadable(path);
    return KaSystem::ReadGrid(path, grid, format);
}

inline bool WriteGridFile(const std::string& path, const KaSystem::KaScalarGrid& grid, uint32_t format) {
    // Formats without a writer are refused (with a warning) before the file is touched.
    if (format == KaSystem::GRASP_GRID || format == KaSystem::ASCII_GRID) CheckWritable(path);
    return KaSystem::WriteGrid(path, grid, format);
}

}  // namespace KaPy
%}

%nodefaultctor KaSystem::KaScalarGrid;

namespace KaSystem {

class KaScalarGrid {
public:
    bool SetSpacing(float spacing);
    bool SetXMid(float mid);
    bool SetYMid(float mid);
    bool SetZMid(float mid);
    bool SetMid(float x, float y, float z);
    bool SetDimensions(uint32_t x, uint32_t y, uint32_t z);
    bool SetXDimension(uint32_t n);
    bool SetYDimension(uint32_t n);
    bool SetZDimension(uint32_t n);
    void SetTitle(const std::string& title);

    uint32_t GetXDimension() const;
    uint32_t GetYDimension() const;
    uint32_t GetZDimension() const;
    float GetXMid() const;
    float GetYMid() const;
    float GetZMid() const;
    float GetSpacing() const;
    float GetInverseSpacing() const;
    bool HasSpacing() const;
    uint64_t GetSize() const;
    float GetXMin() const;
    float GetYMin() const;
    float GetZMin() const;
    float GetXMax() const;
    float GetYMax() const;
    float GetZMax() const;
    bool HasTitle() const;
    const std::string& GetTitle() const;
    void Clear();
};

%feature("docstring") KaScalarGrid::KaScalarGrid "An empty grid: no dimensions, no values, mid and spacing unset.";
%feature("docstring") KaScalarGrid::GetDimensions "The dimensions (x, y, z); (0, 0, 0) for a new grid.";
%feature("docstring") KaScalarGrid::GetMid "The mid (x, y, z), or None until all three axes have been set.";
%feature("docstring") KaScalarGrid::GetValue "The value at point (i, j, k); IndexError outside the grid.";
%feature("docstring") KaScalarGrid::SetValue "Sets the value at point (i, j, k); IndexError outside the grid.";
%feature("docstring") KaScalarGrid::SetValues "Replaces all values from an iterable of exactly GetSize() numbers.";

%extend KaScalarGrid {
    KaScalarGrid() { return new KaSystem::KaScalarGrid(); }
    ~KaScalarGrid() { delete $self; }

    PyObject* GetDimensions() const {
        return Py_BuildValue("(III)", $self->GetXDimension(), $self->GetYDimension(), $self->GetZDimension());
    }

    PyObject* GetMid() const {
        float x, y, z;
        if (!$self->GetMid(x, y, z)) Py_RETURN_NONE;
        return Py_BuildValue("(ddd)", double(x), double(y), double(z));
    }

    float GetValue(long long i, long long j, long long k) const {
        return $self->GetValues()[KaPy::PointIndex(*$self, i, j, k)];
    }

    void SetValue(long long i, long long j, long long k, float value) {
        $self->GetValues()[KaPy::PointIndex(*$self, i, j, k)] = value;
    }

    PyObject* _ValueBytes() const {
        const float* values = $self->GetValues();
        uint64_t bytes = values ? $self->GetSize() * sizeof(float) : 0;
        if (bytes > uint64_t(PY_SSIZE_T_MAX)) return PyErr_NoMemory();
        return PyBytes_FromStringAndSize(reinterpret_cast<const char*>(values), Py_ssize_t(bytes));
    }

    void SetValues(PyObject* values) {
        PyObject* iter = PyObject_GetIter(values);
        if (!iter) throw KaPy::PythonErrorSet();
        std::vector<float> fresh;
        fresh.reserve($self->GetSize());
        while (PyObject* item = PyIter_Next(iter)) {
            float value;
            bool ok = KaPy::AsFloat(item, "each grid value", &value);
            Py_DECREF(item);
            if (!ok) break;
            fresh.push_back(value);
        }
        Py_DECREF(iter);
        if (PyErr_Occurred()) throw KaPy::PythonErrorSet();
        if (fresh.size() != $self->GetSize())
            throw std::invalid_argument("the grid holds " + std::to_string($self->GetSize()) + " values, got " +
                                        std::to_string(fresh.size()));
        if (!fresh.empty()) std::copy(fresh.begin(), fresh.end(), $self->GetValues());
    }

    %pythoncode %{
        def GetValues(self):
            """All GetSize() values as array('f'), x fastest, then y, then z."""
            import array
            values = array.array("f")
            values.frombytes(self._ValueBytes())
            return values

        def __repr__(self):
            return "<KaScalarGrid %dx%dx%d spacing=%g title=%r>" % (
                self.GetDimensions() + (self.GetSpacing(), self.GetTitle()))
    %}
}

%feature("docstring") GridFormatName
"The name of a grid format code (1 GRASP, 2 GRD, 3 CCP4, 4 XPLOR, 5 ASCII);
\"UNDEFINED\" for any other code.";
const char* GridFormatName(uint32_t format);

}  // namespace KaSystem

%rename(ReadGrid) KaPy::ReadGridFile;
%rename(WriteGrid) KaPy::WriteGridFile;

%feature("docstring") KaPy::ReadGridFile
"Reads the file into the grid; False (after the toolkit's warnings) when its
content cannot be read as the format. GRD, CCP4 and XPLOR files have no
reader yet and always give False. OSError when the file cannot be opened,
ValueError for a code that names no grid format.";
%feature("docstring") KaPy::WriteGridFile
"Writes the grid as GRASP phimap (1, 65 x 65 x 65 grids only) or ASCII grid
(5); False with a warning for other formats or a grid the format cannot hold,
and then no file is left behind. OSError when the file cannot be created.";

namespace KaPy {
bool ReadGridFile(const std::string& path, KaSystem::KaScalarGrid& grid, uint32_t fmt);
bool WriteGridFile(const std::string& path, const KaSystem::KaScalarGrid& grid, uint32_t fmt);
}
