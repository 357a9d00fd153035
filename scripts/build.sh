#!/usr/bin/env bash
# Configures and builds the project into build/ (targets given as arguments,
# everything by default). With --sanitize first, into build-sanitize/ with
# AddressSanitizer and UndefinedBehaviorSanitizer, benchmarks left out.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
options=()
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build="$root/build-sanitize"
  options=(-DDEMO_SANITIZE=ON -DDEMO_BENCH=OFF)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
if [ $# -eq 0 ]; then
  cmake --build "$build" -j "$(nproc)"
else
  for t in "$@"; do cmake --build "$build" -j "$(nproc)" --target "$t"; done
fi
