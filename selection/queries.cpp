#include "selection/queries.h"

#include "selection/select.h"

namespace KaSel {

std::vector<unsigned int> EvaluateSelection(Kamol::KaMolBase& molecule, const std::string& text) {
    return KaSelect(molecule, text).SelectAll();
}

unsigned int CountSelection(Kamol::KaMolBase& molecule, const std::string& text) {
    return static_cast<unsigned int>(KaSelect(molecule, text).SelectAll().size());
}

}  // namespace KaSel
