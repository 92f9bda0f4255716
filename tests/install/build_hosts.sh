#!/usr/bin/env bash
# Installs the library from a build tree into a scratch prefix and builds the
# hosts that the install tests run against the installed package: the C++
# example host, a host that uses more wxWidgets components than the library,
# and the README's C++ quick start, built once with its CMake project and
# once with its pkg-config command.
#
#   build_hosts.sh BUILD_DIR SOURCE_DIR WORK_DIR
set -euo pipefail
build_dir=$(realpath "$1")
source_dir=$(realpath "$2")
work=$(realpath -m "$3")
rm -rf "$work"
mkdir -p "$work"

cmake --install "$build_dir" --prefix "$work/prefix" > "$work/install.log"
/usr/bin/python3 "$source_dir/tests/install/readme_blocks.py" "$source_dir/README.md" "$work/readme"
if ! { cmake -S "$source_dir/tests/install/hosts" -B "$work/hosts" -DCMAKE_PREFIX_PATH="$work/prefix" \
         -DTESK_VUMO_SOURCE_DIR="$source_dir" -DTESK_VUMO_README_DIR="$work/readme" \
       && cmake --build "$work/hosts" -j 2; } > "$work/hosts.log" 2>&1; then
  cat "$work/hosts.log"
  exit 1
fi
(cd "$work/readme" && PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" bash build.sh)
