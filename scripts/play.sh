#!/usr/bin/env bash
# Installs what is missing, builds the demo and its data, and plays the show
# from build/ (a virtual display is used when there is no screen).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" demo data
cd "$root/build"
exec "$root/scripts/with-display.sh" ./demo
