#!/usr/bin/env bash
# Sets up, builds and runs every test (C++ through CTest, Python through
# pytest) under a virtual X display, then the C++ tests again in a build
# with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TESK_VUMO_BUILD_DIR:-build}
asan_dir=${TESK_VUMO_ASAN_BUILD_DIR:-build-asan}
TESK_VUMO_BUILD_DIR=$asan_dir bash scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DTESK_VUMO_SANITIZE=ON \
  -DTESK_VUMO_BUILD_PYTHON=OFF -DTESK_VUMO_BUILD_DEMO=OFF

# One display per run: the GUI tests run one after another, never in parallel.
# Without -noreset the server resets whenever its last client leaves, and a
# test process that connects during the reset cannot open the display.
status=0
xvfb-run -a -s '-noreset -screen 0 1600x1200x24' ctest --test-dir "$build_dir" --output-on-failure || status=1
xvfb-run -a -s '-noreset -screen 0 1600x1200x24' bash tests/sanitizer/run.sh "$asan_dir" || status=1
exit $status
