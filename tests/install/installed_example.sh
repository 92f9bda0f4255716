#!/usr/bin/env bash
# Runs the hosts that build_hosts.sh built against the installed package:
# the C++ example host and the Python example host (from the installed
# module, imported from elsewhere) headless, checking the pictures they show,
# and the host that linked wxWidgets' net and xrc beside the library. No
# LD_LIBRARY_PATH: the installed files find each other by themselves.
#
#   installed_example.sh WORK_DIR SOURCE_DIR
set -euo pipefail
work=$(realpath "$1")
source_dir=$(realpath "$2")
unset LD_LIBRARY_PATH
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

"$work/hosts/example/example_host" "$source_dir/demo/sample.png" --screenshot "$shots/shot.png"

module=$(ls "$work"/prefix/lib/python3*/dist-packages/tesk_vumo/__init__*.so)
(cd "$shots" && PYTHONPATH=$(dirname "$(dirname "$module")") /usr/bin/python3 "$source_dir/examples/python/host.py" \
  "$source_dir/demo/sample.png" --screenshot "$shots/shot_python.png")

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
check_picture "$shots/shot.png"
check_picture "$shots/shot_python.png"

output=$("$work/hosts/extra_components_host")
[ "$output" = "127.0.0.1 3x4" ] || { echo "extra-components host printed: $output"; exit 1; }
echo "extra-components host: $output"
