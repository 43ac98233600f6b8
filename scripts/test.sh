#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   scripts/test.sh            normal build in build/
#   scripts/test.sh --sanitize AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=build
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  flags=(-DSAVERS_SANITIZE=ON -DSAVERS_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
  # The desktop suite drives the normal build on a real X server; once is enough.
  export DESKTOP_TESTS=${DESKTOP_TESTS:-0}
fi
cmake -S . -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Tests never need a display or a sound card; the desktop suite
# (tests/xdesktop) starts X servers of its own.
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy GLIDE_DISPLAY=headless
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
