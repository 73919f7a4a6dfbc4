// Rules of the selection language, written as PEGTL rule templates. The rules
// only recognise text; the tree is built by the actions in parser.cpp, which
// attach to the rule types named here.
//
// Binding, loosest first: xor, or, and, the prefixes not/byres/bychain, one
// distance suffix, then primaries and parenthesised groups. Keywords are
// ASCII case-insensitive and are not followed by a word-boundary check: a
// keyword directly followed by more letters leaves them unmatched.
#pragma once

#include <tao/pegtl.hpp>

#include "selection/predicate.h"

namespace KaSel::grammar {

namespace pg = tao::pegtl;

// ---- character classes -----------------------------------------------------

struct blank : pg::one<' ', '\t', '\n', '\v', '\f', '\r'> {};
struct ws : pg::plus<blank> {};
struct ows : pg::star<blank> {};
struct letter : pg::ranges<'A', 'Z', 'a', 'z'> {};
struct digit : pg::range<'0', '9'> {};
struct name_byte : pg::sor<letter, digit, pg::one<'*', '?', '-', '_'>> {};

// ---- numbers ---------------------------------------------------------------

// Unsigned decimal integer, converted to a signed 32-bit value.
struct integer : pg::plus<digit> {};
// B-factor value: digits with an optional fraction, no sign, no exponent.
struct decimal : pg::seq<pg::plus<digit>, pg::opt<pg::one<'.'>, pg::star<digit>>> {};
// Distance of around/expand/beyond: like decimal, with an optional minus.
struct distance : pg::seq<pg::opt<pg::one<'-'>>, pg::plus<digit>, pg::opt<pg::one<'.'>, pg::star<digit>>> {};

struct compare_greater_equal : pg::string<'>', '='> {};
struct compare_less_equal : pg::string<'<', '='> {};
struct compare_greater : pg::one<'>'> {};
struct compare_less : pg::one<'<'> {};
struct comparison : pg::sor<compare_greater_equal, compare_less_equal, compare_greater, compare_less> {};

// The three forms of a numeric test after its keyword, tried in this order;
// Node is the predicate class the matching form builds.
template <class Node>
struct integer_compare : pg::seq<ws, comparison, ows, integer> {};
template <class Node>
struct integer_range : pg::seq<ws, integer, pg::one<'-'>, integer> {};
template <class Node>
struct integer_equal : pg::seq<ws, integer> {};
template <class Node>
struct integer_test : pg::sor<integer_compare<Node>, integer_range<Node>, integer_equal<Node>> {};

template <class Node>
struct decimal_compare : pg::seq<ws, comparison, ows, decimal> {};
template <class Node>
struct decimal_range : pg::seq<ws, decimal, pg::one<'-'>, decimal> {};
template <class Node>
struct decimal_equal : pg::seq<ws, decimal> {};
template <class Node>
struct decimal_test : pg::sor<decimal_compare<Node>, decimal_range<Node>, decimal_equal<Node>> {};

// ---- name lists ------------------------------------------------------------

// A double-quoted item keeps every byte between the quotes (no escapes).
struct quoted_text : pg::star<pg::not_one<'"'>> {};
struct quoted_item : pg::seq<pg::one<'"'>, quoted_text, pg::one<'"'>> {};
struct bare_item : pg::plus<name_byte> {};
struct list_item : pg::sor<quoted_item, bare_item> {};
// No blanks around "+"; a "+" without a valid item after it ends the list
// before the "+".
struct name_list : pg::seq<list_item, pg::star<pg::one<'+'>, list_item>> {};

// The keyword of a list row; matching it starts a fresh list.
template <class Node, class Keyword>
struct list_keyword : Keyword {};
template <class Node, class Keyword>
struct list_row : pg::seq<list_keyword<Node, Keyword>, ws, name_list> {};

// ---- path form "//chain/residue/name" ---------------------------------------

// Every part may be left out: "////" selects everything, "//A//" chain A. The
// separator before the name may be dropped when the residue number is absent
// or directly followed by the name, so "///CA" names atom CA.

struct path_start : pg::string<'/', '/'> {};
struct path_chain : letter {};
struct path_residue : pg::plus<digit> {};
struct path_name : pg::star<name_byte> {};
struct path
    : pg::seq<path_start, pg::opt<path_chain>, pg::one<'/'>, pg::opt<path_residue>, pg::opt<pg::one<'/'>>, path_name> {};

// ---- single-letter and element rows -----------------------------------------

struct chain_letter : letter {};
struct chain_row : pg::seq<TAO_PEGTL_ISTRING("chain"), ws, chain_letter> {};
struct alt_letter : letter {};
struct alt_row : pg::seq<TAO_PEGTL_ISTRING("alt"), ws, alt_letter> {};
struct element_symbol : pg::seq<letter, pg::opt<letter>> {};
struct elem_row : pg::seq<TAO_PEGTL_ISTRING("elem"), ws, element_symbol> {};

// ---- the primary -------------------------------------------------------------

// A keyword row that is complete in itself; the first spelling that matches
// wins, so longer spellings come first.
template <class Node, class... Spellings>
struct word : pg::sor<Spellings...> {};

// Rows in order of trial.
struct primary
    : pg::sor<path,
              list_row<NamePredicate, TAO_PEGTL_ISTRING("name")>,
              list_row<ResnPredicate, TAO_PEGTL_ISTRING("resn")>,
              pg::seq<TAO_PEGTL_ISTRING("resi"), integer_test<ResiPredicate>>,
              chain_row,
              elem_row,
              pg::seq<TAO_PEGTL_ISTRING("index"), integer_test<IndexPredicate>>,
              pg::seq<pg::sor<TAO_PEGTL_ISTRING("serial"), TAO_PEGTL_ISTRING("id")>, integer_test<IdPredicate>>,
              alt_row,
              pg::seq<pg::sor<TAO_PEGTL_ISTRING("bfactor"), TAO_PEGTL_ISTRING("b")>, decimal_test<BFactorPredicate>>,
              pg::seq<pg::sor<TAO_PEGTL_ISTRING("fragment"), TAO_PEGTL_ISTRING("frag")>, integer_test<FragmentPredicate>>,
              word<ProteinPredicate, TAO_PEGTL_ISTRING("protein")>,
              word<LigandPredicate, TAO_PEGTL_ISTRING("ligand"), TAO_PEGTL_ISTRING("lig")>,
              word<WaterPredicate, TAO_PEGTL_ISTRING("water")>,
              word<SolventPredicate, TAO_PEGTL_ISTRING("solvent")>,
              word<OrganicPredicate, TAO_PEGTL_ISTRING("organic")>,
              word<BackbonePredicate, TAO_PEGTL_ISTRING("backbone"), TAO_PEGTL_ISTRING("bb")>,
              word<SidechainPredicate, TAO_PEGTL_ISTRING("sidechain"), TAO_PEGTL_ISTRING("sc")>,
              word<MetalPredicate, TAO_PEGTL_ISTRING("metals"), TAO_PEGTL_ISTRING("metal")>,
              word<CappingPredicate, TAO_PEGTL_ISTRING("capping"), TAO_PEGTL_ISTRING("caps")>,
              word<HelixPredicate, TAO_PEGTL_ISTRING("helix")>,
              word<SheetPredicate, TAO_PEGTL_ISTRING("sheet")>,
              word<TurnPredicate, TAO_PEGTL_ISTRING("turn")>,
              word<LoopPredicate, TAO_PEGTL_ISTRING("loop")>,
              word<HeavyPredicate, TAO_PEGTL_ISTRING("heavy")>,
              word<PolarHydrogenPredicate, TAO_PEGTL_ISTRING("polar_hydrogen"), TAO_PEGTL_ISTRING("polarh")>,
              word<NonpolarHydrogenPredicate, TAO_PEGTL_ISTRING("nonpolar_hydrogen"), TAO_PEGTL_ISTRING("apolarh")>,
              word<HydrogenPredicate, TAO_PEGTL_ISTRING("hydrogen"), TAO_PEGTL_ISTRING("h")>,
              word<TruePredicateImpl, TAO_PEGTL_ISTRING("all")>,
              word<FalsePredicateImpl, TAO_PEGTL_ISTRING("none")>> {};

// ---- expressions ---------------------------------------------------------------

struct not_expression;
struct xor_expression;

struct group_open : pg::one<'('> {};
struct group_close : pg::one<')'> {};
struct group : pg::seq<group_open, ows, xor_expression, ows, group_close> {};
struct operand : pg::sor<group, primary> {};

template <class Node, class Keyword>
struct distance_suffix : pg::seq<Keyword, ws, distance> {};
struct any_distance_suffix : pg::sor<distance_suffix<ExpandPredicate, TAO_PEGTL_ISTRING("expand")>,
                                     distance_suffix<AroundPredicate, TAO_PEGTL_ISTRING("around")>,
                                     distance_suffix<BeyondPredicate, TAO_PEGTL_ISTRING("beyond")>> {};
// At most one suffix; when the blanks and suffix do not match completely the
// operand stands alone.
struct operand_expression : pg::seq<operand, pg::opt<ws, any_distance_suffix>> {};

struct not_keyword : TAO_PEGTL_ISTRING("not") {};
struct not_prefix : pg::seq<not_keyword, ws, not_expression> {};
template <class Node, class Keyword>
struct wrap_prefix : pg::seq<Keyword, ws, not_expression> {};

struct unary : pg::sor<not_prefix,
                       wrap_prefix<ByResPredicate, TAO_PEGTL_ISTRING("byres")>,
                       wrap_prefix<ByChainPredicate, TAO_PEGTL_ISTRING("bychain")>,
                       operand_expression> {};
struct not_expression : unary {};

struct and_keyword : TAO_PEGTL_ISTRING("and") {};
struct and_expression : pg::seq<not_expression, pg::star<ws, and_keyword, ws, not_expression>> {};
struct or_keyword : TAO_PEGTL_ISTRING("or") {};
struct or_expression : pg::seq<and_expression, pg::star<ws, or_keyword, ws, and_expression>> {};
struct xor_keyword : TAO_PEGTL_ISTRING("xor") {};
struct xor_expression : pg::seq<or_expression, pg::star<ws, xor_keyword, ws, or_expression>> {};

struct selection : xor_expression {};
// The whole text: surrounding blanks allowed, nothing else left over.
struct text : pg::seq<ows, selection, ows, pg::eof> {};

}  // namespace KaSel::grammar
