#!/usr/bin/env bash
# The Windows screen savers end to end under Wine, on a virtual X server:
#   tests/win32/wine_e2e.sh [BUILD_DIR]        (default build-windows)
# - the backend's own tests that need a desktop (win32_tests.exe);
# - the .scr files' resources as Windows reads them (scr_resources.exe), and
#   the release zip, unpacked and run from another folder;
# - the configuration dialogs driven by SAVER_DIALOG_SCRIPT, and as the
#   system's own dialogs worked through their controls by dialog_host.exe
#   (owned by the /c:HWND window, message boxes included), with what they
#   saved read back from Wine's registry and from tessera.INI (in the Windows
#   folder, and in the per-user folder where the Windows folder is read-only);
# - /p: the preview draws into a child of the host's window, follows its
#   size and ends with it (preview_host.exe plays the Screen Saver Settings);
# - /s: a full-screen saver runs until the pointer moves (xdotool);
# - /a ends at once.
# Needs wine64, xvfb (xvfb-run) and xdotool; each case has a time limit.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-windows}
bin=$build/bin
for f in halcyon.scr tessera.scr preview_host.exe dialog_host.exe scr_resources.exe win32_tests.exe; do
  [ -f "$bin/$f" ] || { echo "wine_e2e: $bin/$f is missing (build it with scripts/windows.sh)" >&2; exit 2; }
done
# The windowed cases need an X server: a virtual one unless one is given.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

# A Wine prefix of our own, so that the registry and the Windows folder start empty.
work=$(mktemp -d)
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset SAVER_HOME SAVER_DIALOG_SCRIPT GLIDE_DISPLAY SAVER_FRAMES
"$wine" wineboot -i >/dev/null 2>&1
windows=$WINEPREFIX/drive_c/windows

failures=0
pass() { echo "PASS $1"; }
fail() {
  echo "FAIL $1" >&2
  failures=$((failures + 1))
}

# Runs a saver with a time limit; the data folder (tessera's models, trans.xm) is $bin.
saver() { (cd "$bin" && timeout "${LIMIT:-60}" "$wine" "$@"); }

# One value of HKCU\Software\Corvane\Farreach\halcyon\Config, as reg prints it.
halcyon_value() {
  "$wine" reg query 'HKCU\Software\Corvane\Farreach\halcyon\Config' /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v name="$1" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

run_cases() {
  # halcyon /c: Disable Music and a music file, saved to the registry.
  if SAVER_DIALOG_SCRIPT='toggle 1021;set 1000 C:\\music\\song.xm;ok' saver halcyon.scr /c &&
    [ "$(halcyon_value Mute)" = 0x1 ] && [ "$(halcyon_value FileName)" = 'C:\music\song.xm' ]; then
    pass "halcyon /c saves to the registry"
  else
    fail "halcyon /c saves to the registry (Mute=$(halcyon_value Mute), FileName=$(halcyon_value FileName))"
  fi
  # /c:HWND (from Screen Saver Settings) is the same dialog; Cancel keeps what was saved.
  if SAVER_DIALOG_SCRIPT='toggle 1021;cancel' saver halcyon.scr /c:65552 && [ "$(halcyon_value Mute)" = 0x1 ]; then
    pass "halcyon /c:HWND cancelled changes nothing"
  else
    fail "halcyon /c:HWND cancelled changes nothing"
  fi

  # tessera -c: the number of objects, checked, then saved to tessera.INI in the Windows folder.
  rm -f "$windows/tessera.INI"
  if SAVER_DIALOG_SCRIPT='type 5;ok;key enter;type 25;ok' saver tessera.scr /c:65552 &&
    tr -d '\r' <"$windows/tessera.INI" | grep -qx 'MaxObjects=25'; then
    pass "tessera /c saves tessera.INI in the Windows folder"
  else
    fail "tessera /c saves tessera.INI in the Windows folder"
  fi

  # The same dialogs as the system's own, worked through their controls by
  # dialog_host, which plays the window /c:HWND names: each dialog is owned by
  # it, shows what was saved, and saves what was typed.
  if (cd "$bin" && timeout 90 "$wine" dialog_host.exe halcyon.scr checked 1021 1 text 1000 'C:\music\song.xm' \
    click 1021 set 1000 'C:\music\other.xm' click 1) && [ "$(halcyon_value Mute)" = 0x0 ] &&
    [ "$(halcyon_value FileName)" = 'C:\music\other.xm' ]; then
    pass "halcyon's system dialog, owned by /c:HWND, shows and saves the registry's values"
  else
    fail "halcyon's system dialog, owned by /c:HWND, shows and saves the registry's values"
  fi
  # tessera's: the count starts at 0 (it is never read back), its picture is
  # bitmap 134, and a number out of range is refused in a message box owned by
  # the dialog before the next one is saved.
  local bitmap_size
  bitmap_size=$(python3 -c 'import struct, sys; print("%dx%d" % struct.unpack("<ii", open(sys.argv[1], "rb").read()[18:26]))' \
    "$build/packaging/windows/bitmap134.bmp")
  if (cd "$bin" && timeout 90 "$wine" dialog_host.exe tessera.scr text 1014 0 picture 134 "$bitmap_size" set 1014 5 click 1 \
    box 1 set 1014 30 click 1) && tr -d '\r' <"$windows/tessera.INI" | grep -qx 'MaxObjects=30'; then
    pass "tessera's system dialog shows bitmap 134, refuses 5 in a message box and saves 30 to tessera.INI"
  else
    fail "tessera's system dialog shows bitmap 134, refuses 5 in a message box and saves 30 to tessera.INI"
  fi

  # /a (the password change of old Windows) ends at once.
  if LIMIT=20 saver tessera.scr /a && LIMIT=20 saver halcyon.scr /a; then
    pass "/a ends at once"
  else
    fail "/a ends at once"
  fi

  # /p HWND: the preview in the host's window.
  for s in halcyon tessera; do
    if (cd "$bin" && timeout 90 "$wine" preview_host.exe "$s.scr"); then
      pass "$s /p draws into the preview window and ends with it"
    else
      fail "$s /p draws into the preview window and ends with it"
    fi
  done

  # /s: full screen until the pointer moves.
  for s in halcyon tessera; do
    xdotool mousemove 300 200
    (cd "$bin" && exec timeout 90 "$wine" "$s.scr" /s) &
    local pid=$! running=1
    sleep 12 # Wine starts slowly; the saver must still run now
    if ! kill -0 "$pid" 2>/dev/null; then
      fail "$s /s keeps running while nothing moves"
      continue
    fi
    # A window covers the whole screen.
    local covering=0 screen_size
    screen_size=$(xdotool getdisplaygeometry | tr ' ' x)
    for w in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
      xdotool getwindowgeometry "$w" | grep -q "Geometry: ${screen_size}\$" && covering=1
    done
    [ "$covering" = 1 ] || fail "$s /s covers the screen"
    xdotool mousemove 340 260
    sleep 0.3
    xdotool mousemove 380 300
    for _ in $(seq 1 40); do
      kill -0 "$pid" 2>/dev/null || { running=0; break; }
      sleep 0.5
    done
    if [ "$running" = 0 ] && wait "$pid"; then
      pass "$s /s runs full screen until the pointer moves"
    else
      kill "$pid" 2>/dev/null || true
      fail "$s /s runs full screen until the pointer moves"
    fi
  done
}

# The .scr files as Windows reads them: an icon, version information, string
# 1 (the name the Screen Saver Settings list), the manifest, and the resources
# each program loads, byte for byte what the build wrote.
winpath() { echo "Z:${1//\//\\}"; }
resources() { (cd "$bin" && "$wine" scr_resources.exe "$@" | tr -d '\r'); }
check_resources() {
  local written=$build/packaging/windows version
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  local s name description
  for s in halcyon tessera; do
    if [ $s = halcyon ]; then
      name='"3Dfx Farreach "' description="Farreach 3Dfx Screen Saver"
    else
      name='"Varnholt Screen Saver"' description="Varnholt Screen Saver"
    fi
    local problems=""
    [ "$(resources $s.scr icon)" = 1 ] || problems+=" icon"
    [ "$(resources $s.scr string 1)" = "$name" ] || problems+=" string-1"
    [ "$(resources $s.scr version FileDescription)" = "$description" ] || problems+=" FileDescription"
    [ "$(resources $s.scr version FileVersion)" = "$version" ] || problems+=" FileVersion"
    [ "$(resources $s.scr version OriginalFilename)" = "$s.scr" ] || problems+=" OriginalFilename"
    resources $s.scr resource '#24' '#1' "$(winpath "$work/manifest")" && grep -q asInvoker "$work/manifest" ||
      problems+=" manifest"
    if [ $s = halcyon ]; then
      resources $s.scr resource TEXTURE '#666' "$(winpath "$work/bank")" &&
        cmp -s "$work/bank" "$written/texture_bank.bin" || problems+=" TEXTURE-666"
    else
      # A BITMAP resource is the .bmp file without its 14-byte file header.
      resources $s.scr resource '#2' '#134' "$(winpath "$work/bitmap")" &&
        tail -c +15 "$written/bitmap134.bmp" | cmp -s - "$work/bitmap" || problems+=" BITMAP-134"
    fi
    if [ -z "$problems" ]; then
      pass "$s.scr carries its icon, version information, string 1, manifest and resources"
    else
      fail "$s.scr resources:$problems"
    fi
  done
}

# The release zip, unpacked elsewhere and run from another folder (Windows
# starts a screen saver in its system folder): the savers find their data beside them.
check_release() {
  local zip
  zip=$(ls "$build"/savers-windows-*.zip 2>/dev/null | head -n 1)
  if [ -z "$zip" ]; then
    fail "the release zip is in $build (cmake --build $build --target savers_windows_zip)"
    return
  fi
  python3 -m zipfile -e "$zip" "$work/release"
  local folder missing=""
  folder=$(ls -d "$work"/release/savers-windows-*)
  for f in halcyon.scr tessera.scr trans.xm README-windows.txt; do
    [ -f "$folder/$f" ] || missing+=" $f"
  done
  ls "$folder"/*.3df >/dev/null 2>&1 || missing+=" textures"
  ls "$folder"/*.[vV][hH]3 >/dev/null 2>&1 || missing+=" models"
  if [ -n "$missing" ]; then
    fail "the release zip lacks$missing"
    return
  fi
  local home=$work/release-home log=$work/release.log status=0
  mkdir -p "$home/halcyon" "$home/tessera-frames"
  (cd "$windows" &&
    SAVER_HOME="$(winpath "$home")" SAVER_DIALOG_SCRIPT=ok timeout 60 "$wine" "$folder/halcyon.scr" /c &&
    SAVER_HOME="$(winpath "$home")" GLIDE_DISPLAY=headless SAVER_EVENTS="300:mousemove 17 40;600:mousemove 30 60" \
      timeout 120 "$wine" "$folder/halcyon.scr" /s &&
    SAVER_HOME="$(winpath "$home")" GLIDE_DISPLAY=headless SAVER_FRAMES=20 \
      GLIDE_CAPTURE="$(winpath "$home/tessera-frames")" timeout 120 "$wine" "$folder/tessera.scr" /s) \
    >"$log" 2>&1 || status=$?
  if [ "$status" = 0 ] && ! grep -q "cannot find the music\|cannot find its models" "$log" && [ -n "$(ls "$home/tessera-frames")" ]; then
    pass "the release zip's savers run from another folder with their data beside them"
  else
    fail "the release zip's savers run from another folder with their data beside them (status $status)"
    sed 's/^/  /' "$log" >&2
  fi
}

# Where the Windows folder may not be written (a standard user's lot on
# Windows), tessera.INI goes to the per-user folder %APPDATA%\savers. Wine's
# server opens the files, so it runs in a mount namespace of its own in which
# the Windows folder is mounted read-only (root may write anywhere else).
check_per_user_settings() {
  local windows_folder=$windows
  rm -f "$windows/tessera.INI"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  local status=0
  unshare -m sh -c 'mount --bind "$1" "$1" && mount -o remount,ro,bind "$1"' sh "$windows_folder" \
    >/dev/null 2>&1 || status=$?
  if [ "$status" != 0 ]; then
    echo "SKIP tessera.INI in the per-user folder: no mount namespace here (needs root)"
    return
  fi
  unshare -m sh -c 'mount --bind "$1" "$1" && mount -o remount,ro,bind "$1" && cd "$2" &&
    SAVER_DIALOG_SCRIPT="type 25;ok" timeout 60 "$3" tessera.scr /c; status=$?; wineserver -w; exit $status' \
    sh "$windows_folder" "$bin" "$wine" || status=$?
  local per_user
  per_user=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Roaming/savers/tessera.INI' | head -n 1)
  if [ "$status" = 0 ] && [ ! -e "$windows/tessera.INI" ] && [ -n "$per_user" ] &&
    tr -d '\r' <"$per_user" | grep -qx 'MaxObjects=25'; then
    pass "tessera /c saves tessera.INI in %APPDATA%\\savers where the Windows folder is read-only"
  else
    fail "tessera /c saves tessera.INI in %APPDATA%\\savers where the Windows folder is read-only (status $status)"
  fi
  rm -f "$per_user"
}

# The backend's tests that need a desktop (skipped where Wine has no X server).
desktop_tests() {
  if (cd "$bin" && timeout 120 "$wine" win32_tests.exe >"$work/win32_tests.log" 2>&1) &&
    ! grep -q SKIPPED "$work/win32_tests.log"; then
    pass "the Windows backend's tests run on a desktop, none skipped"
  else
    fail "the Windows backend's tests run on a desktop, none skipped"
    sed 's/^/  /' "$work/win32_tests.log" >&2
  fi
}

desktop_tests
check_resources
check_release
run_cases
check_per_user_settings
echo "wine_e2e: $failures failed"
[ "$failures" = 0 ]
