// Selection text: parse, print the canonical text, parse that again; the
// failure diagnostic agrees with the parser on which texts fail.
//
// Parse documents SelectionError for grammar faults and std::out_of_range for
// numbers that do not fit; both are expected. The canonical text need not
// parse back (quoted names and exponent-form numbers do not), but trying must
// fail the same documented ways, and a tree that does parse back must print.

#include <stdexcept>
#include <string>

#include "fuzz_support.h"
#include "selection/parse_failure.h"
#include "selection/predicate.h"
#include "selection/selection.h"

namespace {

bool TryParse(const std::string& text, KaSel::KaSelection& out) {
    // The failure diagnostic answers exactly for the texts the grammar
    // rejects, at a place inside the text.
    const auto failure = KaSel::ParseFailurePosition(text);
    if (failure && failure->position > text.size()) kafuzz::Fail("failure position past the text");
    try {
        out = KaSel::KaSelection::Parse(text);
        if (failure) kafuzz::Fail("a failure position for a text that parses");
        return true;
    } catch (const KaSel::SelectionError&) {
        if (!failure) kafuzz::Fail("no failure position for a text that does not parse");
    } catch (const std::out_of_range&) {
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kafuzz::QuietWarnings();
    const std::string text = kafuzz::Text(data, size);
    KaSel::KaSelection selection;
    if (!TryParse(text, selection)) return 0;

    const std::string canonical = selection.ToCanonical();
    // A copy shares the tree and must print alike.
    KaSel::KaSelection copy(selection);
    if (copy.ToCanonical() != canonical) kafuzz::Fail("a copy prints differently: " + canonical);
    // Walk the whole tree through the public queries.
    (void)selection.IsEmpty();
    (void)selection.ContainsPredicate(KaSel::PredicateType::AROUND);
    (void)selection.ContainsPredicate(KaSel::PredicateType::XOR);

    KaSel::KaSelection reparsed;
    if (TryParse(canonical, reparsed)) (void)reparsed.ToCanonical();
    return 0;
}
