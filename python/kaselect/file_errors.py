"""What went wrong with a file, without the file's name, so that a message
can name the file once."""
from __future__ import annotations


def fault_of(path: str, error: BaseException) -> str:
    """The text of `error` met on `path` with the path left out: an OSError
    raised on opening carries the name as its filename (its strerror alone is
    the fault); the readers' and writers' own messages start with "path: "."""
    if isinstance(error, OSError) and error.filename is not None and error.strerror:
        return error.strerror
    text = str(error)
    return text[len(path) + 2:] if text.startswith(f"{path}: ") else text
