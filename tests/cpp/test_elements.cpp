// Element symbol lookup: its rules (case, blanks, isotopes, systematic names,
// rejected texts), not the table itself.
#include <gtest/gtest.h>

#include "molecule/elements.h"

namespace {

TEST(Elements, SymbolRules) {
    const std::pair<const char*, uint32_t> cases[] = {
        {"Ca", 20}, {"CA", 20}, {"ca", 20}, {"  Fe", 26}, {"D", 1}, {"t", 1}, {"Og", 118}, {"Uun", 110},
        {"ube", 129}, {nullptr, 0}, {"", 0}, {"Xx", 0}, {"1H", 0}, {"Cax", 0}, {"Utn", 0}, {"Uunn", 0}, {"C1", 0}};
    for (auto [symbol, z] : cases) EXPECT_EQ(Kamol::GetAtomicNumFromSymbol(symbol), z) << (symbol ? symbol : "null");
    for (uint32_t z = 1; z <= Kamol::kMaxElement; ++z)
        EXPECT_EQ(Kamol::GetAtomicNumFromSymbol(Kamol::GetElementSymbol(z)), z) << z;
    EXPECT_STREQ(Kamol::GetElementSymbol(119), "");
}

}  // namespace
