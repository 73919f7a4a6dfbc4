// Canonical text: keyword spellings, operand sorting, numbers, and the round
// trip through the parser.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "selection/predicate.h"
#include "selection/selection.h"

using namespace KaSel;

namespace {

std::string Canonical(const std::string& text) { return KaSelection::Parse(text).ToCanonical(); }

TEST(CanonicalText, SpellingsNumbersAndOperandOrder) {
    const std::pair<const char*, const char*> cases[] = {
        {"  (((Water)))  ", "water"}, {"lig", "ligand"}, {"bb", "backbone"}, {"sc", "sidechain"}, {"METALS", "metal"},
        {"caps", "capping"}, {"polarh", "polar_hydrogen"}, {"apolarh", "nonpolar_hydrogen"}, {"h", "hydrogen"},
        {"NONE", "none"}, {"////", "all"}, {"serial 5", "id 5"}, {"bfactor 5", "b 5"}, {"fragment 5", "frag 5"},
        {"elem cl", "elem Cl"}, {"chain a", "chain a"}, {"name \"C A\"", "name C A"}, {"POLAR_HYDROGEN", "polar_hydrogen"},
        {"resi 20-10", "resi 20-10"}, {"resi <5", "resi < 5"}, {"resi >= 0007", "resi >= 7"}, {"b 30.50", "b 30.5"},
        {"bfactor >= 7.", "b >= 7"}, {"b 30.1234567", "b 30.1235"}, {"b 1234567", "b 1.23457e+06"},
        {"ligand around 5.0", "ligand around 5"}, {"ligand expand 0.00001", "ligand expand 1e-05"},
        {"ligand around -2", "ligand around -2"}, {"water AnD protein Or ligand", "((protein and water) or ligand)"},
        {"resn ALA and chain A and name CA", "(chain A and name CA and resn ALA)"},
        {"(chain A and name CA) and resn ALA", "((chain A and name CA) and resn ALA)"},
        // "(" sorts before letters, upper case before lower case, a prefix first.
        {"protein and (water or ligand)", "((ligand or water) and protein)"},
        {"name b or name B or name a or name A", "(name A or name B or name a or name b)"},
        {"name CAB or name CA+CA", "((name CA or name CA) or name CAB)"}, {"//A/10/CA", "(chain A and name CA and resi 10)"},
        {"not not water", "not not water"}, {"byres (ligand around 5) and water", "(byres ligand around 5 and water)"},
        {"(not water) around 5", "not water around 5"}, {"not byres ligand", "byres not ligand"},
        {"water xor protein", "protein"}};
    for (auto [text, canonical] : cases) EXPECT_EQ(Canonical(text), canonical) << text;
}

TEST(CanonicalText, ParsingTheCanonicalTextAgainIsStable) {
    for (const char* text : {"byres (ligand around 5) and water", "resn ALA+GLY+SER and chain A and name CA",
                             "not (water or protein) and (metal or ligand)", "bychain (resi 10-20 or id >= 4) expand 2.5",
                             "b < 30.5 and elem fe and alt A", "frag 1 and index <= 100 and polarh",
                             "(resn HOH or solvent) and (helix or sheet or turn or loop)"}) {
        const std::string once = Canonical(text);
        EXPECT_EQ(Canonical(once), once) << text;
    }
}

}  // namespace
