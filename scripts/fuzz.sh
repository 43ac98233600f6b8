#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang and libFuzzer under
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-fuzz/), then runs
# each one for a fixed time, starting from its seed corpus and regression
# cases. Any crash, sanitizer report or broken promise fails the run; the
# input that did it is kept in build-fuzz/artifacts/.
#   scripts/fuzz.sh                 every target, 30 seconds each
#   scripts/fuzz.sh 600 vh3 profile two targets, ten minutes each
# Targets: vh3 3df profile registry module saver_events dialog_script command_line
# New inputs the fuzzers find are kept in build-fuzz/corpus/<target>/ and
# picked up by the next run; copy the useful ones into tests/fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(vh3 3df profile registry module saver_events dialog_script command_line)

# clang and its libFuzzer runtime too, when missing.
scripts/deps.sh clang libclang-rt-dev

# The raster's AVX-512 spans are built for AVX-512 as a whole under clang
# (tests/fuzz/CMakeLists.txt): only such a processor runs the fuzz build.
for flag in avx512f avx512bw avx512vl avx512dq; do
  if ! grep -qw "$flag" /proc/cpuinfo; then
    echo "fuzz: this processor lacks $flag, which the clang build of the raster needs; nothing run" >&2
    exit 0
  fi
done

build=build-fuzz
# Generators run during the build; what they leave allocated at exit is not a fault.
export ASAN_OPTIONS=detect_leaks=0
# Every library is built with the fuzzers' coverage instrumentation. The
# code is written for g++ and -Werror: clang is told to pass over g++'s own
# warning names.
flags="-fsanitize=fuzzer-no-link -Wno-unknown-warning-option"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSAVERS_SANITIZE=ON \
  -DSAVERS_BENCH=OFF -DSAVERS_FUZZ=ON -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

unset ASAN_OPTIONS
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy GLIDE_DISPLAY=headless
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts" "$build/logs"
failed=()
for target in "${targets[@]}"; do
  mkdir -p "$build/corpus/$target"
  log="$build/logs/$target.log"
  echo "fuzz_$target: ${seconds} s" >&2
  inputs=("$build/corpus/$target" "tests/fuzz/corpus/$target")
  [ -d "tests/fuzz/regressions/$target" ] && inputs+=("tests/fuzz/regressions/$target")
  if "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -artifact_prefix="$build/artifacts/$target-" "${inputs[@]}" >"$log" 2>&1; then
    grep -E "^(#[0-9]+ +DONE|Done [0-9]+ runs)" "$log" | tail -1 >&2 || true
  else
    failed+=("$target")
    tail -40 "$log" >&2
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in $build/artifacts/, logs in $build/logs/)" >&2
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, ${seconds} s each, no fault found" >&2
