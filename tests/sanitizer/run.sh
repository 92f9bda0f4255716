#!/usr/bin/env bash
# Runs the C++ test binaries of a sanitizer build (build dir as $1) under
# the current display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build_dir=$1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/lsan.supp:print_suppressions=0
ctest --test-dir "$build_dir" --output-on-failure
