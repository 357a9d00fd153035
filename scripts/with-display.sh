#!/usr/bin/env bash
# Runs a command with an X display: the current one if there is one,
# otherwise a private Xvfb (800x600, 24 bits) that ends with the command.
set -euo pipefail
export LIBGL_ALWAYS_SOFTWARE=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
# The server picks a free display number itself and writes it once it
# accepts connections, so runs started side by side never share a server.
# -noreset: without it the server resets whenever its last client leaves,
# and a program that reconnects at that moment is turned away.
number_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$number_file"' EXIT
for _ in $(seq 600); do
  [ -s "$number_file" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || break
  sleep 0.1
done
n="$(head -n 1 "$number_file")"
if [ -z "$n" ]; then
  echo "Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$n"
[ -n "${DEMO_QUIET_DISPLAY:-}" ] || echo "no display found: running under a virtual display (Xvfb $DISPLAY)" >&2
"$@"
