# Sphinx configuration of the Python API reference, built by scripts/docs.sh
# from the docstrings of the built module (found through PYTHONPATH).
project = "tesk_vumo"
extensions = ["sphinx.ext.autodoc"]
autodoc_default_options = {"members": True, "undoc-members": True, "member-order": "bysource"}
# pybind11 writes each function's signature as the first line of its docstring.
autodoc_docstring_signature = True
html_theme = "alabaster"
html_show_sourcelink = False
