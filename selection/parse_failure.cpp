// The grammar run without actions, its control noting how far rules got.
#include "selection/parse_failure.h"

#include <algorithm>

#include "selection/grammar.h"

namespace KaSel {

namespace {

namespace pg = tao::pegtl;
namespace gr = grammar;

// Bounded like the parser's nesting, so that deep texts cannot exhaust the stack.
constexpr int kMaxNesting = 256;
struct NestingTooDeep {};

struct Progress {
    const char* begin = nullptr;
    size_t furthest = 0;
    // The last list keyword matched ("name", "resn" as written), where its
    // list starts, and where the last item of a list ended.
    std::string keyword;
    size_t listStart = 0;
    size_t itemEnd = SIZE_MAX;
    int depth = 0;
};

// Progress is noted where a rule commits to part of the text: the end of a
// whole primary, operand or operator word, and the start of what follows a
// keyword (its value, distance or operand). Pieces inside a rule that then
// fails as a whole, such as a "+" without a list item after it, do not count.
void Reach(Progress& progress, const char* at) {
    progress.furthest = std::max(progress.furthest, size_t(at - progress.begin));
}

template <class Rule>
struct Track : pg::normal<Rule> {};

// Rules whose end counts.
template <class Rule>
struct TrackEnd : pg::normal<Rule> {
    template <class Input>
    static void success(const Input& in, Progress& progress) {
        Reach(progress, in.current());
    }
};
template <> struct Track<gr::primary> : TrackEnd<gr::primary> {};
template <> struct Track<gr::operand_expression> : TrackEnd<gr::operand_expression> {};
template <> struct Track<gr::group_close> : TrackEnd<gr::group_close> {};
template <> struct Track<gr::and_keyword> : TrackEnd<gr::and_keyword> {};
template <> struct Track<gr::or_keyword> : TrackEnd<gr::or_keyword> {};
template <> struct Track<gr::xor_keyword> : TrackEnd<gr::xor_keyword> {};
template <> struct Track<gr::not_keyword> : TrackEnd<gr::not_keyword> {};

// Rules whose start counts: each begins after a keyword and its blanks.
template <class Rule>
struct TrackStart : pg::normal<Rule> {
    template <class Input>
    static void start(const Input& in, Progress& progress) {
        Reach(progress, in.current());
    }
};
template <class Node> struct Track<gr::integer_test<Node>> : TrackStart<gr::integer_test<Node>> {};
template <class Node> struct Track<gr::decimal_test<Node>> : TrackStart<gr::decimal_test<Node>> {};
template <> struct Track<gr::chain_letter> : TrackStart<gr::chain_letter> {};
template <> struct Track<gr::alt_letter> : TrackStart<gr::alt_letter> {};
template <> struct Track<gr::element_symbol> : TrackStart<gr::element_symbol> {};
template <> struct Track<gr::distance> : TrackStart<gr::distance> {};

template <class Node, class Keyword>
struct Track<gr::list_keyword<Node, Keyword>> : pg::normal<gr::list_keyword<Node, Keyword>> {
    template <class Input>
    static void start(const Input& in, Progress& progress) {
        progress.listStart = size_t(in.current() - progress.begin);
    }
    template <class Input>
    static void success(const Input& in, Progress& progress) {
        const size_t end = size_t(in.current() - progress.begin);
        progress.keyword.assign(progress.begin + progress.listStart, end - progress.listStart);
        progress.listStart = end;
    }
};

template <> struct Track<gr::name_list> : TrackStart<gr::name_list> {};

template <>
struct Track<gr::list_item> : pg::normal<gr::list_item> {
    template <class Input>
    static void success(const Input& in, Progress& progress) {
        progress.itemEnd = size_t(in.current() - progress.begin);
    }
};

template <>
struct Track<gr::not_expression> : pg::normal<gr::not_expression> {
    template <class Input>
    static void start(const Input& in, Progress& progress) {
        if (++progress.depth > kMaxNesting) throw NestingTooDeep{};
        Reach(progress, in.current());
    }
    template <class Input>
    static void success(const Input&, Progress& progress) {
        --progress.depth;
    }
    template <class Input>
    static void failure(const Input&, Progress& progress) {
        --progress.depth;
    }
};

bool EndsValue(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == ')'; }

}  // namespace

std::optional<ParseFailure> ParseFailurePosition(const std::string& text) {
    if (text.empty()) return std::nullopt;
    Progress progress;
    progress.begin = text.data();
    pg::memory_input<pg::tracking_mode::lazy> input(text.data(), text.size(), "selection");
    try {
        if (pg::parse<gr::text, pg::nothing, Track>(input, progress)) return std::nullopt;
    } catch (const NestingTooDeep&) {
    }
    const size_t at = std::min(progress.furthest, text.size());
    // Blanks after what was taken are fine: the fault is what follows them.
    ParseFailure failure{std::min(text.find_first_not_of(" \t\n\v\f\r", at), text.size()), {}};
    // A name list that ended on a byte its items cannot hold: the whole
    // value up to the next blank or ")" is meant as one name.
    if (at == progress.itemEnd && at < text.size() && !EndsValue(text[at]) && text[at] != '"') {
        size_t start = progress.listStart;
        while (start < at && EndsValue(text[start])) ++start;
        size_t end = at;
        while (end < text.size() && !EndsValue(text[end])) ++end;
        const std::string value = text.substr(start, end - start);
        if (value.find('"') == std::string::npos) failure.hint = progress.keyword + " \"" + value + "\"";
    }
    return failure;
}

}  // namespace KaSel
