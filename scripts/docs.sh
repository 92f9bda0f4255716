#!/usr/bin/env bash
# Builds the API reference: the C++ one with Doxygen from the public headers,
# the Python one with Sphinx from the docstrings of the built module. Any
# warning but an undocumented member fails the build.
#
#   docs.sh [BUILD_DIR]   (default build/; the module is built there first
#                          when it is missing)
#
# Writes BUILD_DIR/docs/cpp/html/index.html and BUILD_DIR/docs/python/index.html
# (or under $TESK_VUMO_DOCS_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$(realpath "${1:-${TESK_VUMO_BUILD_DIR:-build}}")
docs_dir=$(realpath -m "${TESK_VUMO_DOCS_DIR:-$build_dir/docs}")

if ! command -v doxygen > /dev/null || ! /usr/bin/python3 -c 'import sphinx' 2> /dev/null; then
  bash scripts/setup.sh
fi
if ! ls "$build_dir"/python/tesk_vumo/__init__*.so > /dev/null 2>&1; then
  [ -f "$build_dir/CMakeCache.txt" ] || cmake -S . -B "$build_dir" -DPython3_EXECUTABLE=/usr/bin/python3
  cmake --build "$build_dir" -j "$(nproc)" --target tesk_vumo_python
fi

rm -rf "$docs_dir"
mkdir -p "$docs_dir"
TESK_VUMO_DOCS_DIR=$docs_dir \
TESK_VUMO_VERSION=$(sed -n 's/^project(tesk_vumo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt) \
  doxygen docs/Doxyfile
PYTHONPATH="$build_dir/python" /usr/bin/python3 -m sphinx -q -E -W --keep-going -b html \
  -d "$docs_dir/.doctrees" docs/python "$docs_dir/python"
echo "C++: $docs_dir/cpp/html/index.html"
echo "Python: $docs_dir/python/index.html"
