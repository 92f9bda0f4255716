#!/usr/bin/env bash
# Runs a test program on a headless weston of its own (pixman renderer, so
# that weston-screenshooter can read the screen back; --debug allows it).
#   run.sh <program> [arguments]
set -euo pipefail
runtime=$(mktemp -d)
chmod 700 "$runtime"
# Windows appear at once and stay as they are drawn: no animations (a
# window fading in shows dimmed colours), no panel.
cat > "$runtime/weston.ini" <<'INI'
[shell]
panel-position=none
animation=none
startup-animation=none
close-animation=none
focus-animation=none
INI
socket=tesk-vumo-$$
XDG_RUNTIME_DIR="$runtime" weston --backend=headless-backend.so --use-pixman --socket="$socket" \
  --width=1600 --height=1000 --debug --idle-time=0 --config="$runtime/weston.ini" \
  --log="$runtime/weston.log" &
weston_pid=$!
trap 'kill $weston_pid 2>/dev/null; wait $weston_pid 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 300); do
  [ -S "$runtime/$socket" ] && break
  kill -0 $weston_pid 2>/dev/null || break
  sleep 0.05
done
[ -S "$runtime/$socket" ] || { echo "weston did not start" >&2; cat "$runtime/weston.log" >&2; exit 1; }
# The program sees Wayland only: no X display to fall back on.
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" GDK_BACKEND=wayland "$@"
