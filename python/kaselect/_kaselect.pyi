# The SWIG extension itself; its typed interface is the proxy module
# kaselect.kaselect.
from typing import Any

def __getattr__(name: str) -> Any: ...
