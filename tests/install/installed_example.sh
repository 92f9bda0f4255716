#!/usr/bin/env bash
# Installs the library from a build tree into a scratch prefix, builds the
# C++ example host against the installed package (find_package and
# pkg-config), runs it headless and checks the picture it shows.
set -euo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" > /dev/null
cmake -S "$source_dir/examples/cpp" -B "$work/example" -DCMAKE_PREFIX_PATH="$work/prefix" > /dev/null
cmake --build "$work/example" -j 2 > /dev/null
"$work/example/example_host" "$source_dir/demo/sample.png" --screenshot "$work/shot.png"

# The same host also builds from the pkg-config description.
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" c++ -std=c++17 -fsyntax-only \
  $(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags tesk_vumo) "$source_dir/examples/cpp/main.cpp"

# The Python module from the installed tree, imported from elsewhere, runs
# the Python example host.
module=$(ls "$work"/prefix/lib/python3*/dist-packages/tesk_vumo/__init__*.so)
(cd "$work" && PYTHONPATH=$(dirname "$(dirname "$module")") /usr/bin/python3 "$source_dir/examples/python/host.py" \
  "$source_dir/demo/sample.png" --screenshot "$work/shot_python.png")

check_picture() {
/usr/bin/python3 - "$1" <<'PY'
import sys
import wx
app = wx.App(False)
image = wx.Image(sys.argv[1])
assert image.IsOk(), "no screenshot"
data = bytes(image.GetData())
colours = {data[i:i + 3] for i in range(0, len(data), 3 * 97)}
assert image.GetWidth() > 800 and len(colours) > 50, (image.GetSize(), len(colours))
print(sys.argv[1], "shows", len(colours), "colours in", tuple(image.GetSize()))
PY
}
check_picture "$work/shot.png"
check_picture "$work/shot_python.png"
