#!/usr/bin/env bash
# CI: builds the Debian package (Release build in build-release/), installs it
# with dpkg, runs both installed savers headless from /, registers them with
# XScreenSaver for a scratch home, then removes the package and checks that
# nothing of it is left. Needs root (uses sudo otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
build=build-release
# Only what is installed is built: cpack's install step must not build the tests.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSAVERS_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j"$(nproc)" \
  --target halcyon tessera tessera_data trans_xm savers-register-xscreensaver man_pages >/dev/null
rm -f "$build"/savers_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/savers_*.deb)
echo "package: $deb"

fail() { echo "FAIL: $*" >&2; exit 1; }
info=$(dpkg-deb --info "$deb")
for field in "Package: savers" "Section: x11" "Recommends: xscreensaver" "Maintainer: " "Version: " \
  "Depends: .*libsdl2"; do
  grep -qE "^ $field" <<<"$info" || { echo "$info" >&2; fail "control field $field"; }
done
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' >"$build/package-files.txt"

$sudo_cmd dpkg -i "$deb" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(
  cd /
  export SAVER_HOME=$work/settings GLIDE_DISPLAY=headless SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
  unset DISPLAY WAYLAND_DISPLAY XSCREENSAVER_WINDOW
  for run in "tessera -root" "halcyon -root -s"; do
    set -- $run
    SAVER_FRAMES=30 GLIDE_CAPTURE=$work/$1 GLIDE_CAPTURE_EVERY=30 "/usr/libexec/xscreensaver/$1" "${@:2}" \
      2>"$work/$1.err" || { cat "$work/$1.err" >&2; fail "$run"; }
    [ -f "$work/$1/000030.png" ] || fail "$run showed no frames"
    if grep -E "cannot find|missing" "$work/$1.err" >&2; then fail "$run: data not found"; fi
  done
)

mkdir -p "$work/home"
printf 'mode:\t\trandom\nprograms:\t\t\\\n\t\t\t\tmaze -root\t\t\\n\\\n\t\t\t\tqix -root\t\t\\n\n' \
  >"$work/home/.xscreensaver"
cp "$work/home/.xscreensaver" "$work/original"
HOME=$work/home savers-register-xscreensaver
grep -qE '"Halcyon"[[:space:]]+/usr/libexec/xscreensaver/halcyon -s' "$work/home/.xscreensaver" &&
  grep -qE '"Tessera"[[:space:]]+/usr/libexec/xscreensaver/tessera' "$work/home/.xscreensaver" ||
  { cat "$work/home/.xscreensaver" >&2; fail "the savers are not in programs:"; }
HOME=$work/home savers-register-xscreensaver --remove
cmp -s "$work/home/.xscreensaver" "$work/original" || fail "--remove did not restore ~/.xscreensaver"

$sudo_cmd dpkg -r savers >/dev/null
dpkg-query -W -f='${Status}' savers 2>/dev/null | grep -q "install ok installed" && fail "savers still installed"
left=0
while read -r file; do
  [ -e "$file" ] && { echo "left behind: $file" >&2; left=1; }
done <"$build/package-files.txt"
[ -e /usr/share/savers ] && { echo "left behind: /usr/share/savers" >&2; left=1; }
[ -e /usr/share/doc/savers ] && { echo "left behind: /usr/share/doc/savers" >&2; left=1; }
[ "$left" = 0 ] || fail "dpkg -r left files"
echo "package: built, installed, run, registered and removed cleanly"
