#!/usr/bin/env bash
# Rewrites the visual regression references (tests/capture/reference/) from
# the show as it is now: run it on purpose, after a change that is meant to
# alter the pictures, and commit the new files. Prints how each picture
# changed. Uses build/ or $BUILD_DIR.
set -euo pipefail
# shellcheck source=scripts/capture-env.sh
source "$(dirname "$0")/capture-env.sh"

refs="$root/tests/capture/reference"
list="$refs/frames.txt"
fps="$(awk '$1 == "fps" { print $2 }' "$list")"
shrink="$(awk '$1 == "shrink" { print $2 }' "$list")"
times="$(awk '$1 ~ /^[0-9]+$/ { print $1 }' "$list" | paste -sd, -)"
if [ -z "$fps" ] || [ -z "$shrink" ] || [ -z "$times" ]; then
  echo "refresh-references: $list needs fps, shrink and times" >&2
  exit 2
fi

fresh="$capture_tree/fresh"
run_capture --at "$times" --out "$fresh" --fps "$fps" --shrink "$shrink"

for new in "$fresh"/frame-*.png; do
  name="$(basename "$new")"
  if [ -f "$refs/$name" ]; then
    "$build/demo-imgdiff" "$refs/$name" "$new" | sed "s|^.* vs [^:]*: |$name: |" || true
  else
    echo "$name: new"
  fi
done
for old in "$refs"/frame-*.png; do
  [ -e "$old" ] || continue
  [ -f "$fresh/$(basename "$old")" ] || { echo "$(basename "$old"): removed"; rm "$old"; }
done
cp "$fresh"/frame-*.png "$refs/"
echo "references refreshed in $refs"
