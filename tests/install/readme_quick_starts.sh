#!/usr/bin/env bash
# Runs the README's quick starts as written (build_hosts.sh extracted and
# built them against the installed package) on a real photo.jpg in the
# current folder, without LD_LIBRARY_PATH. Each one's window is closed as a
# user would close it, from outside the quick start, once its main loop
# runs; each must then print the selection from its close handler and end
# without an error.
#
#   readme_quick_starts.sh WORK_DIR SOURCE_DIR
set -euo pipefail
work=$(realpath "$1")
source_dir=$(realpath "$2")
unset LD_LIBRARY_PATH
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
cd "$run"
/usr/bin/python3 -c 'import sys, wx; app = wx.App(False); sys.exit(not wx.Image(sys.argv[1]).SaveFile("photo.jpg", wx.BITMAP_TYPE_JPEG))' \
  "$source_dir/demo/sample.png"

expect_selection() {
  local name=$1 output
  shift
  output=$("$@")
  if ! grep -Eq '^selection: -?[0-9]+ -?[0-9]+ [0-9]+ [0-9]+$' <<< "$output"; then
    echo "$name printed: $output"
    return 1
  fi
  echo "$name: $output"
}
expect_selection "C++ quick start (CMake)" env LD_PRELOAD="$work/hosts/libclose_soon.so" "$work/hosts/readme/viewer_app"
expect_selection "C++ quick start (pkg-config)" env LD_PRELOAD="$work/hosts/libclose_soon.so" "$work/readme/viewer_app"
module=$(ls "$work"/prefix/lib/python3*/dist-packages/tesk_vumo/__init__*.so)
expect_selection "Python quick start" env PYTHONPATH="$(dirname "$(dirname "$module")")" \
  /usr/bin/python3 "$source_dir/tests/install/close_soon.py" "$work/readme/quick_start.py"
