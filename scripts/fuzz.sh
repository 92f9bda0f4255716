#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS seconds (60 unless
# given), from small valid files of every format the header check knows.
# Fails on any crash, leak, over-read, timeout, over-limit decoding or
# temporary file left behind; the input that failed is kept in the work
# folder (build-fuzz/fuzz, or $TESK_VUMO_FUZZ_BUILD_DIR/fuzz).
#   bash scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build_dir=${TESK_VUMO_FUZZ_BUILD_DIR:-build-fuzz}
work=$build_dir/fuzz

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  CXX=${TESK_VUMO_FUZZ_CXX:-clang++-14} cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESK_VUMO_SANITIZE=ON -DTESK_VUMO_BUILD_FUZZERS=ON \
    -DTESK_VUMO_BUILD_PYTHON=OFF -DTESK_VUMO_BUILD_DEMO=OFF -DTESK_VUMO_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build_dir" -j2 --target tesk_vumo_header_fuzzer tesk_vumo_decode_fuzzer tesk_vumo_fuzz_seeds

mkdir -p "$work"
"$build_dir/tests/fuzz/tesk_vumo_fuzz_seeds" "$work/seeds"
# The codec's temporary files go here, so that one left behind is seen.
export OPENCV_TEMP_PATH=$work/opencv_temp
rm -rf "$OPENCV_TEMP_PATH"
mkdir -p "$OPENCV_TEMP_PATH"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0
export OPENCV_LOG_LEVEL=SILENT

status=0
for target in header decode; do
  corpus=$work/corpus_$target
  mkdir -p "$corpus"
  echo "== $target: $seconds s"
  if ! "$build_dir/tests/fuzz/tesk_vumo_${target}_fuzzer" "$corpus" "$work/seeds" \
      -dict=tests/fuzz/image_headers.dict -max_total_time="$seconds" -max_len=16384 -timeout=20 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/${target}_" 2>"$work/$target.log"; then
    status=1
    tail -n 60 "$work/$target.log"
  fi
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' "$work/$target.log" || true
done
if [ -n "$(ls -A "$OPENCV_TEMP_PATH")" ]; then
  echo "temporary files left behind:"
  ls -l "$OPENCV_TEMP_PATH"
  status=1
fi
exit $status
