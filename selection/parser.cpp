// Selection text to predicate tree. The grammar (grammar.h) only recognises
// text; the actions below build the tree on an explicit operand stack, with
// one frame of operator counters per parenthesised group.
//
// Actions run as soon as their rule matches and are never undone: when an
// enclosing alternative fails and PEGTL rewinds the input, counters already
// raised, nodes already pushed and frames already opened stay as they are.
// With this grammar that only happens on texts that then fail as a whole.

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "selection/grammar.h"
#include "selection/predicate.h"
#include "selection/selection.h"
#include "selection/text.h"

namespace KaSel {

namespace {

namespace pg = tao::pegtl;
namespace gr = grammar;

// Operator counters of one nesting level.
struct GroupFrame {
    int32_t andCount = 0;
    int32_t orCount = 0;
    int32_t notCount = 0;
};

// Everything one call of the parser works on; discarded at the end.
struct ParseState {
    std::vector<PredicatePtr> operandStack;
    std::string currentText;
    std::vector<std::string> nameList;
    int32_t currentInteger = 0;
    int32_t previousInteger = 0;
    int32_t comparison = Equal;
    float currentDecimal = 0.0f;
    float previousDecimal = 0.0f;
    float distance = 0.0f;
    std::string pathChain;
    int32_t pathResidue = -1;
    std::string pathName;
    std::vector<GroupFrame> frameStack{GroupFrame{}};
    // Current nesting of not-expressions, bounded by kMaxNesting.
    int depth = 0;

    GroupFrame& Frame() { return frameStack.back(); }
};

// Deeper nesting than this is refused as a parse failure instead of running
// the recursive-descent matcher (and later the recursive tree walks) out of
// stack. Realistic selections nest a handful of levels.
constexpr int kMaxNesting = 256;
struct NestingTooDeep {};

// ---- stack operations --------------------------------------------------------

PredicatePtr Pop(ParseState& state) {
    if (state.operandStack.empty()) throw SelectionError("Internal parser error: operand stack underflow");
    PredicatePtr top = std::move(state.operandStack.back());
    state.operandStack.pop_back();
    return top;
}

void Push(ParseState& state, PredicatePtr node) { state.operandStack.push_back(std::move(node)); }

// Combines the last count+1 operands into one And/Or node. The counter is
// cleared even when the stack is too short to reduce.
template <class Node>
void Reduce(ParseState& state, int32_t& count) {
    const int32_t n = count;
    if (n < 1) return;
    count = 0;
    if (state.operandStack.size() < static_cast<size_t>(n) + 1) return;
    PredicateList children(static_cast<size_t>(n) + 1);
    for (size_t i = children.size(); i-- > 0;) children[i] = Pop(state);
    Push(state, std::make_shared<Node>(std::move(children)));
}

void ApplyNot(ParseState& state) {
    const int32_t n = state.Frame().notCount;
    if (n < 1) return;
    state.Frame().notCount = 0;
    if (state.operandStack.empty()) return;
    for (int32_t i = 0; i < n; ++i) Push(state, std::make_shared<NotPredicate>(Pop(state)));
}

// ---- number conversion ---------------------------------------------------------

// Digits only (the grammar guarantees it); values above INT32_MAX overflow.
int32_t ToInteger(const char* begin, const char* end) {
    int32_t value = 0;
    if (ReadLeadingInt(std::string_view(begin, size_t(end - begin)), value) != IntRead::Ok)
        throw std::out_of_range("stoi argument out of range");
    return value;
}

// Decimal text to float through the C library, independent of the process
// locale's decimal point; out of range exactly when the conversion reports
// ERANGE (overflow, or a non-zero value that underflows).
float ToFloat(const std::string& text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    errno = 0;
    const float value = cLocale ? strtof_l(text.c_str(), nullptr, cLocale) : std::strtof(text.c_str(), nullptr);
    if (errno == ERANGE) throw std::out_of_range("stof argument out of range");
    return value;
}

// ---- actions -----------------------------------------------------------------------

template <class Rule>
struct Action : pg::nothing<Rule> {};

// Operators and groups.

// "xor" has no action: it builds no node, so of the xor operands only the
// last stays on top of the operand stack.
template <>
struct Action<gr::or_keyword> {
    static void apply0(ParseState& state) { ++state.Frame().orCount; }
};
template <>
struct Action<gr::and_keyword> {
    static void apply0(ParseState& state) { ++state.Frame().andCount; }
};
template <>
struct Action<gr::not_keyword> {
    static void apply0(ParseState& state) { ++state.Frame().notCount; }
};
template <>
struct Action<gr::or_expression> {
    static void apply0(ParseState& state) { Reduce<OrPredicate>(state, state.Frame().orCount); }
};
template <>
struct Action<gr::and_expression> {
    static void apply0(ParseState& state) { Reduce<AndPredicate>(state, state.Frame().andCount); }
};
// Applies the pending "not"s of the frame. A "not" counted before "byres" is
// consumed here, at the end of byres' own operand: "not byres x" gives
// byres (not x).
template <>
struct Action<gr::not_expression> {
    static void apply0(ParseState& state) { ApplyNot(state); }
};
template <>
struct Action<gr::group_open> {
    static void apply0(ParseState& state) { state.frameStack.emplace_back(); }
};
template <>
struct Action<gr::group_close> {
    static void apply0(ParseState& state) {
        if (state.frameStack.size() > 1) state.frameStack.pop_back();
    }
};

template <class Node, class Keyword>
struct Action<gr::wrap_prefix<Node, Keyword>> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<Node>(Pop(state))); }
};
template <class Node, class Keyword>
struct Action<gr::distance_suffix<Node, Keyword>> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<Node>(state.distance, Pop(state))); }
};

// Numbers.

template <>
struct Action<gr::integer> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.previousInteger = state.currentInteger;
        state.currentInteger = ToInteger(in.begin(), in.end());
    }
};
template <>
struct Action<gr::decimal> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.previousDecimal = state.currentDecimal;
        state.currentDecimal = ToFloat(in.string());
    }
};
template <>
struct Action<gr::distance> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.distance = ToFloat(in.string());
    }
};

template <Comparison Code>
struct SetComparison {
    static void apply0(ParseState& state) { state.comparison = Code; }
};
template <>
struct Action<gr::compare_greater_equal> : SetComparison<GreaterEqual> {};
template <>
struct Action<gr::compare_less_equal> : SetComparison<LessEqual> {};
template <>
struct Action<gr::compare_greater> : SetComparison<Greater> {};
template <>
struct Action<gr::compare_less> : SetComparison<Less> {};

// Numeric tests. Index and fragment take the signed value into their
// unsigned fields unchanged (the grammar has no sign).
template <class Node>
struct Action<gr::integer_compare<Node>> {
    static void apply0(ParseState& state) {
        using T = decltype(Node::low);
        Push(state, std::make_shared<Node>(static_cast<T>(state.currentInteger), static_cast<Comparison>(state.comparison)));
        state.comparison = Equal;
    }
};
template <class Node>
struct Action<gr::integer_range<Node>> {
    static void apply0(ParseState& state) {
        using T = decltype(Node::low);
        Push(state, std::make_shared<Node>(static_cast<T>(state.previousInteger), static_cast<T>(state.currentInteger)));
    }
};
template <class Node>
struct Action<gr::integer_equal<Node>> {
    static void apply0(ParseState& state) {
        using T = decltype(Node::low);
        Push(state, std::make_shared<Node>(static_cast<T>(state.currentInteger), Equal));
    }
};
template <class Node>
struct Action<gr::decimal_compare<Node>> {
    static void apply0(ParseState& state) {
        Push(state, std::make_shared<Node>(state.currentDecimal, static_cast<Comparison>(state.comparison)));
        state.comparison = Equal;
    }
};
template <class Node>
struct Action<gr::decimal_range<Node>> {
    static void apply0(ParseState& state) {
        Push(state, std::make_shared<Node>(state.previousDecimal, state.currentDecimal));
    }
};
template <class Node>
struct Action<gr::decimal_equal<Node>> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<Node>(state.currentDecimal, Equal)); }
};

// Name lists, letters and element symbols: the matched text becomes the
// current text, which the enclosing row then uses.

struct TakeText {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.currentText = in.string();
    }
};
template <>
struct Action<gr::quoted_text> : TakeText {};
template <>
struct Action<gr::bare_item> : TakeText {};
template <>
struct Action<gr::chain_letter> : TakeText {};
template <>
struct Action<gr::alt_letter> : TakeText {};
template <>
struct Action<gr::element_symbol> : TakeText {};

template <class Node, class Keyword>
struct Action<gr::list_keyword<Node, Keyword>> {
    static void apply0(ParseState& state) { state.nameList.clear(); }
};
template <>
struct Action<gr::list_item> {
    static void apply0(ParseState& state) { state.nameList.push_back(state.currentText); }
};
// One item gives one node; more give an "or" of one node per item.
template <class Node, class Keyword>
struct Action<gr::list_row<Node, Keyword>> {
    static void apply0(ParseState& state) {
        if (state.nameList.size() == 1) {
            Push(state, std::make_shared<Node>(std::move(state.nameList.front())));
        } else {
            PredicateList items;
            items.reserve(state.nameList.size());
            for (std::string& item : state.nameList) items.push_back(std::make_shared<Node>(std::move(item)));
            Push(state, std::make_shared<OrPredicate>(std::move(items)));
        }
        state.nameList.clear();
    }
};

template <>
struct Action<gr::chain_row> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<ChainPredicate>(state.currentText)); }
};
template <>
struct Action<gr::alt_row> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<AltPredicate>(state.currentText)); }
};
template <>
struct Action<gr::elem_row> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<ElemPredicate>(state.currentText)); }
};

// Keyword rows that stand alone.
template <class Node, class... Spellings>
struct Action<gr::word<Node, Spellings...>> {
    static void apply0(ParseState& state) { Push(state, std::make_shared<Node>()); }
};

// Path form: chain, residue number and atom name, each optional.

template <>
struct Action<gr::path_start> {
    static void apply0(ParseState& state) {
        state.pathChain.clear();
        state.pathName.clear();
        state.pathResidue = -1;
    }
};
template <>
struct Action<gr::path_chain> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.pathChain = in.string();
    }
};
template <>
struct Action<gr::path_residue> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.pathResidue = ToInteger(in.begin(), in.end());
    }
};
template <>
struct Action<gr::path_name> {
    template <class Input>
    static void apply(const Input& in, ParseState& state) {
        state.pathName = in.string();
    }
};
template <>
struct Action<gr::path> {
    static void apply0(ParseState& state) {
        PredicateList parts;
        if (!state.pathChain.empty()) parts.push_back(std::make_shared<ChainPredicate>(state.pathChain));
        if (state.pathResidue >= 0) parts.push_back(std::make_shared<ResiPredicate>(state.pathResidue, Equal));
        if (!state.pathName.empty()) parts.push_back(std::make_shared<NamePredicate>(state.pathName));
        if (parts.empty()) {
            Push(state, std::make_shared<TruePredicateImpl>());
        } else if (parts.size() == 1) {
            Push(state, std::move(parts.front()));
        } else {
            Push(state, std::make_shared<AndPredicate>(std::move(parts)));
        }
    }
};

// ---- control: nesting bound ------------------------------------------------------

template <class Rule>
struct Control : pg::normal<Rule> {};

template <>
struct Control<gr::not_expression> : pg::normal<gr::not_expression> {
    template <class Input>
    static void start(const Input&, ParseState& state) {
        if (++state.depth > kMaxNesting) throw NestingTooDeep{};
    }
    template <class Input>
    static void success(const Input&, ParseState& state) {
        --state.depth;
    }
    template <class Input>
    static void failure(const Input&, ParseState& state) {
        --state.depth;
    }
};

}  // namespace

PredicatePtr ParseSelectionText(const std::string& text) {
    ParseState state;
    pg::memory_input<pg::tracking_mode::lazy> input(text.data(), text.size(), "selection");
    bool matched = false;
    try {
        matched = pg::parse<gr::text, Action, Control>(input, state);
    } catch (const NestingTooDeep&) {
        matched = false;
    }
    if (!matched) throw SelectionError("Failed to parse selection: " + text);
    if (state.operandStack.empty()) throw SelectionError("No predicate created for: " + text);
    return state.operandStack.back();
}

}  // namespace KaSel
