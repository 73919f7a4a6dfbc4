// Building a molecule from column buffers (kaselect.from_arrays and the
// converters built on it) through the molecule's public operations: one new
// atom per row, its name, element, residue record and coordinates, then the
// bonds. The package side checks lengths and types and passes each column as
// (bytes, kind, width); this side checks sizes and values.
#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <string_view>
#include <tuple>
#include <unordered_map>

#include "fastpath.h"
#include "molecule/elements.h"
#include "molecule/perceive_bonds.h"
#include "molecule/residue.h"
#include "molecule/segments.h"

namespace fastpath {

namespace {

// A column as the package passes it: (bytes, kind, width) with kind "f4",
// "f8", "i4", "u4", "b1" (`width` values per row: 3 for coordinates, else 1),
// or "U"/"S": fixed-width text of `width` code points (UCS-4) or bytes per
// row, NUL-padded.
struct Column {
    const char* name = nullptr;
    const void* data = nullptr;
    std::string kind;
    Py_ssize_t width = 0;
    bool IsText() const { return kind == "U" || kind == "S"; }
};

Py_ssize_t ItemSize(const std::string& kind) {
    if (kind == "f8") return 8;
    if (kind == "b1" || kind == "S") return 1;
    if (kind == "f4" || kind == "i4" || kind == "u4" || kind == "U") return 4;
    return 0;
}

bool GetColumn(PyObject* columns, const char* name, Py_ssize_t rows, Column& column) {
    column.name = name;
    PyObject* entry = PyDict_GetItemString(columns, name);  // borrowed
    if (!entry) return true;
    PyObject* bytes;
    const char* kind;
    if (!PyArg_ParseTuple(entry, "Osn", &bytes, &kind, &column.width)) return false;
    column.kind = kind;
    const Py_ssize_t itemSize = ItemSize(column.kind);
    if (itemSize == 0 || column.width < 0) {
        PyErr_Format(PyExc_ValueError, "column %s: unknown kind %s", name, kind);
        return false;
    }
    const char* data = nullptr;
    if (!BytesOf(bytes, rows * column.width * itemSize, name, &data)) return false;
    column.data = data;
    return true;
}

// Appends code point `c` as UTF-8; the lone surrogates U+DC80..U+DCFF stand
// for the raw bytes 0x80..0xFF, as everywhere in the binding.
void AppendUtf8(std::string& out, uint32_t c) {
    if (c >= 0xDC80 && c <= 0xDCFF) {
        out += char(c - 0xDC00);
    } else if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The text of row `row` of a text column, trailing NULs dropped.
void TextAt(const Column& column, size_t row, std::string& out) {
    out.clear();
    if (column.kind == "S") {
        const char* at = static_cast<const char*>(column.data) + row * size_t(column.width);
        size_t length = size_t(column.width);
        while (length > 0 && at[length - 1] == '\0') --length;
        out.assign(at, length);
        return;
    }
    const uint32_t* at = static_cast<const uint32_t*>(column.data) + row * size_t(column.width);
    size_t length = size_t(column.width);
    while (length > 0 && at[length - 1] == 0) --length;
    for (size_t i = 0; i < length; ++i) AppendUtf8(out, at[i]);
}

template <class T>
T ValueAt(const Column& column, size_t row) {
    return static_cast<const T*>(column.data)[row];
}

// One character of an insert code or alternate location column: blank when
// the text is empty; more than one byte is refused.
bool CharAt(const Column& column, size_t row, std::string& scratch, char& out) {
    TextAt(column, row, scratch);
    if (scratch.size() > 1) {
        PyErr_Format(PyExc_ValueError, "%s must hold one character per atom, row %zu holds %zu bytes", column.name, row,
                     scratch.size());
        return false;
    }
    out = scratch.empty() ? ' ' : scratch[0];
    return true;
}

// The element of an atom known only by name: an ion named as force fields
// name it (`ion` is the IonResidueElement of its residue: NA in NA, SOD in
// SOD, CLA in CLA), or a name that is itself a two-letter element symbol and
// also names its residue (HG in HG); otherwise the first letter after
// leading digits (HG1 is hydrogen, 1HB hydrogen, CA carbon).
uint32_t ElementFromName(std::string_view name, std::string_view residueName, uint32_t ion) {
    if (ion != 0 && Kamol::IsIonAtom(ion, residueName, name)) return ion;
    if (name.size() == 2 && name == residueName)
        if (uint32_t z = Kamol::GetAtomicNumFromSymbol(std::string(name).c_str())) return z;
    size_t first = 0;
    while (first < name.size() && std::isdigit(static_cast<unsigned char>(name[first]))) ++first;
    if (first == name.size()) return 0;
    const char symbol[2] = {name[first], '\0'};
    return Kamol::GetAtomicNumFromSymbol(symbol);
}

// Atomic number of an element symbol, cached per distinct text.
class ElementSymbols {
public:
    uint32_t Of(const std::string& symbol) {
        auto it = known_.find(symbol);
        if (it != known_.end()) return it->second;
        return known_[symbol] = Kamol::GetAtomicNumFromSymbol(symbol.c_str());
    }

private:
    std::unordered_map<std::string, uint32_t> known_;
};

struct Bonds {
    const int64_t* ends = nullptr;  // two row numbers per bond
    const int32_t* orders = nullptr;
    Py_ssize_t count = 0;
};

// `obj` is None or (bytes of int64 row pairs, count, bytes of int32 orders or None).
bool GetBonds(PyObject* obj, Py_ssize_t rows, Bonds& bonds) {
    if (obj == Py_None) return true;
    PyObject *endsObj, *ordersObj;
    if (!PyArg_ParseTuple(obj, "OnO", &endsObj, &bonds.count, &ordersObj)) return false;
    const char* data = nullptr;
    if (bonds.count < 0 || !BytesOf(endsObj, bonds.count * 2 * Py_ssize_t(sizeof(int64_t)), "bonds", &data))
        return false;
    bonds.ends = reinterpret_cast<const int64_t*>(data);
    if (ordersObj != Py_None) {
        if (!BytesOf(ordersObj, bonds.count * Py_ssize_t(sizeof(int32_t)), "bond orders", &data)) return false;
        bonds.orders = reinterpret_cast<const int32_t*>(data);
    }
    for (Py_ssize_t k = 0; k < bonds.count; ++k) {
        const int64_t a = bonds.ends[2 * k], b = bonds.ends[2 * k + 1];
        if (a < 0 || b < 0 || a >= rows || b >= rows) {
            PyErr_Format(PyExc_ValueError, "bond %zd joins rows %lld and %lld, but there are %zd atoms", k, (long long)a,
                         (long long)b, rows);
            return false;
        }
        if (a == b) {
            PyErr_Format(PyExc_ValueError, "bond %zd joins row %lld to itself", k, (long long)a);
            return false;
        }
        if (bonds.orders && bonds.orders[k] < 0) {
            PyErr_Format(PyExc_ValueError, "bond %zd has a negative order", k);
            return false;
        }
    }
    return true;
}

}  // namespace

// build(mol, rows, columns, bonds, perceive): fills the empty molecule `mol`
// with `rows` atoms, row k becoming atom index k. `columns` maps "coords" (f4
// or f8, 3 per row), "names", "resnames", "chains", "icodes", "altlocs",
// "elements" (text or u4), "resids", "serials" (i4), "bfactors",
// "occupancies" (f4), "hetatm" (b1), "secondary" (u4, the flag word),
// "segments" (text; segments sharing a chain get chains of their own,
// SeparateSegmentChains) to (bytes, kind, width). Atoms get a residue record when any residue field is
// given. `bonds` is None or (bytes of int64 row pairs,
// count, bytes of int32 orders or None). With `perceive`, single bonds are
// then perceived from distances as the PDB reader does, the atoms of the
// given bonds keeping theirs as they stand (as atoms of CONECT records do).
PyObject* Build(PyObject*, PyObject* args) {
    PyObject *molObj, *columns, *bondsObj;
    Py_ssize_t rows;
    int perceive = 0;
    if (!PyArg_ParseTuple(args, "OnO!Op", &molObj, &rows, &PyDict_Type, &columns, &bondsObj, &perceive)) return nullptr;
    if (rows < 0) {
        PyErr_SetString(PyExc_ValueError, "the number of rows must not be negative");
        return nullptr;
    }
    Kamol::KaMolBase* mol = MoleculeFromObject(molObj);
    if (!mol) return nullptr;
    if (mol->IndexLimit() != 0) {
        PyErr_SetString(PyExc_ValueError, "the molecule to fill must be empty");
        return nullptr;
    }
    Column coords, name, resname, chain, icode, altloc, element, resid, serial, bfactor, occupancy, hetatm, secondary,
        segment;
    // Each column with the kinds it may take.
    const std::tuple<const char*, Column*, std::vector<std::string>> wanted[] = {
        {"coords", &coords, {"f4", "f8"}},        {"names", &name, {"U", "S"}},     {"resnames", &resname, {"U", "S"}},
        {"chains", &chain, {"U", "S"}},           {"icodes", &icode, {"U", "S"}},   {"altlocs", &altloc, {"U", "S"}},
        {"elements", &element, {"U", "S", "u4"}}, {"resids", &resid, {"i4"}},       {"serials", &serial, {"i4"}},
        {"bfactors", &bfactor, {"f4"}},           {"occupancies", &occupancy, {"f4"}}, {"hetatm", &hetatm, {"b1"}},
        {"secondary", &secondary, {"u4"}},       {"segments", &segment, {"U", "S"}}};
    for (const auto& [key, column, kinds] : wanted) {
        if (!GetColumn(columns, key, rows, *column)) return nullptr;
        if (column->data && std::find(kinds.begin(), kinds.end(), column->kind) == kinds.end()) {
            PyErr_Format(PyExc_ValueError, "column %s cannot be of kind %s", key, column->kind.c_str());
            return nullptr;
        }
    }
    Bonds bonds;
    if (!GetBonds(bondsObj, rows, bonds)) return nullptr;

    // Values are checked before the molecule changes.
    std::string scratch;
    if (coords.data && coords.width != 3) {
        PyErr_SetString(PyExc_ValueError, "coordinates must have 3 values per row");
        return nullptr;
    }
    if (coords.data && coords.kind == "f8") {  // float32 values are in range by type
        for (size_t i = 0; i < size_t(rows) * 3; ++i) {
            const double v = ValueAt<double>(coords, i);
            if (std::isfinite(v) && std::fabs(v) > FLT_MAX) {
                PyErr_Format(PyExc_ValueError, "coordinate at row %zu, column %zu is out of range for a 32-bit float",
                             i / 3, i % 3);
                return nullptr;
            }
        }
    }
    for (const Column* column : {&icode, &altloc}) {
        char c;
        for (Py_ssize_t row = 0; column->data && row < rows; ++row)
            if (!CharAt(*column, size_t(row), scratch, c)) return nullptr;
    }

    const bool withResidue = resname.data || chain.data || icode.data || altloc.data || resid.data || serial.data ||
                             bfactor.data || occupancy.data || hetatm.data || secondary.data || segment.data;
    const bool doubleCoords = coords.kind == "f8";
    const bool elementSymbols = element.IsText();
    bool ok = Guarded([&] {
        ElementSymbols symbols;
        std::string ionResidue;  // the residue name `ion` was looked up for
        uint32_t ion = 0;
        std::vector<Kamol::SegmentRun> runs;  // with segments: runs of one chain key and segment
        Kamol::KaResidue record;
        std::string atomName;
        std::vector<float> xyz(size_t(rows) * 3, 0.0f);
        for (size_t row = 0; row < size_t(rows); ++row) {
            if (name.data) TextAt(name, row, atomName);
            if (resname.data) TextAt(resname, row, record.residueName);
            uint32_t z = 0;
            if (!element.data && resname.data && record.residueName != ionResidue) {
                ionResidue = record.residueName;
                ion = Kamol::IonResidueElement(ionResidue);
            }
            if (!element.data)
                z = ElementFromName(atomName, resname.data ? std::string_view(record.residueName) : "", ion);
            else if (elementSymbols)
                TextAt(element, row, scratch), z = symbols.Of(scratch);
            else
                z = ValueAt<uint32_t>(element, row);
            Kamol::KaAtomBase& atom = mol->NewAtom(z);
            if (name.data) atom.SetName(atomName);
            if (coords.data) {
                for (size_t k = 0; k < 3; ++k)
                    xyz[row * 3 + k] = doubleCoords ? static_cast<float>(ValueAt<double>(coords, row * 3 + k))
                                                    : ValueAt<float>(coords, row * 3 + k);
            }
            if (!withResidue) continue;
            if (chain.data) {
                TextAt(chain, row, record.chainId);
                if (record.chainId.empty()) record.chainId.assign(1, ' ');  // as the readers store a blank chain
            }
            if (icode.data) CharAt(icode, row, scratch, record.insertCode);
            if (altloc.data) CharAt(altloc, row, scratch, record.alternateLocation);
            if (resid.data) record.residueNumber = ValueAt<int32_t>(resid, row);
            if (serial.data) record.serialNumber = ValueAt<int32_t>(serial, row);
            if (bfactor.data) record.bFactor = ValueAt<float>(bfactor, row);
            if (occupancy.data) record.occupancy = ValueAt<float>(occupancy, row);
            if (hetatm.data) record.hetAtom = ValueAt<uint8_t>(hetatm, row) != 0;
            if (secondary.data) record.secondaryStructure = ValueAt<uint32_t>(secondary, row);
            if (segment.data) {
                TextAt(segment, row, record.segmentId);
                if (record.segmentId.empty()) record.segmentId.assign(1, ' ');
                const char key = Kamol::ChainKey(Kamol::CText(record.chainId));
                if (!runs.empty() && runs.back().chainKey == key && runs.back().segment == record.segmentId)
                    ++runs.back().atomCount;
                else
                    runs.push_back({uint32_t(row), 1, key, record.segmentId});
            }
            Kamol::SetAtomResidue(atom, record);
        }
        mol->SetLiveCoords(xyz);
        if (!runs.empty()) Kamol::SeparateSegmentChains(*mol, runs, "from_arrays");
        for (Py_ssize_t k = 0; k < bonds.count; ++k)
            mol->NewBond(*mol->GetAtom(uint32_t(bonds.ends[2 * k])), *mol->GetAtom(uint32_t(bonds.ends[2 * k + 1])),
                         bonds.orders ? uint32_t(bonds.orders[k]) : 1u);
        if (perceive) {
            std::vector<uint8_t> bondsGiven(size_t(rows), 0);
            for (Py_ssize_t k = 0; k < 2 * bonds.count; ++k) bondsGiven[size_t(bonds.ends[k])] = 1;
            Kamol::DeferBondPerception(*mol, std::move(bondsGiven));
        }
    });
    if (!ok) return nullptr;
    Py_RETURN_NONE;
}

}  // namespace fastpath
