"""Type-checks every Python block of the README against the module's stubs.

Usage: check_readme.py README.md MODULE_DIR CACHE_DIR
"""
import os
import re
import subprocess
import sys
import tempfile

readme, module_dir, cache_dir = sys.argv[1:]
blocks = re.findall(r"^```python\n(.*?)^```", open(readme, encoding="utf-8").read(), re.S | re.M)
assert blocks, f"{readme} has no Python block"
config = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mypy.ini")
with tempfile.TemporaryDirectory() as work:
    files = []
    for number, block in enumerate(blocks, 1):
        files.append(os.path.join(work, f"readme_block_{number}.py"))
        with open(files[-1], "w", encoding="utf-8") as file:
            file.write(block)
    # The module's stubs are found as those of an installed package.
    result = subprocess.run([sys.executable, "-m", "mypy", "--config-file", config, "--cache-dir", cache_dir,
                             "--python-executable", sys.executable, *files],
                            env={**os.environ, "PYTHONPATH": module_dir}, text=True, capture_output=True)
print(result.stdout, result.stderr, sep="", end="")
sys.exit(result.returncode)
