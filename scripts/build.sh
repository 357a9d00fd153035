#!/usr/bin/env bash
# Configures and builds the project into build/ (targets given as arguments,
# everything by default).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -eq 0 ]; then
  cmake --build "$root/build" -j "$(nproc)"
else
  for t in "$@"; do cmake --build "$root/build" -j "$(nproc)" --target "$t"; done
fi
