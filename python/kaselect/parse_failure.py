"""Where a selection text that does not parse goes wrong. The parser's own
error keeps its fixed message ("Failed to parse selection: " + text); this
points at the fault for messages that show it."""
from __future__ import annotations

from . import _fastpath


def parse_failure(text: str) -> tuple[int, str] | None:
    """None when the grammar accepts `text` (also when a number in it is out
    of range, which fails after the grammar matched); otherwise (column,
    hint): the index in `text` of the first character the grammar could not
    take (len(text) when the text ends too soon), and, when a name or
    residue-name value holds characters a bare name cannot, such as
    `resn NA+`, that value quoted as the grammar takes it (`resn "NA+"`),
    else ""."""
    found = _fastpath.parse_failure(text)
    if found is None:
        return None
    offset, hint = found
    column = len(text.encode("utf-8")[:offset].decode("utf-8", "ignore"))
    return column, hint
