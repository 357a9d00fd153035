#!/usr/bin/env bash
# Installs what is missing, builds everything (data included) and runs the
# whole test suite under a virtual display. With --sanitize, the same in
# build-sanitize/, everything built with AddressSanitizer and
# UndefinedBehaviorSanitizer; the data is then made by the instrumented tools.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
mode=()
case "${1:-}" in
  "") ;;
  --sanitize)
    build="$root/build-sanitize"
    mode=(--sanitize)
    ;;
  *)
    echo "usage: scripts/test.sh [--sanitize]" >&2
    exit 2
    ;;
esac
"$root/scripts/setup.sh"
"$root/scripts/build.sh" "${mode[@]}"
"$root/scripts/build.sh" "${mode[@]}" data
cd "$build"
# Tests compare pictures: software GL even where a real display is present.
export LIBGL_ALWAYS_SOFTWARE=1
DEMO_QUIET_DISPLAY=1 "$root/scripts/with-display.sh" \
  ctest --output-on-failure -j "$(nproc)" --timeout 900
