// PDB reader: one pass over the lines puts each atom record straight into
// its model's molecule; helices, sheets, turns, links and CONECT records are
// gathered on the way and applied once the models are complete. Records are
// read as gemmi's PDB parser reads them (its field functions are used
// directly), so that atoms, residues and their order are the same: atoms of
// a residue that reappears later in its chain join it, and each chain
// segment between chain changes stays a part of its own.
#include <gemmi/atof.hpp>
#include <gemmi/elem.hpp>
#include <gemmi/fileutil.hpp>
#include <gemmi/pdb.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <exception>
#include <unordered_map>

#include "molecule/elements.h"
#include "molecule/io_formats.h"
#include "molecule/read_structure.h"
#include "molecule/residue.h"
#include "molecule/segments.h"
#include "system/message.h"

namespace Kamol::io_detail {

namespace {

// Lines are cut after this many characters; the rest is not read.
constexpr size_t kMaxLineLength = 119;

// Record names compared on their first four characters, case-insensitive;
// a blank and the end of the line are the same.
constexpr int kAtom = gemmi::ialpha4_id("ATOM");
constexpr int kHetatm = gemmi::ialpha4_id("HETA");
constexpr int kAnisou = gemmi::ialpha4_id("ANIS");
constexpr int kConect = gemmi::ialpha4_id("CONE");
constexpr int kTurn = gemmi::ialpha4_id("TURN");
constexpr int kHelix = gemmi::ialpha4_id("HELI");
constexpr int kSheet = gemmi::ialpha4_id("SHEE");
constexpr int kLink = gemmi::ialpha4_id("LINK");
constexpr int kSsbond = gemmi::ialpha4_id("SSBO");
constexpr int kDbref = gemmi::ialpha4_id("DBRE");
constexpr int kHeader = gemmi::ialpha4_id("HEAD");
constexpr int kCryst1 = gemmi::ialpha4_id("CRYS");
constexpr int kModel = gemmi::ialpha4_id("MODE");
constexpr int kEndmdl = gemmi::ialpha4_id("ENDM");
constexpr int kData = gemmi::ialpha4_id("data");
constexpr int kJson = gemmi::ialpha4_id("{\"da");
// "END" and "TER" followed by a blank, a control character or the line's end.
constexpr int kEnd = gemmi::ialpha4_id("END\0");
constexpr int kTer = gemmi::ialpha4_id("TER\0");

// A line of at most kMaxLineLength characters, then a line feed and NULs:
// fields of the rarer records are read from such a copy, so that columns past
// the end read as the end of the line.
struct PaddedLine {
    // `padTo` fills the line with blanks up to that many columns.
    PaddedLine(const char* line, size_t len, size_t padTo = 0) {
        std::memcpy(text, line, len);
        if (padTo > len) {
            std::memset(text + len, ' ', padTo - len);
            len = padTo;
        }
        text[len] = '\n';
        std::memset(text + len + 1, 0, sizeof text - len - 1);
        length = len + 1;  // with the line feed
    }
    char text[kMaxLineLength + 8];
    size_t length;
};

int RecordId(const char* line, size_t len) {
    if (len >= 4) return gemmi::ialpha4_id(line);
    char start[4] = {0, 0, 0, 0};
    std::memcpy(start, line, len);
    start[len] = '\n';
    return gemmi::ialpha4_id(start);
}

bool IsRecord(int id, int name) { return id == name; }
bool IsShortRecord(int id, int name) { return (id & ~0xf) == name; }

// A fixed-width text field as gemmi reads it: leading white space skipped,
// cut at a line break, trailing white space dropped. `avail` characters of
// the field lie inside the line.
std::string_view TextField(const char* field, size_t width, size_t avail) {
    size_t n = std::min(width, avail), start = 0;
    while (start < n && gemmi::is_space(field[start])) ++start;
    size_t end = start;
    while (end < n && field[end] != '\n' && field[end] != '\r') ++end;
    while (end > start && gemmi::is_space(field[end - 1])) --end;
    return {field + start, end - start};
}

// The part of a fixed-width field that lies inside the line, trimmed of blanks.
std::string_view Field(const char* line, size_t len, size_t start, size_t width) {
    return Trim(Columns(std::string_view(line, len), start, width));
}

// A fixed-width integer in decimal or, for values that overflow the field,
// in upper-case hybrid-36 (the first value past 10^width is "A000...").
bool ParsePdbInteger(std::string_view text, size_t width, int& value) {
    if (text.size() == width && std::isupper(static_cast<unsigned char>(text[0]))) {
        long long decoded = 0;
        for (char c : text) {
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'A' && c <= 'Z') digit = c - 'A' + 10;
            else return false;
            decoded = decoded * 36 + digit;
        }
        long long power10 = 1, power36 = 1;
        for (size_t i = 0; i < width; ++i) power10 *= 10;
        for (size_t i = 1; i < width; ++i) power36 *= 36;
        value = static_cast<int>(decoded - 10 * power36 + power10);
        return true;
    }
    return ParseNumber(text, value);
}

// A fixed-point number as the coordinate columns hold it: an optional sign,
// digits with at most one decimal point, at least one digit.
bool IsCoordinate(std::string_view text) {
    size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digit = false, point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') digit = true;
        else if (text[i] == '.' && !point) point = true;
        else return false;
    }
    return digit;
}

constexpr double kPowersOf10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The number at the start of [begin, end) as gemmi's read_double takes it
// (blanks and one '+' skipped, the longest number read, 0 when none). The
// common "-12.345" form is computed here: with at most eight digits the
// quotient of two exact doubles is the correctly rounded value, as the full
// parser gives it; anything else goes to that parser.
double ReadDecimal(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && gemmi::is_space(*p)) ++p;
    if (p < end && *p == '+') ++p;
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    bool point = false;
    for (; p < end && *p >= '0' && *p <= '9'; ++p, ++digits) mantissa = mantissa * 10 + uint64_t(*p - '0');
    if (digits > 0 && p < end && *p == '.') {
        point = true;
        for (++p; p < end && *p >= '0' && *p <= '9'; ++p, ++decimals) mantissa = mantissa * 10 + uint64_t(*p - '0');
    }
    // Digits on both sides of any point, nothing that continues a number after them.
    const bool simple = digits > 0 && (!point || decimals > 0) && digits + decimals <= 8 &&
                        (p == end || (*p != '.' && *p != 'e' && *p != 'E'));
    if (simple) {
        const double value = double(mantissa) / kPowersOf10[decimals];
        return negative ? -value : value;
    }
    double value = 0.;
    gemmi::fast_from_chars(begin, end, value);
    return value;
}

struct ParsedModel {
    std::string name;  // the model number as text
    int number;
    bool hasAtoms = false;
    std::unique_ptr<KaGraphMol> mol;  // null unless the model is built
    std::vector<ModelResidue> residues;
    std::vector<gemmi::ResidueId> identities;  // by residue
    std::vector<uint8_t> hetero;              // by residue, from its first record
    // By atom, the residue an atom joined, once an atom joined a residue
    // other than the last one (its molecule is then put in residue order).
    std::vector<uint32_t> atomResidues;
    uint32_t joinedResidue = kNoResidue;  // the first joined after other residues
    bool segmented = false;               // some residue has a segment id
};

class PdbParser {
public:
    // `sizeHint` is the expected size of the text in bytes, 0 when unknown.
    PdbParser(const std::string& fileName, ReadScope scope, size_t sizeHint)
        : fileName_(fileName), scope_(scope), sizeHint_(sizeHint) {}

    // Reads the lines of the next piece of the text: each ends at a line feed
    // or, for the text's last line, at the end of the piece. Lines after the
    // END record are only counted.
    void Feed(std::string_view piece) {
        size_t pos = 0;
        while (pos < piece.size()) {
            size_t end = piece.find('\n', pos);
            if (end == std::string_view::npos) end = piece.size();
            const char* line = piece.data() + pos;
            size_t len = end - pos;
            if (len > 0 && line[len - 1] == '\r') --len;
            bytesRead_ += end + 1 - pos;
            pos = end + 1;
            if (ended_) {
                const int id = RecordId(line, len);
                if (IsRecord(id, kAtom) || IsRecord(id, kHetatm)) ++atomRecordsLeft_;
                continue;
            }
            ++lineNumber_;
            ended_ = !ReadLine(line, std::min(len, kMaxLineLength));
        }
    }

    // The warnings about skipped records, held back until the whole text was read.
    void GiveWarnings() {
        for (const std::string& warning : warnings_) KaSystem::Warning("%s", warning.c_str());
        warnings_.clear();
    }

    size_t AtomRecords() const { return atomRecords_; }
    // Atom records in the lines after END, which are not read.
    size_t AtomRecordsLeft() const { return atomRecordsLeft_; }

    // The molecules of the models that hold atoms, completed with the file's
    // other records.
    void Finish(MolList& molecules) {
        CollectLinks();
        const std::string title = entryId_.empty() ? gemmi::path_basename(fileName_, {".gz", ".pdb"}) : entryId_;
        for (ParsedModel& model : models_) {
            if (!model.mol) continue;
            PutInResidueOrder(model.mol, model.residues, model.atomResidues);
            model.mol->SetTitle(title);
            CompleteModel(*model.mol, model.residues, model.joinedResidue, model.number, records_, fileName_);
            if (model.segmented) SeparateSegmentChains(*model.mol, SegmentRuns(model), fileName_);
            molecules.push_back(std::move(model.mol));
        }
    }

private:
    // The model's residues as runs of one chain key and segment.
    static std::vector<SegmentRun> SegmentRuns(const ParsedModel& model) {
        std::vector<SegmentRun> runs;
        for (size_t r = 0; r < model.residues.size(); ++r) {
            const ModelResidue& residue = model.residues[r];
            const char key = ChainKey(residue.chain);
            const std::string& segment = model.identities[r].segment;
            SegmentRun* last = runs.empty() ? nullptr : &runs.back();
            if (last && last->chainKey == key && last->segment == segment &&
                last->firstAtom + last->atomCount == residue.firstAtom)
                last->atomCount += residue.atomCount;
            else
                runs.push_back({residue.firstAtom, residue.atomCount, key, segment});
        }
        return runs;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        ThrowFormatError(fileName_, "line " + std::to_string(lineNumber_) + ": " + what);
    }
    // Faults in the layout of models and records.
    [[noreturn]] void Wrong(const std::string& what) const {
        ThrowFormatError(fileName_, "Problem in line " + std::to_string(lineNumber_) + ": " + what);
    }
    void Skipped(const char* record, const char* why) {
        warnings_.push_back(fileName_ + ": line " + std::to_string(lineNumber_) + ": " + record + " record " + why +
                            "; skipped");
    }

    // The first columns of the line buffer as gemmi's parser leaves it after
    // the line: the line (blank for DBREF records, padded with blanks for
    // LINK and SSBOND), a line feed, a NUL, then what longer lines before it
    // left there. A short ANISOU record has its numbers read from those
    // columns, as gemmi reads them; a MODEL number comes from the line alone.
    void KeepLineStart(const char* line, size_t len, int id) {
        const size_t n = std::min(len, sizeof lineStart_);
        if (IsRecord(id, kDbref)) std::memset(lineStart_, ' ', n);
        else std::memcpy(lineStart_, line, n);
        if ((IsRecord(id, kLink) || IsRecord(id, kSsbond)) && len < sizeof lineStart_) {
            std::memset(lineStart_ + len, ' ', sizeof lineStart_ - len);
            return;
        }
        if (len < sizeof lineStart_) lineStart_[len] = '\n';
        if (len + 1 < sizeof lineStart_) lineStart_[len + 1] = '\0';
    }

    // False at the END record.
    bool ReadLine(const char* line, size_t len) {
        const int id = RecordId(line, len);
        KeepLineStart(line, len, id);
        if (IsRecord(id, kAtom) || IsRecord(id, kHetatm)) {
            ReadAtom(line, len);
        } else if (IsRecord(id, kAnisou)) {
            ReadAnisou();
        } else if (IsRecord(id, kConect)) {
            ReadConect(line, len);
        } else if (IsRecord(id, kHeader)) {
            // The entry code in columns 63-66 names the molecules.
            if (len >= 66) {
                std::string_view code(line + 62, 4);
                while (!code.empty() && std::strchr(" \r\n\t", code.back())) code.remove_suffix(1);
                if (!code.empty()) entryId_ = std::string(code);
            }
        } else if (IsRecord(id, kCryst1)) {
            ReadCell(line, len);
        } else if (IsRecord(id, kModel)) {
            ReadModel();
        } else if (IsRecord(id, kEndmdl)) {
            model_ = -1;
            inChain_ = false;
        } else if (IsShortRecord(id, kTer)) {
            // Ends a polymer chain; the chain part stays open.
        } else if (IsRecord(id, kTurn)) {
            ReadTurn(line, len);
        } else if (IsRecord(id, kHelix) || IsRecord(id, kSheet)) {
            ReadHelixOrSheet(line, len, IsRecord(id, kHelix));
        } else if (IsRecord(id, kLink) || IsRecord(id, kSsbond)) {
            // The distance columns are read whatever the line's length: all 80 columns are kept.
            links_.emplace_back(PaddedLine(line, len, 80).text);
        } else if (IsShortRecord(id, kEnd)) {
            return false;
        } else if (IsRecord(id, kData) || IsRecord(id, kJson)) {
            const PaddedLine padded(line, len);
            if (model_ < 0 && IsRecord(id, kData) && padded.text[4] == '_')
                ThrowFormatError(fileName_, "Incorrect file format (perhaps it is cif not pdb?)");
            if (model_ < 0 && IsRecord(id, kJson) && gemmi::ialpha3_id(padded.text + 4) == gemmi::ialpha3_id("ta_"))
                ThrowFormatError(fileName_, "Incorrect file format (perhaps it is mmJSON not pdb?)");
        }
        return true;
    }

    // Checks the coordinate field at `start` and returns its value.
    double Coordinate(const char* line, size_t start) const {
        std::string_view value = Trim(std::string_view(line + start, 8));
        if (!IsCoordinate(value))
            Fail("unreadable coordinate '" + std::string(line + start, 8) + "' in columns " +
                 std::to_string(start + 1) + "-" + std::to_string(start + 8));
        return ReadDecimal(line + start, line + start + 8);
    }

    // The element of the atom record: from columns 77-78, else the ion of
    // an ion residue named as force fields name it (`ion`, from
    // IonResidueElement of the record's residue), else from the atom name.
    static uint32_t ElementOf(const char* line, size_t len, bool lineNumberColumns, uint32_t ion,
                              std::string_view residueName, std::string_view atomName) {
        // Old files carry the entry code and a line number in columns 73-80:
        // those columns are read as blanks.
        auto at = [&](size_t i) { return i < len ? line[i] : i == len ? '\n' : '\0'; };
        const char symbol[2] = {lineNumberColumns ? ' ' : at(76), lineNumberColumns ? ' ' : at(77)};
        gemmi::El element;
        if (len >= 76 && (std::isalpha(static_cast<unsigned char>(symbol[0])) ||
                          std::isalpha(static_cast<unsigned char>(symbol[1])))) {
            const char text[3] = {symbol[0], symbol[1], '\0'};
            element = gemmi::find_element(text);
        } else if (ion != 0 && IsIonAtom(ion, residueName, atomName)) {
            return ion;
        } else {
            element = ElementOfName(line);
        }
        return static_cast<uint32_t>(gemmi::Element(element).atomic_number());
    }

    static gemmi::El ElementOfName(const char* line) {
        // Atom names HXXX are hydrogens (Hg, He, Hf, Ho and Hs hardly ever
        // have four-character names); old names such as "1HB " and "C210"
        // carry digits around a one-letter element.
        if (gemmi::alpha_up(line[12]) == 'H' && line[15] != ' ') return gemmi::El::H;
        if (gemmi::is_digit(line[12])) return gemmi::impl::find_single_letter_element(line[13]);
        if (gemmi::is_digit(line[13])) return gemmi::impl::find_single_letter_element(line[12]);
        return gemmi::find_element(line + 12);
    }

    void ReadAtom(const char* line, size_t len) {
        if (len < 54)
            Fail("atom record is too short (" + std::to_string(len) + " characters, coordinates end at column 54)");
        const float xyz[3] = {static_cast<float>(Coordinate(line, 30)), static_cast<float>(Coordinate(line, 38)),
                              static_cast<float>(Coordinate(line, 46))};
        const bool lineNumberColumns =
            len > 76 && (gemmi::is_digit(line[76]) || (len > 77 && gemmi::is_digit(line[77])));
        ++atomRecords_;

        const std::string_view chain = TextField(line + 20, 2, len - 20);
        if (!inChain_ || chain != chainName_) StartChainPart(chain);
        ParsedModel& model = models_[size_t(model_)];
        if (!model.hasAtoms) {
            model.hasAtoms = true;
            if (scope_ == ReadScope::All || FirstModelWithAtoms()) StartMolecule(model);
        }
        lastAnisou_ = 0;
        if (!model.mol) return;

        const gemmi::SeqId seqid = gemmi::pdb_impl::read_seq_id(line + 22);
        const std::string_view residueName = TextField(line + 17, 3, len - 17);
        const std::string_view segment =
            len >= 72 && !lineNumberColumns ? TextField(line + 72, 4, len - 72) : std::string_view();
        if (residue_ < 0 || !SameResidue(model.identities[size_t(residue_)], seqid, segment, residueName))
            FindResidue(model, line, seqid, segment, residueName);

        record_.serialNumber = gemmi::pdb_impl::read_serial(line + 6);
        record_.alternateLocation = line[16];
        record_.occupancy = len >= 58 ? static_cast<float>(ReadDecimal(line + 54, line + std::min<size_t>(60, len)))
                                      : 1.0f;
        record_.bFactor = len >= 64 ? static_cast<float>(ReadDecimal(line + 60, line + std::min<size_t>(66, len)))
                                    : 20.0f;
        atomName_.assign(TextField(line + 12, 4, len - 12));
        const uint32_t element = ElementOf(line, len, lineNumberColumns, residueIon_, residueName, atomName_);
        if (!model.atomResidues.empty()) model.atomResidues.push_back(uint32_t(residue_));
        model.mol->AppendAtom(element, atomName_, xyz, record_);
        ++model.residues[size_t(residue_)].atomCount;
    }

    static bool SameResidue(const gemmi::ResidueId& id, const gemmi::SeqId& seqid, std::string_view segment,
                            std::string_view name) {
        return id.seqid == seqid && id.segment == segment && id.name == name;
    }

    // A new chain part: in a model of its own when no model is open.
    void StartChainPart(std::string_view chain) {
        if (model_ < 0) {
            const std::string name = std::to_string(models_.size() + 1);
            if (FindModel(name) >= 0) Wrong("ATOM/HETATM between models");
            OpenModel(name);
        }
        inChain_ = true;
        chainName_.assign(chain);
        residue_ = -1;
        residueIndex_.clear();
        record_.modelNumber = models_[size_t(model_)].number;
        record_.chainId = chainName_.empty() ? std::string(" ") : chainName_;
    }

    // Makes the residue of the atom record current: the chain part's
    // residue with that identity, or a new one.
    void FindResidue(ParsedModel& model, const char* line, const gemmi::SeqId& seqid, std::string_view segment,
                     std::string_view name) {
        gemmi::ResidueId id{seqid, std::string(segment), std::string(name)};
        auto [found, added] = residueIndex_.try_emplace(std::move(id), uint32_t(model.residues.size()));
        const uint32_t index = found->second;
        if (added) {
            model.residues.push_back({chainName_, std::string(name), SequenceNumber(seqid),
                                      BlankIfUnset(seqid.icode), model.mol->IndexLimit(), 0});
            model.identities.push_back(found->first);
            model.hetero.push_back(gemmi::alpha_up(line[0]) == 'H');
        } else {
            TrackAtomResidues(model.residues, model.atomResidues);
            NoteJoinedResidue(model.residues, uint32_t(residue_), index, model.joinedResidue);
        }
        residue_ = int64_t(index);
        SetResidueFields(record_, model.residues[index], model.hetero[index] != 0);
        residueIon_ = IonResidueElement(name);
        // The segment id travels with the residue's atoms (segmentId).
        if (segment.empty()) {
            record_.segmentId.assign(1, ' ');
        } else {
            record_.segmentId.assign(segment);
            model.segmented = true;
        }
    }

    int64_t FindModel(const std::string& name) const {
        for (size_t i = 0; i < models_.size(); ++i)
            if (models_[i].name == name) return int64_t(i);
        return -1;
    }

    void OpenModel(const std::string& name) {
        model_ = int64_t(models_.size());
        ParsedModel& model = models_.emplace_back();
        model.name = name;
        model.number = std::stoi(name);
    }

    // Whether the open model is the first of the file's models that holds
    // atoms. A model named before it gets atoms only when its MODEL record
    // comes again; when that happens, the models after it are dropped.
    bool FirstModelWithAtoms() {
        for (int64_t i = 0; i < model_; ++i)
            if (models_[size_t(i)].hasAtoms) return false;
        for (size_t i = size_t(model_) + 1; i < models_.size(); ++i) models_[i].mol.reset();
        return true;
    }

    void StartMolecule(ParsedModel& model) {
        model.mol = std::make_unique<KaGraphMol>();
        // Room for as many atoms as the last model built (models tend to be
        // alike) or, for the first, for the atom records the rest of the text
        // can hold (at least 55 characters each, this one included) when its
        // size is known: memory not written is not used.
        size_t atoms = 0;
        for (const ParsedModel& other : models_)
            if (other.mol && &other != &model) atoms = other.mol->IndexLimit();
        if (atoms == 0 && sizeHint_ > 0) atoms = (sizeHint_ - std::min(bytesRead_, sizeHint_)) / 55 + 2;
        if (atoms > 0) model.mol->Reserve(static_cast<uint32_t>(std::min<size_t>(atoms, UINT32_MAX)));
    }

    void ReadModel() {
        if (model_ >= 0 && inChain_) Wrong("MODEL without ENDMDL?");
        // Most writers right-align the number in columns 11-14, some start it
        // right after the record name: it is the integer at the start of
        // columns 7-14.
        const std::string name = std::to_string(gemmi::pdb_impl::read_int(lineStart_ + 6, 8));
        const int64_t existing = FindModel(name);
        if (existing < 0) {
            OpenModel(name);
        } else {
            if (models_[size_t(existing)].hasAtoms) Wrong("duplicate MODEL number: " + name);
            model_ = existing;
        }
        inChain_ = false;
    }

    // The anisotropic record belongs to the atom record just before it.
    void ReadAnisou() {
        if (model_ < 0 || !inChain_ || atomRecords_ == 0) Wrong("ANISOU record not directly after ATOM/HETATM.");
        if (lastAnisou_ != 0) Wrong("Duplicated ANISOU record or not directly after ATOM/HETATM.");
        lastAnisou_ = gemmi::pdb_impl::read_int(lineStart_ + 28, 7);
    }

    // Only a cell with impossible angles matters here: it makes the file unreadable.
    void ReadCell(const char* line, size_t len) {
        if (len < 54) return;
        using gemmi::pdb_impl::read_double;
        const PaddedLine padded(line, len);
        const char* p = padded.text;
        try {
            gemmi::UnitCell().set(read_double(p + 6, 9), read_double(p + 15, 9), read_double(p + 24, 9),
                                  read_double(p + 33, 7), read_double(p + 40, 7), read_double(p + 47, 7));
        } catch (const std::runtime_error& e) {
            ThrowFormatError(fileName_, e.what());
        }
    }

    void ReadConect(const char* line, size_t len) {
        int from;
        if (!ParsePdbInteger(Field(line, len, 6, 5), 5, from)) return Skipped("CONECT", "has no readable atom serial");
        for (size_t start = 11; start <= 26; start += 5) {
            std::string_view field = Field(line, len, start, 5);
            if (field.empty()) continue;
            int to;
            if (!ParsePdbInteger(field, 5, to)) return Skipped("CONECT", "has an unreadable bonded atom serial");
            records_.conect.push_back({from, to, lineNumber_});
        }
    }

    void ReadTurn(const char* line, size_t len) {
        if (len < 35) return Skipped("TURN", "is too short");
        SecondaryRange range;
        // One-character chains sit in columns 20 and 31; the column before
        // each is read too, for two-character chains.
        range.chain = std::string(Field(line, len, 18, 2));
        std::string endChain(Field(line, len, 29, 2));
        if (!ParsePdbInteger(Field(line, len, 20, 4), 4, range.beginNumber) ||
            !ParsePdbInteger(Field(line, len, 31, 4), 4, range.endNumber))
            return Skipped("TURN", "has an unreadable residue number");
        range.beginIcode = line[24];
        range.endIcode = len > 35 ? line[35] : ' ';
        range.flags = kTurnFlag;
        if (endChain != range.chain) return Skipped("TURN", "spans two chains");
        records_.ranges.push_back(std::move(range));
    }

    void ReadHelixOrSheet(const char* line, size_t len, bool helix) {
        if (len < 39) return Skipped(helix ? "HELIX" : "SHEET", "is too short");
        using gemmi::pdb_impl::read_int;
        using gemmi::pdb_impl::read_seq_id;
        const PaddedLine padded(line, len);
        const char* p = padded.text;
        // Helix: chain in columns 19-20, residues at 22 and 34, class at 39;
        // strand: chain in columns 21-22, residues at 23 and 34.
        const gemmi::SeqId begin = read_seq_id(p + (helix ? 21 : 22)), end = read_seq_id(p + 33);
        int helixClass = helix ? read_int(p + 38, 2) : 0;
        if (helixClass < 1 || helixClass > 10) helixClass = 0;
        records_.ranges.push_back({std::string(TextField(p + (helix ? 18 : 20), 2, 2)),
                                   SequenceNumber(begin), BlankIfUnset(begin.icode),
                                   SequenceNumber(end), BlankIfUnset(end.icode),
                                   helix ? HelixClassFlags(helixClass) : kSheetFlag});
    }

    // A link partner of an SSBOND record: the residue's SG, or its first
    // sulfur when it has no SG without alternate location (or the SG is no
    // sulfur), looked up in the file's first model.
    LinkPartner DisulfidePartner(std::string chain, const char* number, const char* name) const {
        const gemmi::SeqId seqid = gemmi::pdb_impl::read_seq_id(number);
        LinkPartner partner{std::move(chain), std::string(TextField(name, 3, 3)), SequenceNumber(seqid),
                            BlankIfUnset(seqid.icode), "SG", '\0'};
        if (models_.empty() || !models_[0].mol) return partner;
        const ParsedModel& model = models_[0];
        for (size_t r = 0; r < model.residues.size(); ++r) {
            const ModelResidue& residue = model.residues[r];
            const gemmi::ResidueId& id = model.identities[r];
            if (residue.chain != partner.chain || !(id.seqid == seqid) || id.name != partner.residueName ||
                !id.segment.empty())
                continue;
            const KaAtomColumns& columns = model.mol->Columns();
            auto isSulfur = [&](uint32_t atom) { return columns.atomicNums[atom] == 16; };
            const uint32_t first = residue.firstAtom, last = first + residue.atomCount;
            for (uint32_t atom = first; atom < last; ++atom)
                if (model.mol->GetAtom(atom)->Name() == "SG" && columns.alternateLocations[atom] == ' ') {
                    if (isSulfur(atom)) return partner;
                    break;
                }
            for (uint32_t atom = first; atom < last; ++atom)
                if (isSulfur(atom)) {
                    partner.atomName = model.mol->GetAtom(atom)->Name();
                    partner.altloc = columns.alternateLocations[atom] == ' ' ? '\0' : columns.alternateLocations[atom];
                    break;
                }
            return partner;
        }
        return partner;
    }

    // LINK and SSBOND records to a symmetry mate (different operators in
    // columns 60-65 and 67-72) have no partner in the model.
    void CollectLinks() {
        // The SSBOND lookup reads the first model's residues in their final order.
        if (!models_.empty() && models_[0].mol) PutInResidueOrder(models_[0].mol, models_[0].residues, models_[0].atomResidues);
        for (const std::string& text : links_) {
            const char* r = text.c_str();
            if (TextField(r + 59, 6, 6) != TextField(r + 66, 6, 6)) continue;
            if (gemmi::alpha_up(r[0]) == 'S') {
                records_.links.push_back({DisulfidePartner(std::string(TextField(r + 14, 2, 2)), r + 17, r + 11),
                                          DisulfidePartner(std::string(TextField(r + 28, 2, 2)), r + 31, r + 25)});
                continue;
            }
            LinkRecord link;
            for (int i : {0, 1}) {
                const char* t = r + 30 * i;
                const gemmi::SeqId seqid = gemmi::pdb_impl::read_seq_id(t + 22);
                (i == 0 ? link.first : link.second) =
                    LinkPartner{std::string(TextField(t + 20, 2, 2)), std::string(TextField(t + 17, 3, 3)),
                                SequenceNumber(seqid), BlankIfUnset(seqid.icode),
                                std::string(TextField(t + 12, 4, 4)), t[16] == ' ' ? '\0' : t[16]};
            }
            records_.links.push_back(std::move(link));
        }
    }

    const std::string& fileName_;
    const ReadScope scope_;
    const size_t sizeHint_;
    size_t bytesRead_ = 0;
    size_t lineNumber_ = 0;
    size_t atomRecords_ = 0;
    bool ended_ = false;  // after the END record
    size_t atomRecordsLeft_ = 0;
    std::vector<std::string> warnings_;
    std::vector<ParsedModel> models_;
    int64_t model_ = -1;  // the open model, -1 between models
    bool inChain_ = false;
    std::string chainName_;
    int64_t residue_ = -1;  // the current residue of the open model's chain part
    std::unordered_map<gemmi::ResidueId, uint32_t, ResidueIdHash> residueIndex_;  // of the chain part
    char lineStart_[36] = {};
    int lastAnisou_ = 0;  // U11 of the last atom's ANISOU record, 0 when none
    KaResidue record_;
    uint32_t residueIon_ = 0;  // IonResidueElement of the current residue
    std::string atomName_;
    std::string entryId_;
    std::vector<std::string> links_;  // LINK and SSBOND lines, padded
    StructureRecords records_;
};

// Unit of reading: lines are read once a piece of the text is in.
constexpr size_t kPieceSize = size_t(1) << 20;

}  // namespace

MolList ReadPdbSource(TextSource& source, const std::string& fileName, ReadScope scope) {
    PdbParser parser(fileName, scope, source.SizeHint());
    // A small file needs no more than its size (and a byte to see its end).
    const size_t hint = source.SizeHint();
    std::string buffer(hint > 0 && hint < kPieceSize ? hint + 1 : kPieceSize, '\0');
    size_t kept = 0;  // the start of a line whose end is not read yet
    bool notText = false;
    std::exception_ptr fault;  // a fault in the records
    auto feed = [&](size_t length) {
        try {
            parser.Feed(std::string_view(buffer.data(), length));
        } catch (const FormatError&) {
            fault = std::current_exception();
        }
    };
    for (;;) {
        if (kept == buffer.size()) buffer.resize(buffer.size() * 2);  // a line longer than the buffer
        const size_t got = source.Read(buffer.data() + kept, buffer.size() - kept);
        if (std::memchr(buffer.data() + kept, '\0', got)) {
            notText = true;
            break;
        }
        if (got == 0) {
            feed(kept);
            break;
        }
        const size_t end = kept + got;
        const void* lastFeed = memrchr(buffer.data() + kept, '\n', got);
        if (!lastFeed) {
            kept = end;
            continue;
        }
        const size_t complete = static_cast<const char*>(lastFeed) - buffer.data() + 1;
        feed(complete);
        if (fault) break;
        kept = end - complete;
        std::memmove(buffer.data(), buffer.data() + complete, kept);
    }
    if (fault || notText) {
        // Read whole first, the text would have failed on the rest of the
        // file (a read fault or NUL bytes) before any record was looked at.
        for (size_t got; (got = source.Read(buffer.data(), buffer.size())) > 0;)
            notText = notText || std::memchr(buffer.data(), '\0', got);
        if (notText) ThrowNotText(fileName);
        parser.GiveWarnings();
        std::rethrow_exception(fault);
    }
    std::string().swap(buffer);
    parser.GiveWarnings();
    if (parser.AtomRecords() == 0) ThrowFormatError(fileName, "no ATOM or HETATM records");
    if (size_t left = parser.AtomRecordsLeft())
        KaSystem::Warning("%s: %zu ATOM/HETATM records follow the END record and were not read",
                          fileName.c_str(), left);
    MolList molecules;
    parser.Finish(molecules);
    return molecules;
}

MolList ReadPdbText(std::string_view text, const std::string& fileName, ReadScope scope) {
    StringSource source(text);
    return ReadPdbSource(source, fileName, scope);
}

}  // namespace Kamol::io_detail
