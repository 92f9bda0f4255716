#!/usr/bin/env bash
# Installs the library into a scratch prefix, moves the installed tree
# elsewhere and checks that the library finds its message catalogues beside
# itself there (a catalogue that only the moved tree has).
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/first" > /dev/null
mv "$work/first" "$work/moved"
catalogues=$(dirname "$(dirname "$(ls "$work"/moved/share/locale/en/LC_MESSAGES/tesk_vumo.mo)")")
mkdir -p "$catalogues/../xx/LC_MESSAGES"
cp "$catalogues/LC_MESSAGES/tesk_vumo.mo" "$catalogues/../xx/LC_MESSAGES/"

module=$(ls "$work"/moved/lib/python3*/dist-packages/tesk_vumo/__init__*.so)
(cd "$work" && PYTHONPATH=$(dirname "$(dirname "$module")") LANG=C.UTF-8 /usr/bin/python3 - "$work/moved" <<'PY'
import sys
import tesk_vumo
assert tesk_vumo.__file__.startswith(sys.argv[1]), tesk_vumo.__file__
assert tesk_vumo.set_language("xx"), "the moved tree's catalogue was not found"
assert tesk_vumo.set_language("en")
import wx
app = wx.App(False)
frame = wx.Frame(None)
label = tesk_vumo.ImagePanel(frame).ui_checkbox_middle_lines.GetLabel()
assert label == "Centre", label
frame.Destroy()
print("catalogues found beside the moved library")
PY
)
