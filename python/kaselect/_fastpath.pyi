# The NumPy and command-line fast path (fastpath.cpp) is internal: the typed
# interface is that of the modules built on it (arrays, build, frames, ...).
from typing import Any

def __getattr__(name: str) -> Any: ...
