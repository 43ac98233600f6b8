#!/usr/bin/env bash
# The 64-bit Windows build, cross-compiled with MinGW-w64 and tested under Wine.
#   scripts/windows.sh           the dependencies (when missing), then the savers in build-windows/
#   scripts/windows.sh --deps    the dependencies only
#   scripts/windows.sh --test    also the unit tests under Wine and both savers' headless captures
#                                compared with the Linux build's (build-release/)
# The libraries Debian has no MinGW build of (libopenmpt, libpng) are built from
# Debian's own source packages, GoogleTest from the googletest package's
# sources, into a cache outside the checkout that later runs reuse:
# SAVERS_WINDOWS_CACHE, default ${XDG_CACHE_HOME:-~/.cache}/savers-windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-build}
jobs=$(nproc)

scripts/deps.sh g++-mingw-w64-x86-64 wine64 libz-mingw-w64-dev dpkg-dev

cache=${SAVERS_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/savers-windows}
export SAVERS_WINDOWS_PREFIX=$cache/prefix
prefix=$SAVERS_WINDOWS_PREFIX
toolchain=$root/cmake/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
mkdir -p "$cache/src" "$prefix"

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"

# apt-get source needs deb-src entries; add the machine's own Debian mirrors
# as sources once, when there are none.
source_entries_added=0
ensure_deb_src() {
  [ "$source_entries_added" = 1 ] && return
  if ! grep -rqs '^\(Types:.*deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "Adding deb-src entries for apt-get source" >&2
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo_cmd tee /etc/apt/sources.list.d/savers-deb-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        $sudo_cmd tee /etc/apt/sources.list.d/savers-deb-src.list >/dev/null
    fi
  fi
  $sudo_cmd apt-get update -qq
  source_entries_added=1
}

# Unpacks Debian's source of package $1 into $cache/src and prints its folder.
# A version a mirror no longer holds is skipped for the next one it lists.
fetch_source() {
  local package=$1 version dir
  ensure_deb_src
  for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV); do
    dir=$(ls -d "$cache/src/$package-${version%%-*}" 2>/dev/null || true)
    if [ -n "$dir" ]; then echo "$dir"; return; fi
    if (cd "$cache/src" && apt-get source -qq "$package=$version" >&2 2>/dev/null); then
      ls -d "$cache/src/$package-${version%%-*}"
      return
    fi
    echo "apt-get source $package=$version failed; trying an older version" >&2
  done
  echo "No source of $package could be fetched" >&2
  exit 1
}

# A dependency is built once; its stamp names what was built.
built() { [ -f "$prefix/.built-$1" ]; }
mark_built() { touch "$prefix/.built-$1"; }

build_libpng() {
  built libpng && return
  local src
  src=$(fetch_source libpng1.6)
  echo "Building libpng for Windows from $src" >&2
  rm -rf "$cache/build-libpng"
  cmake -S "$src" -B "$cache/build-libpng" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DSKIP_INSTALL_PROGRAMS=ON \
    -DSKIP_INSTALL_FILES=ON >/dev/null
  cmake --build "$cache/build-libpng" -j"$jobs" >/dev/null
  cmake --install "$cache/build-libpng" >/dev/null
  mark_built libpng
}

build_libopenmpt() {
  built libopenmpt && return
  local src
  src=$(fetch_source libopenmpt)
  echo "Building libopenmpt for Windows from $src" >&2
  rm -rf "$cache/build-libopenmpt" && mkdir -p "$cache/build-libopenmpt"
  # The player only reads modules from memory: no decoders of compressed
  # samples, no audio output, no programs.
  (cd "$cache/build-libopenmpt" &&
    "$src/configure" --host=$triple --prefix="$prefix" --disable-shared --enable-static \
      --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
      --without-portaudio --without-portaudiocpp --without-sndfile --without-flac \
      --without-pulseaudio --without-sdl2 --disable-openmpt123 --disable-examples \
      --disable-tests --disable-doxygen-doc CC=$triple-gcc-posix CXX=$triple-g++-posix \
      CXXFLAGS="-O2 -Wa,-muse-unaligned-vector-move" CFLAGS="-O2 -Wa,-muse-unaligned-vector-move" >/dev/null &&
    make -j"$jobs" >/dev/null && make install >/dev/null)
  mark_built libopenmpt
}

build_googletest() {
  built googletest && return
  local src=/usr/src/googletest
  [ -f $src/CMakeLists.txt ] || scripts/deps.sh googletest
  echo "Building GoogleTest for Windows from $src" >&2
  rm -rf "$cache/build-googletest"
  cmake -S $src -B "$cache/build-googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$cache/build-googletest" -j"$jobs" >/dev/null
  cmake --install "$cache/build-googletest" >/dev/null
  mark_built googletest
}

time_step() {
  local start=$SECONDS
  "$@"
  echo "$1: $((SECONDS - start)) s" >&2
}

time_step build_libpng
time_step build_libopenmpt
time_step build_googletest
[ "$mode" = --deps ] && exit 0

# The art generators run natively, in the Linux build scripts/run.sh makes,
# so that the Windows build's data are the Linux build's bytes.
host=$root/build-release
build=$root/build-windows
build_savers() {
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=Release -DSAVERS_BENCH=OFF >/dev/null
  cmake --build "$host" -j"$jobs" --target halcyon_art tessera_art make_trans savers_resource_files >/dev/null
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DSAVERS_BENCH=OFF \
    -DSAVERS_HOST_BUILD="$host" >/dev/null
  cmake --build "$build" -j"$jobs"
  # The release artefact: both savers and their data in one zip.
  cmake --build "$build" --target savers_windows_zip >/dev/null
}
time_step build_savers
echo "The Windows programs: $build/bin/halcyon.scr, $build/bin/tessera.scr; both zipped: $build/savers-windows-*.zip" >&2
[ "$mode" = --test ] || exit 0

# Wine in a prefix of its own, kept in the cache (making one takes ~20 s),
# without the dialogs that offer to install Mono and Gecko.
export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=$(command -v wine)
start_wine() {
  "$wine" cmd /c exit >/dev/null 2>&1 || true
}
time_step start_wine

unit_tests() {
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy GLIDE_DISPLAY=headless \
    ctest --test-dir "$build" --output-on-failure -j"$jobs"
}
time_step unit_tests

# Both savers headless with a fixed seed, on Linux and under Wine: the same
# frames, byte for byte, at every SIMD width the processor has. halcyon is
# ended by a pointer move (SAVER_EVENTS), tessera after a number of frames
# (SAVER_FRAMES), and both must end alike.
compare_captures() {
  cmake --build "$host" -j"$jobs" --target halcyon tessera >/dev/null
  local out=$build/captures saver simd failed=0
  rm -rf "$out"
  for saver in halcyon tessera; do
    local run=(env GLIDE_DISPLAY=headless SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy SAVER_SEED=7
      GLIDE_CAPTURE_EVERY=50)
    local args=()
    if [ $saver = halcyon ]; then
      # The first move only tells the saver where the pointer is; the second ends it.
      run+=(SAVER_EVENTS="300:mousemove 17 40;1250:mousemove 30 60")
      args=(/s)
    else
      run+=(SAVER_FRAMES=400)
    fi
    mkdir -p "$out/linux/$saver" "$out/home-linux"
    local linux_status=0
    (cd "$host/bin" && timeout 600 "${run[@]}" SAVER_HOME="$out/home-linux" GLIDE_CAPTURE="$out/linux/$saver" \
      "./$saver" "${args[@]}") || linux_status=$?
    local frames
    frames=$(ls "$out/linux/$saver" | wc -l)
    if [ "$frames" -lt 2 ]; then
      echo "$saver: only $frames frames captured on Linux" >&2
      failed=1
      continue
    fi
    # The widest spans the processor runs, then AVX2 and SSE2 (GLIDE_SIMD).
    for simd in widest avx2 sse2; do
      local folder=$out/windows/$saver-$simd windows_status=0
      local width=()
      [ $simd = widest ] || width=(GLIDE_SIMD=$simd)
      mkdir -p "$folder" "$out/home-windows"
      (cd "$build/bin" && timeout 600 "${run[@]}" "${width[@]}" SAVER_HOME="Z:${out//\//\\}\\home-windows" \
        GLIDE_CAPTURE="Z:${folder//\//\\}" "$wine" "./$saver.exe" "${args[@]}") || windows_status=$?
      if [ "$linux_status" != "$windows_status" ]; then
        echo "$saver ($simd): ended with status $linux_status on Linux, $windows_status on Windows" >&2
        failed=1
      elif ! diff -r -q "$out/linux/$saver" "$folder" >&2; then
        echo "$saver ($simd): the Windows build's frames differ from the Linux build's" >&2
        failed=1
      else
        echo "$saver ($simd): $frames captured frames identical on Linux and Windows" >&2
      fi
    done
  done
  return $failed
}
time_step compare_captures
