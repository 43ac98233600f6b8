#!/usr/bin/env bash
# The Windows screen savers end to end under Wine, on a virtual X server:
#   tests/win32/wine_e2e.sh [BUILD_DIR]        (default build-windows)
# - the configuration dialogs driven by SAVER_DIALOG_SCRIPT, with what they
#   saved read back from Wine's registry and from tessera.INI;
# - /p: the preview draws into a child of the host's window, follows its
#   size and ends with it (preview_host.exe plays the Screen Saver Settings);
# - /s: a full-screen saver runs until the pointer moves (xdotool);
# - /a ends at once.
# Needs wine64, xvfb (xvfb-run) and xdotool; each case has a time limit.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-windows}
bin=$build/bin
for f in halcyon.scr tessera.scr preview_host.exe; do
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

run_cases
echo "wine_e2e: $failures failed"
[ "$failures" = 0 ]
