#!/usr/bin/env bash
# Sets up, builds and runs the demo on the bundled sample image. Without a
# display it runs under Xvfb and writes a screenshot to demo.png instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TESK_VUMO_BUILD_DIR:-build}
if [ -n "${DISPLAY:-}" ]; then
  exec "$build_dir/demo/tesk_vumo_demo" "$@"
fi
xvfb-run -a -s '-screen 0 1600x1200x24' "$build_dir/demo/tesk_vumo_demo" --screenshot demo.png "$@"
echo "no display: wrote the demo's window to demo.png"
