"""Print the canonical text and the predicate kinds of selections.

    python -m kaselect.demo "byres (ligand around 5) and water" "//A/10/CA"
"""
import sys

import kaselect

# PredicateType constants by value, e.g. {29: "AROUND"}.
PREDICATE_KINDS = {
    getattr(kaselect, name): name[len("PredicateType_"):]
    for name in dir(kaselect)
    if name.startswith("PredicateType_")
}


def describe(text):
    """Canonical text and the kinds of predicate the selection contains."""
    selection = kaselect.KaSelection.Parse(text)
    kinds = [name for value, name in sorted(PREDICATE_KINDS.items())
             if selection.ContainsPredicate(value)]
    return selection.ToCanonical(), kinds


def main(argv):
    status = 0
    for text in argv:
        try:
            canonical, kinds = describe(text)
        except ValueError as error:
            print(f"{text!r}: {error}", file=sys.stderr)
            status = 2
            continue
        print(f"{text!r}\n  canonical: {canonical}\n  kinds:     {', '.join(kinds)}")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
