#!/usr/bin/env bash
# Sets up, builds (RelWithDebInfo, with the benchmarks) and runs the
# benchmarks under a virtual X display: Google Benchmark's report, then a
# Markdown table of medians, floors, ratios and page faults per operation;
# then the cost of calls and events from Python (bench/python_calls.py).
#   scripts/bench.sh            the full grid (a few minutes)
#   scripts/bench.sh --quick    a reduced grid (seconds)
# Further arguments go to the program (e.g. --benchmark_filter=draw).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh -DTESK_VUMO_BUILD_BENCHMARKS=ON
build_dir=${TESK_VUMO_BUILD_DIR:-build}
# The display is the one the tests use; a 3840x2160 window reaches past it.
xvfb-run -a -s '-screen 0 1600x1200x24' "$build_dir/bench/tesk_vumo_bench" "$@"
# The overlay rows compare two viewers side by side, both on the screen.
xvfb-run -a -s '-screen 0 3900x1200x24' "$build_dir/bench/tesk_vumo_bench" --benchmark_filter=overlays
PYTHONPATH="$build_dir/python" xvfb-run -a -s '-screen 0 1600x1200x24' /usr/bin/python3 bench/python_calls.py
