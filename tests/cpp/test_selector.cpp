// Residue selector records, their text form, ordering and the selector-set functions.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "molecule/io.h"
#include "molecule/molecule.h"
#include "selection/select.h"
#include "selection/selection.h"
#include "selection/selector.h"

using KaSel::Selector;
using KaSel::SelectorSet;
using KaSel::SelectionError;

namespace {

struct Fields {
    std::string name;
    int number;
    std::string insertCode;
    std::string chain;
};

void ExpectFields(const Selector& s, const Fields& f) {
    EXPECT_EQ(s.name, f.name);
    EXPECT_EQ(s.residue_number, f.number);
    EXPECT_EQ(s.insert_code, f.insertCode);
    EXPECT_EQ(s.chain, f.chain);
}

// The message of the SelectionError that `call` throws, or a marker when it
// throws nothing or something else.
template <class Call>
std::string SelectionErrorOf(Call call) {
    try {
        call();
    } catch (const SelectionError& e) {
        EXPECT_EQ(e.Position(), 0u);
        return e.what();
    } catch (const std::exception& e) {
        return std::string("<other exception> ") + e.what();
    }
    return "<no exception>";
}

std::string FormatError(const std::string& text) {
    return "Invalid selector format: " + text + " (expected NAME:NUMBER:ICODE:CHAIN)";
}

std::string NumberError(const std::string& field) { return "Invalid residue number in selector: " + field; }

std::vector<std::string> Texts(const SelectorSet& set) {
    std::vector<std::string> texts;
    for (const Selector& s : set) texts.push_back(s.ToString());
    return texts;
}

}  // namespace

// ---- text form and lists ------------------------------------------------------

TEST(Selector, FromStringReadsFieldsInTextOrder) {
    const std::pair<const char*, Fields> cases[] = {
        {" ALA : 12 : B :A", {"ALA", 12, "B", "A"}}, {"\tGLY\t:\t3\t:B:\tC ", {"GLY", 3, "B", "C"}},
        {"ALA:12::A", {"ALA", 12, "", "A"}}, {"ALA:12: :A:", {"ALA", 12, " ", "A"}},
        // Fields of only blanks and tabs are kept as written; carriage returns are not trimmed.
        {" :5:\t\t: \t", {" ", 5, "\t\t", " \t"}}, {"ALA:12: :A\r", {"ALA", 12, " ", "A\r"}},
        {"ALA:+7: :A", {"ALA", 7, " ", "A"}}, {"ALA:12x: :A", {"ALA", 12, " ", "A"}},
        {"ALA:\n\v 8: :A", {"ALA", 8, " ", "A"}}, {"ALA:-2147483648: :A", {"ALA", INT_MIN, " ", "A"}}};
    for (const auto& [text, fields] : cases) ExpectFields(Selector::FromString(text), fields);
    for (const Selector& s : {Selector("HOH", -7, "W", "Z"), Selector("", 0, "A", ""), Selector("UNL", 1, " ", " ")})
        EXPECT_EQ(Selector::FromString(s.ToString()), s) << s.ToString();
}

TEST(Selector, MalformedTextsAndListsFailWithTheDocumentedMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"", FormatError("")}, {"ALA:12: :", FormatError("ALA:12: :")}, {"ALA:12: :A::", FormatError("ALA:12: :A::")},
        {"  ALA:12: :A:B  ", FormatError("  ALA:12: :A:B  ")}, {"ALA: x : :A", NumberError("x")},
        {"ALA: \t: :A", NumberError(" \t")}, {"ALA:+-1: :A", NumberError("+-1")},
        {"ALA:2147483648: :A", NumberError("2147483648")}, {"ALA:-2147483649: :A", NumberError("-2147483649")}};
    for (const auto& [text, message] : cases)
        EXPECT_EQ(SelectionErrorOf([&] { Selector::FromString(text); }), message) << text;
    const std::pair<std::string, std::string> lists[] = {
        // A blank does not separate; the piece trim removes a blank chain; the first bad piece decides.
        {"ALA:10: :A GLY:11: :A", FormatError("ALA:10: :A GLY:11: :A")}, {"ALA:12:B: ", FormatError("ALA:12:B:")},
        {"ALA:1: :A;GLY:2: :A;SER:x: :A;THR:4: :A", NumberError("x")},
        {"ALA:1: :A\r\nGLY:2: :A:B\r\n", FormatError("GLY:2: :A:B")}, {"ALA:y: :A,GLY", NumberError("y")}};
    for (const auto& [text, message] : lists)
        EXPECT_EQ(SelectionErrorOf([&] { KaSel::parse_selector_set(text); }), message) << text;
}

TEST(ParseSelectorSet, SplitsTrimsAndKeepsFirstPerKey) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {" ,; \n\r\n", {}}, {"ALA:1: :A;GLY:1: :A", {"ALA:1: :A"}},
        {"GLY:20: :A,ALA:3: :B;SER:1: :A", {"SER:1: :A", "GLY:20: :A", "ALA:3: :B"}},
        {",;&\t\nA:1: :A,;&\t\n,B:2: :A&&", {"A:1: :A", "B:2: :A"}},
        {"  ALA:10: :A  ,\r GLY:11:B:A\r", {"ALA:10: :A", "GLY:11:B:A"}}, {"ALA:10::A", {"ALA:10::A"}},
        {"ALA:1: :A" + std::string(300000, ',') + std::string(300000, '\n') + "GLY:2: :A", {"ALA:1: :A", "GLY:2: :A"}}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(Texts(KaSel::parse_selector_set(text)), expected) << text.size();
    SelectorSet set{Selector("ALA", 12, "A")};
    EXPECT_EQ(set.count(Selector("ANY", 12, "A", " ")), 1u);  // keys ignore the name ...
    EXPECT_EQ(set.count(Selector("ALA", 12, "A", "")), 0u);   // ... but not the insert code
}

