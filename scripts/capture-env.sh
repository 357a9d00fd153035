# shellcheck shell=bash
# Sourced by the capture scripts: builds demo-capture (and the show's data)
# in $BUILD_DIR (default build/), and makes a run folder beside the data and
# sources, since the capture, like the demo, loads from ../data and ../src.
# Any failing step ends the calling script (set -e).
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
jobs="${JOBS:-$(nproc)}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$jobs" --target demo-capture demo-imgdiff data

capture_tree="$(mktemp -d /tmp/demo-capture-run.XXXXXX)"
trap 'rm -rf "$capture_tree"' EXIT
mkdir "$capture_tree/run"
ln -s "$root/data" "$capture_tree/data"
ln -s "$root/src" "$capture_tree/src"

# run_capture ARGS...: demo-capture from the run folder, under a display,
# with software GL so that the pictures are the same on every machine.
run_capture() {
  (cd "$capture_tree/run" && LIBGL_ALWAYS_SOFTWARE=1 DEMO_QUIET_DISPLAY=1 "$root/scripts/with-display.sh" \
    "$build/demo-capture" "$@")
}
