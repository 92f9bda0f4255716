#!/usr/bin/env bash
# Builds the Debian packages into build/packages/: tesk-vumo (the shared
# library and its message catalogues), tesk-vumo-dev (headers, CMake and
# pkg-config files) and python3-tesk-vumo (the module for Debian's python3).
# The build for them has its own folder, build/deb, configured for /usr.
#
#   scripts/package.sh [extra CMake arguments]
#   sudo apt install ./build/packages/*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
root=$PWD
out=$root/build/packages
cmake -S . -B build/deb -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPython3_EXECUTABLE=/usr/bin/python3 -DTESK_VUMO_BUILD_TESTS=OFF -DTESK_VUMO_BUILD_DEMO=OFF \
  -DTESK_VUMO_PACKAGING=ON -DTESK_VUMO_PACKAGE_DIR="$out" "$@" > /dev/null
cmake --build build/deb -j "$(nproc)"
rm -rf "$out"
(cd build/deb && cpack -G DEB > cpack.log) || { cat build/deb/cpack.log; exit 1; }
rm -rf "$out/_CPack_Packages"
ls -l "$out"/*.deb
