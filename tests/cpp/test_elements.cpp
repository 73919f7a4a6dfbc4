// Element symbol lookup: the whole periodic table, case folding, isotopes,
// systematic symbols and rejected texts.

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "molecule/elements.h"

using Kamol::GetAtomicNumFromSymbol;
using Kamol::GetElementSymbol;

namespace {

std::string WithCase(std::string text, int (*change)(int)) {
    for (char& c : text) c = static_cast<char>(change(static_cast<unsigned char>(c)));
    return text;
}

TEST(Elements, EverySymbolOfThePeriodicTableRoundTrips) {
    for (uint32_t z = 1; z <= Kamol::kMaxElement; ++z) {
        const std::string symbol = GetElementSymbol(z);
        ASSERT_FALSE(symbol.empty()) << z;
        EXPECT_EQ(GetAtomicNumFromSymbol(symbol.c_str()), z) << symbol;
        EXPECT_EQ(GetAtomicNumFromSymbol(WithCase(symbol, std::toupper).c_str()), z) << symbol;
        EXPECT_EQ(GetAtomicNumFromSymbol(WithCase(symbol, std::tolower).c_str()), z) << symbol;
        EXPECT_EQ(GetAtomicNumFromSymbol(("  " + symbol).c_str()), z) << symbol;
    }
    EXPECT_STREQ(GetElementSymbol(0), "");
    EXPECT_STREQ(GetElementSymbol(119), "");
    EXPECT_STREQ(GetElementSymbol(118), "Og");
}

TEST(Elements, HydrogenIsotopes) {
    for (const char* symbol : {"D", "T", "d", "t", " D"}) EXPECT_EQ(GetAtomicNumFromSymbol(symbol), 1u) << symbol;
}

// Unnilnilium (100) to Unbiennium (129): U, then n/u/b for the tens digit and
// n u b t q p h s o e for the units digit.
TEST(Elements, SystematicSymbols) {
    const char digits[] = "nubtqphsoe";
    for (uint32_t z = 100; z <= 129; ++z) {
        const std::string symbol = {'U', digits[(z / 10) % 10], digits[z % 10]};
        EXPECT_EQ(GetAtomicNumFromSymbol(symbol.c_str()), z) << symbol;
        EXPECT_EQ(GetAtomicNumFromSymbol(("u" + symbol.substr(1)).c_str()), z) << symbol;
    }
    EXPECT_EQ(GetAtomicNumFromSymbol("Uun"), 110u);
    EXPECT_EQ(GetAtomicNumFromSymbol("Ube"), 129u);
}

class RejectedSymbol : public testing::TestWithParam<const char*> {};

TEST_P(RejectedSymbol, GivesZero) { EXPECT_EQ(GetAtomicNumFromSymbol(GetParam()), 0u); }

INSTANTIATE_TEST_SUITE_P(Texts, RejectedSymbol,
                         testing::Values(nullptr, "", "   ", "Xx", "Q", "J", "1H", "@", "-C", "Cax", "Fee",
                                         "Utn",    // t is no tens digit
                                         "Unx",    // x is no digit letter
                                         "Uunn",   // four letters
                                         "Ca\tx",  // four characters
                                         "C1"));

}  // namespace
