#!/usr/bin/env bash
# Regenerates docs/contact-sheet.png, the README's view of the show: a frame
# every 10 s of demo time, labelled with its time and scene. Extra arguments
# go to demo-capture (for example --every 5000). Uses build/ or $BUILD_DIR.
set -euo pipefail
# shellcheck source=scripts/capture-env.sh
source "$(dirname "$0")/capture-env.sh"

mkdir -p "$root/docs"
run_capture --sheet "$root/docs/contact-sheet.png" --every 10000 "$@"
