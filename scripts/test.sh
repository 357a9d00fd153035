#!/usr/bin/env bash
# Installs what is missing, builds everything (data included) and runs the
# whole test suite under a virtual display.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
"$root/scripts/build.sh" data
cd "$root/build"
DEMO_QUIET_DISPLAY=1 "$root/scripts/with-display.sh" \
  ctest --output-on-failure -j "$(nproc)" --timeout 900
