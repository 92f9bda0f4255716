#!/usr/bin/env bash
# Configures and builds everything into build/ (or $TESK_VUMO_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${TESK_VUMO_BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPython3_EXECUTABLE=/usr/bin/python3 "$@"
cmake --build "$build_dir" -j "$(nproc)"
