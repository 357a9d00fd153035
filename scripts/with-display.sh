#!/usr/bin/env bash
# Runs a command with an X display: the current one if there is one,
# otherwise a private Xvfb (800x600, 24 bits) that ends with the command.
set -euo pipefail
export LIBGL_ALWAYS_SOFTWARE=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
for n in $(seq 90 140); do
  [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
done
Xvfb ":$n" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
[ -n "${DEMO_QUIET_DISPLAY:-}" ] || echo "no display found: running under a virtual display (Xvfb $DISPLAY)" >&2
"$@"
