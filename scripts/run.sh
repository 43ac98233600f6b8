#!/usr/bin/env bash
# Builds the savers and runs one of them.
#   scripts/run.sh                  halcyon, the world saver (halcyon /s)
#   scripts/run.sh tessera          tessera, the object saver
#   scripts/run.sh halcyon /c       any switch the saver takes
# With a display (DISPLAY or WAYLAND_DISPLAY set) the saver covers the screen
# (GLIDE_DISPLAY=window runs it in a window); move the mouse or press a key to
# end it. Without one it runs headless and writes frames as PNG files.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DSAVERS_BENCH=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target halcyon tessera >/dev/null

saver=${1:-halcyon}
[ $# -gt 0 ] && shift
args=("$@")
if [ ${#args[@]} -eq 0 ] && [ "$saver" = halcyon ]; then args=(/s); fi
bin=$PWD/build-release/bin

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${GLIDE_DISPLAY:-}" != headless ]; then
  exec "$bin/$saver" "${args[@]}"
fi

out=$PWD/out/$saver
rm -rf "$out" && mkdir -p "$out"
echo "No display: running $saver headless for ${SAVER_FRAMES:-1200} frames." >&2
GLIDE_DISPLAY=headless SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} \
  SAVER_FRAMES=${SAVER_FRAMES:-1200} GLIDE_CAPTURE=$out GLIDE_CAPTURE_EVERY=${GLIDE_CAPTURE_EVERY:-100} \
  "$bin/$saver" "${args[@]}"
echo "Frames written to $out:" >&2
ls "$out" >&2
