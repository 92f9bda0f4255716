"""Writes the README's quick-start code blocks into a folder, as written:
CMakeLists.txt, main.cpp and build.sh from "C++ quick start", quick_start.py
from "Python quick start".

    readme_blocks.py README.md OUT_DIR
"""

import re
import sys
from pathlib import Path

readme, out = Path(sys.argv[1]).read_text(encoding="utf-8"), Path(sys.argv[2])
sections = {m.group(1).strip(): m.group(2) for m in re.finditer(r"^## (.+)\n((?:(?!^## ).*\n?)*)", readme, re.M)}
wanted = {
    ("C++ quick start", "cmake"): "CMakeLists.txt",
    ("C++ quick start", "cpp"): "main.cpp",
    ("C++ quick start", "sh"): "build.sh",
    ("Python quick start", "python"): "quick_start.py",
}
out.mkdir(parents=True, exist_ok=True)
for (section, language), name in wanted.items():
    blocks = re.findall(rf"^```{language}\n(.*?)^```", sections.get(section, ""), re.M | re.S)
    if len(blocks) != 1:
        sys.exit(f"README: expected one {language} block under '{section}', found {len(blocks)}")
    (out / name).write_text(blocks[0], encoding="utf-8")
