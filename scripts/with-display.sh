#!/usr/bin/env bash
# Runs a command with an X display: the current one if there is one (with
# the machine's own GL), otherwise a private Xvfb with software GL that ends
# with the command. The Xvfb screen is 800x600, or the size the command asks
# for with --size WxH when that is larger.
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1
screen_w=800
screen_h=600
previous=""
for arg in "$@"; do
  size=""
  case "$arg" in
    --size=*) size="${arg#--size=}" ;;
    *) [ "$previous" = "--size" ] && size="$arg" ;;
  esac
  if [[ "$size" =~ ^([0-9]+)x([0-9]+)$ ]]; then
    ((10#${BASH_REMATCH[1]} > screen_w)) && screen_w=$((10#${BASH_REMATCH[1]}))
    ((10#${BASH_REMATCH[2]} > screen_h)) && screen_h=$((10#${BASH_REMATCH[2]}))
  fi
  previous="$arg"
done
# The server picks a free display number itself and writes it once it
# accepts connections, so runs started side by side never share a server.
# -noreset: without it the server resets whenever its last client leaves,
# and a program that reconnects at that moment is turned away.
number_file="$(mktemp)"
Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
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
