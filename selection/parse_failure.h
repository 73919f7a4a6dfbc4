// Where a selection text stops making sense: a diagnostic beside the parser
// for messages that point at the fault. The parser's own SelectionError
// keeps its fixed message and position 0.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace KaSel {

struct ParseFailure {
    // Byte offset of the furthest point the grammar reached: the first byte
    // it could not take (the text's length when the text ended too soon).
    size_t position;
    // For a name or residue-name value holding bytes a bare name cannot
    // (NA+, MG2+, O1'), the value written as the grammar takes it, quoted:
    // resn "NA+". Empty otherwise.
    std::string hint;
};

// Nothing for a text that the grammar accepts (numbers out of range
// included: they fail after the grammar matched) and for empty text.
std::optional<ParseFailure> ParseFailurePosition(const std::string& text);

}  // namespace KaSel
