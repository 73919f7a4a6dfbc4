// Selection objects and their error type, as seen from Python.
namespace KaSel {

enum class PredicateType {
    AND = 0, OR, NOT, XOR, NAME, RESN, RESI, CHAIN, ELEM, INDEX, ID, ALT, B_FACTOR,
    FRAGMENT, SECONDARY_STRUCTURE, PROTEIN, LIGAND, WATER, SOLVENT, ORGANIC, BACKBONE,
    METAL, CAPPING, HEAVY, HYDROGEN, POLAR_HYDROGEN, NONPOLAR_HYDROGEN, BY_RES, BY_CHAIN,
    AROUND, EXPAND, BEYOND, HELIX, SHEET, TURN, LOOP, ALL_MATCH, NO_MATCH
};

class SelectionError : public std::runtime_error {
public:
    SelectionError(const std::string& message);
    SelectionError(const std::string& message, size_t position);
    size_t Position() const;
};

class KaSelection {
public:
    KaSelection();
    KaSelection(const KaSelection& other);
    static KaSelection Parse(const std::string& text);
    std::string ToCanonical() const;
    bool ContainsPredicate(PredicateType type) const;
    bool IsEmpty() const;
};

}  // namespace KaSel
