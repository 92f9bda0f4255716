#!/usr/bin/env bash
# Regenerates the README's pictures of the demo: docs/demo.png (the texts as
# written, Chinese) and docs/demo_en.png (English), each viewer at 640x480.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
build_dir=${TESK_VUMO_BUILD_DIR:-build}
for shot in zh_CN:docs/demo.png en:docs/demo_en.png; do
  xvfb-run -a -s '-screen 0 2400x1200x24' "$build_dir/demo/tesk_vumo_demo" --size 640x480 \
    --language "${shot%%:*}" --screenshot "${shot#*:}"
done
