#!/usr/bin/env bash
# Installs every Debian package the build, the demo and the tests need.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  build-essential cmake pkg-config gettext
  libwxgtk3.2-dev libcairo2-dev libx11-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev
  python3 python3-dev python3-numpy python3-pytest python3-wxgtk4.0
  pybind11-dev python3-pybind11 python3-mypy
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  doxygen python3-sphinx
  xvfb xauth weston lintian
  clang libclang-rt-14-dev
  fonts-wqy-microhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
