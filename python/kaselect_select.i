// Binding selections to molecules: KaSelect and the whole-molecule queries.
%{
#include "selection/select.h"
%}

%template(UnsignedIntVector) std::vector<unsigned int>;

// The native KaSelect only borrows its molecule: the proxy keeps the Python
// molecule alive (the copy keeps the original's molecule).
%pythonappend KaSel::KaSelect::KaSelect %{
    self._molecule = getattr(args[0], "_molecule", None) if len(args) == 1 else args[0]
%}
// The returned selection lives inside the KaSelect.
%pythonappend KaSel::KaSelect::GetSelection %{
    val._owner = self
%}

namespace KaSel {

class KaSelect {
public:
    KaSelect(Kamol::KaMolBase& molecule, const KaSelection& selection);
    KaSelect(Kamol::KaMolBase& molecule, const std::string& text);
    KaSelect(const KaSelect& other);
    bool operator()(const Kamol::KaAtomBase& atom) const;
    const KaSelection& GetSelection() const;
};

std::vector<unsigned int> EvaluateSelection(Kamol::KaMolBase& molecule, const std::string& text);
unsigned int CountSelection(Kamol::KaMolBase& molecule, const std::string& text);

}  // namespace KaSel
