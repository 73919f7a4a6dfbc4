// Residue selectors, their sets and the name predicates.
%{
#include "selection/selector.h"
%}

%naturalvar KaSel::Selector;

namespace KaSel {

struct Selector {
    std::string name;
    int residue_number;
    std::string chain;
    std::string insert_code;

    Selector();
    Selector(std::string name, int residue_number, std::string chain);
    Selector(std::string name, int residue_number, std::string chain, std::string insert_code);
    static Selector FromAtom(const Kamol::KaAtomBase& atom);
    static Selector FromString(const std::string& text);
    std::string ToString() const;
    bool operator<(const Selector& other) const;
    bool operator>(const Selector& other) const;
    bool operator<=(const Selector& other) const;
    bool operator>=(const Selector& other) const;
    bool operator==(const Selector& other) const;
    bool operator!=(const Selector& other) const;
};

}  // namespace KaSel

%template(SelectorSet) std::set<KaSel::Selector>;
%template(StringSet) std::set<std::string>;

namespace KaSel {

std::set<Selector> parse_selector_set(const std::string& text);
std::set<Selector> mol_to_selector_set(const Kamol::KaMolBase& mol);
std::string get_selector_string(const Kamol::KaAtomBase& atom);
std::set<std::string> str_selector_set(const Kamol::KaMolBase& mol, const std::string& selection);

class KaResidueSelector {
public:
    KaResidueSelector(const std::string& text);
    KaResidueSelector(const std::set<Selector>& selectors);
    KaResidueSelector(const KaResidueSelector& other);
    bool operator()(const Kamol::KaAtomBase& atom) const;
};

class KaHasResidueName {
public:
    KaHasResidueName(const std::string& name, bool caseSensitive = false, bool whitespaceSensitive = false);
    KaHasResidueName(const KaHasResidueName& other);
    bool operator()(const Kamol::KaAtomBase& atom) const;
};

class KaHasAtomNameAdvanced {
public:
    KaHasAtomNameAdvanced(const std::string& name, bool caseSensitive = false, bool whitespaceSensitive = false);
    KaHasAtomNameAdvanced(const KaHasAtomNameAdvanced& other);
    bool operator()(const Kamol::KaAtomBase& atom) const;
};

}  // namespace KaSel
