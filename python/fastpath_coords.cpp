// Coordinates in bulk and per-atom columns for NumPy: one native call per
// molecule, whatever its size. The package side (kaselect.arrays) allocates
// and checks the arrays it passes in as bytes.
#include <cfloat>
#include <cmath>
#include <cstring>

#include "fastpath.h"

namespace fastpath {

namespace {

bool RowsMatch(const Kamol::KaMolBase& mol, Py_ssize_t rows) {
    if (rows == Py_ssize_t(mol.NumAtoms())) return true;
    PyErr_Format(PyExc_ValueError, "coordinates must have one row per atom (%u), got %zd rows", mol.NumAtoms(), rows);
    return false;
}

// Values of a per-index column for the live atoms, in storage order, as a bytearray.
template <class T, class Get>
PyObject* Gathered(const std::vector<uint32_t>& live, Get&& get) {
    PyObject* out = PyByteArray_FromStringAndSize(nullptr, Py_ssize_t(live.size() * sizeof(T)));
    if (!out) return nullptr;
    T* values = reinterpret_cast<T*>(PyByteArray_AsString(out));
    for (size_t i = 0; i < live.size(); ++i) values[i] = get(live[i]);
    return out;
}

// (texts, ids): the distinct texts of a text column and a uint32 id per live atom.
PyObject* TextColumn(const std::vector<uint32_t>& live, const Kamol::KaTextTable& table,
                     const std::vector<uint32_t>& ids) {
    PyObject* texts = StringList(table.Texts());
    PyObject* perAtom = texts ? Gathered<uint32_t>(live, [&](uint32_t i) { return ids[i]; }) : nullptr;
    PyObject* pair = perAtom ? PyTuple_Pack(2, texts, perAtom) : nullptr;
    Py_XDECREF(texts);
    Py_XDECREF(perAtom);
    return pair;
}

// The same for a one-character column: each distinct byte is one text.
PyObject* CharColumn(const std::vector<uint32_t>& live, const std::vector<char>& chars) {
    int idOf[256];
    std::fill(std::begin(idOf), std::end(idOf), -1);
    std::vector<std::string> texts;
    std::vector<uint32_t> ids(chars.size());
    for (uint32_t index : live) {
        const unsigned char c = static_cast<unsigned char>(chars[index]);
        if (idOf[c] < 0) {
            idOf[c] = int(texts.size());
            texts.emplace_back(1, char(c));
        }
        ids[index] = uint32_t(idOf[c]);
    }
    Kamol::KaTextTable table;
    for (const std::string& text : texts) table.Id(text);
    return TextColumn(live, table, ids);
}

bool Put(PyObject* dict, const char* key, PyObject* value) {
    if (!value) return false;
    const bool ok = PyDict_SetItemString(dict, key, value) == 0;
    Py_DECREF(value);
    return ok;
}

}  // namespace

// coords(mol) -> bytearray of the live atoms' coordinates in storage order,
// x, y, z per atom as native float32.
PyObject* Coords(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    if (!mol) return nullptr;
    const size_t rows = mol->NumAtoms();
    PyObject* result = PyByteArray_FromStringAndSize(nullptr, Py_ssize_t(rows * 3 * sizeof(float)));
    if (!result) return nullptr;
    float* out = reinterpret_cast<float*>(PyByteArray_AsString(result));
    const std::vector<float>& table = mol->CoordTable();
    if (rows == mol->IndexLimit()) {
        if (rows) std::memcpy(out, table.data(), rows * 3 * sizeof(float));
    } else {
        for (uint32_t index : mol->Columns().live) {
            std::memcpy(out, table.data() + size_t(index) * 3, 3 * sizeof(float));
            out += 3;
        }
    }
    return result;
}

// set_coords(mol, data, rows, is_double): sets the coordinates of every live
// atom from `rows` x 3 C-ordered float32 (or float64) values in `data`.
// Finite values beyond the range of a 32-bit float are refused, as by
// KaMolBase.SetCoords, and then nothing changes.
PyObject* SetCoords(PyObject*, PyObject* args) {
    PyObject *molObj, *dataObj;
    Py_ssize_t rows;
    int isDouble;
    if (!PyArg_ParseTuple(args, "OOnp", &molObj, &dataObj, &rows, &isDouble)) return nullptr;
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    if (!mol || !RowsMatch(*mol, rows)) return nullptr;
    const size_t count = size_t(rows) * 3;
    const char* data = nullptr;
    if (!BytesOf(dataObj, Py_ssize_t(count * (isDouble ? sizeof(double) : sizeof(float))), "coordinate data", &data))
        return nullptr;
    if (!isDouble) {
        // The contents of bytes objects are aligned for any scalar type.
        mol->SetLiveCoords(reinterpret_cast<const float*>(data), count);
        Py_RETURN_NONE;
    }
    std::vector<float> values(count);
    {
        for (size_t i = 0; i < count; ++i) {
            double v;
            std::memcpy(&v, data + i * sizeof(double), sizeof(double));
            if (std::isfinite(v) && std::fabs(v) > FLT_MAX) {
                PyObject* value = PyFloat_FromDouble(v);
                PyErr_Format(PyExc_ValueError,
                             "coordinate at row %zu, column %zu is out of range for a 32-bit float, got %R", i / 3,
                             i % 3, value);
                Py_XDECREF(value);
                return nullptr;
            }
            values[i] = static_cast<float>(v);
        }
    }
    mol->SetLiveCoords(values);
    Py_RETURN_NONE;
}

// columns(mol) -> dict: for the live atoms in storage order, numeric columns
// as bytearrays of native values ("index", "element" uint32; "resid",
// "serial" int32; "bfactor", "occupancy" float32; "hetatm" bool;
// "secondary" uint32, the secondary-structure flag word) and text
// columns ("name", "resname", "chain", "icode", "altloc") as (texts, ids).
PyObject* Columns(PyObject*, PyObject* arg) {
    Kamol::KaMolBase* mol = MoleculeFromObject(arg);
    if (!mol) return nullptr;
    const Kamol::KaAtomColumns& c = mol->Columns();
    const std::vector<uint32_t>& live = c.live;
    PyObject* dict = PyDict_New();
    const bool ok =
        dict && Put(dict, "index", Gathered<uint32_t>(live, [](uint32_t i) { return i; })) &&
        Put(dict, "name", TextColumn(live, c.atomNames, c.nameIds)) &&
        Put(dict, "resname", TextColumn(live, c.residueNames, c.residueNameIds)) &&
        Put(dict, "resid", Gathered<int32_t>(live, [&](uint32_t i) { return c.residueNumbers[i]; })) &&
        Put(dict, "icode", CharColumn(live, c.insertCodes)) &&
        Put(dict, "chain", TextColumn(live, c.chainIds, c.chainIdIds)) &&
        Put(dict, "altloc", CharColumn(live, c.alternateLocations)) &&
        Put(dict, "element", Gathered<uint32_t>(live, [&](uint32_t i) { return c.atomicNums[i]; })) &&
        Put(dict, "serial", Gathered<int32_t>(live, [&](uint32_t i) { return c.serialNumbers[i]; })) &&
        Put(dict, "bfactor", Gathered<float>(live, [&](uint32_t i) { return c.bFactors[i]; })) &&
        Put(dict, "occupancy", Gathered<float>(live, [&](uint32_t i) { return c.occupancies[i]; })) &&
        Put(dict, "hetatm", Gathered<bool>(live, [&](uint32_t i) { return c.hetAtoms[i] != 0; })) &&
        Put(dict, "secondary", Gathered<uint32_t>(live, [&](uint32_t i) { return c.secondaryStructures[i]; }));
    if (!ok) {
        Py_XDECREF(dict);
        return nullptr;
    }
    return dict;
}

}  // namespace fastpath
