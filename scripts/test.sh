#!/usr/bin/env bash
# Sets up, builds and runs every test (C++ through CTest, Python through
# pytest) under a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TESK_VUMO_BUILD_DIR:-build}
# One display for all: the GUI tests run one after another, never in parallel.
xvfb-run -a -s '-screen 0 1600x1200x24' ctest --test-dir "$build_dir" --output-on-failure
