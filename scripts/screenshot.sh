#!/usr/bin/env bash
# Regenerates docs/demo.png, the README's picture of the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TESK_VUMO_BUILD_DIR:-build}
xvfb-run -a -s '-screen 0 1600x1200x24' "$build_dir/demo/tesk_vumo_demo" --screenshot docs/demo.png
