"""The toolkit's Python modules: molecules (lumora.kamol) and grids (lumora.kagrid)."""
