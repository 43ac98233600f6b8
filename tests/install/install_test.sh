#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR under /usr and checks what a user
# gets: exactly the expected files, runnable programs, well-formed host files;
# then runs the installed savers headless from an unrelated folder (tessera
# must find its models and textures, halcyon its music), with the host
# switches -root/--root, and the registration command on a scratch HOME.
#   install_test.sh BUILD_DIR [BIN_LINKS(0|1)]
set -euo pipefail
build=$1
links=${2:-0}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" || {
  cat "$work/install.log" >&2
  fail "cmake --install"
}

# ---- the tree ---------------------------------------------------------------
hacks=usr/libexec/xscreensaver
data=usr/share/savers
expected=(
  $hacks/halcyon $hacks/tessera usr/bin/savers-register-xscreensaver
  $data/dude.vh3 $data/object0.VH3 $data/object1.VH3 $data/object2.VH3
  $data/tex1.3df $data/tex2.3df $data/tex3.3df $data/tex4.3df $data/tex5.3df $data/plane.3df $data/trans.xm
  usr/share/xscreensaver/config/halcyon.xml usr/share/xscreensaver/config/tessera.xml
  usr/share/applications/screensavers/halcyon.desktop usr/share/applications/screensavers/tessera.desktop
  usr/share/man/man6/halcyon.6.gz usr/share/man/man6/tessera.6.gz
  usr/share/man/man1/savers-register-xscreensaver.1.gz
  usr/share/doc/savers/README.md usr/share/doc/savers/copyright
)
[ "$links" = 1 ] && expected+=(usr/bin/halcyon usr/bin/tessera)
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort) >"$work/found"
diff -u "$work/expected" "$work/found" >&2 || fail "installed files differ from the expected list (- missing, + extra)"

for program in $hacks/halcyon $hacks/tessera usr/bin/savers-register-xscreensaver; do
  [ -x "$root/$program" ] || fail "$program is not executable"
done
if [ "$links" = 1 ]; then
  for saver in halcyon tessera; do
    [ "$(readlink -f "$root/usr/bin/$saver")" = "$(readlink -f "$root/$hacks/$saver")" ] || fail "usr/bin/$saver"
  done
fi

# XScreenSaver's description files: well formed, <screensaver> named after the
# file, and only the elements XScreenSaver's settings understand.
if command -v xmllint >/dev/null; then
  known='self::screensaver or self::command or self::fullcommand or self::number or self::boolean or
         self::select or self::option or self::string or self::file or self::hgroup or self::vgroup or
         self::_description or self::xscreensaver-text or self::xscreensaver-image or
         self::xscreensaver-updater or self::video'
  for saver in halcyon tessera; do
    xml=$root/usr/share/xscreensaver/config/$saver.xml
    xmllint --noout "$xml" || fail "$saver.xml is not well formed"
    [ "$(xmllint --xpath 'string(/screensaver/@name)' "$xml")" = "$saver" ] || fail "$saver.xml: name"
    [ -n "$(xmllint --xpath 'string(/screensaver/@_label)' "$xml")" ] || fail "$saver.xml: _label"
    [ -n "$(xmllint --xpath 'normalize-space(/screensaver/_description)' "$xml")" ] || fail "$saver.xml: description"
    [ "$(xmllint --xpath "count(//*[not($known)])" "$xml")" = 0 ] || fail "$saver.xml: unknown elements"
  done
else
  echo "note: xmllint not installed; description files not checked" >&2
fi
# halcyon reads only its first argument, so the run switch must come first.
grep -q '<command arg="-s"/>' "$root/usr/share/xscreensaver/config/halcyon.xml" || fail "halcyon.xml: -s"

# Desktop entries: valid, naming the installed programs.
for saver in halcyon tessera; do
  entry=$root/usr/share/applications/screensavers/$saver.desktop
  if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$entry" 2>&1) || fail "$saver.desktop: $out"
    if grep -E "error|warning" <<<"$out" >&2; then fail "$saver.desktop is not clean"; fi
  fi
  grep -qx "TryExec=/$hacks/$saver" "$entry" || fail "$saver.desktop: TryExec"
done
grep -qx "Exec=/$hacks/halcyon -s -root" "$root/usr/share/applications/screensavers/halcyon.desktop" ||
  fail "halcyon.desktop: Exec"
grep -qx "Exec=/$hacks/tessera -root" "$root/usr/share/applications/screensavers/tessera.desktop" ||
  fail "tessera.desktop: Exec"

# ---- the installed programs, run from elsewhere ---------------------------------
mkdir -p "$work/elsewhere" "$work/home"
cd "$work/elsewhere"
unset DISPLAY WAYLAND_DISPLAY XSCREENSAVER_WINDOW
export SAVER_HOME=$work/home GLIDE_DISPLAY=headless SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy SAVER_SEED=7

# Runs a saver for 20 frames with a picture every 10th; the pictures prove it ran.
run() {
  local name=$1
  shift
  rm -rf "$work/frames"
  SAVER_FRAMES=20 GLIDE_CAPTURE=$work/frames GLIDE_CAPTURE_EVERY=10 "$@" 2>"$work/$name.err" ||
    { cat "$work/$name.err" >&2; fail "$name: exit status $?"; }
  [ -f "$work/frames/000020.png" ] || { cat "$work/$name.err" >&2; fail "$name: no frames were shown"; }
  if grep -E "cannot find|missing" "$work/$name.err" >&2; then fail "$name: data not found"; fi
}

run tessera "$root/$hacks/tessera"
run tessera-root "$root/$hacks/tessera" -root
run tessera-double-root "$root/$hacks/tessera" --root -fps

# halcyon: confirming the configuration with its defaults stores the installed
# music; the saver then plays it (SDL's disk driver captures what plays).
SAVER_DIALOG_SCRIPT=ok "$root/$hacks/halcyon" /c
grep -qF "$root/$data/trans.xm" "$SAVER_HOME/registry.reg" || {
  cat "$SAVER_HOME/registry.reg" >&2
  fail "halcyon /c did not suggest the installed trans.xm"
}
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw run halcyon-root "$root/$hacks/halcyon" -root -s
bytes=$(stat -c %s "$work/audio.raw" 2>/dev/null || echo 0)
[ "$bytes" -gt 0 ] && ! cmp -s -n "$bytes" "$work/audio.raw" /dev/zero || fail "halcyon played no music"
run halcyon-double-root "$root/$hacks/halcyon" --root /s -window
# A stored relative name is looked up as tessera's files are: here in the
# installed data folder.
sed -i "s|\"$root/$data/trans.xm\"|\"trans.xm\"|" "$SAVER_HOME/registry.reg"
grep -qx '"FileName"="trans.xm"' "$SAVER_HOME/registry.reg" || fail "could not store a relative name"
rm -f "$work/audio.raw"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw run halcyon "$root/$hacks/halcyon" -s
bytes=$(stat -c %s "$work/audio.raw" 2>/dev/null || echo 0)
[ "$bytes" -gt 0 ] && ! cmp -s -n "$bytes" "$work/audio.raw" /dev/zero || fail "halcyon found no trans.xm"

# Without the switch first, halcyon's first-argument rule ends at once.
rm -rf "$work/frames"
SAVER_FRAMES=20 GLIDE_CAPTURE=$work/frames GLIDE_CAPTURE_EVERY=10 "$root/$hacks/halcyon" -x -s
[ ! -e "$work/frames/000020.png" ] || fail "halcyon -x ran the saver"

# ---- registration with XScreenSaver --------------------------------------------
export HOME=$work/home
cat >"$HOME/.xscreensaver" <<'LIST'
# XScreenSaver Preferences File
mode:		random
programs:							      \
				maze -root				    \n\
  "Qix (solid)" 		qix -root -solid -segments 100		    \n\
LIST
chmod 640 "$HOME/.xscreensaver"
cp "$HOME/.xscreensaver" "$work/original"
register=$root/usr/bin/savers-register-xscreensaver
"$register" >/dev/null
grep -qE "^  \"Halcyon\"[[:space:]]+$root/$hacks/halcyon -s[[:space:]]+\\\\n\\\\$" "$HOME/.xscreensaver" ||
  { cat "$HOME/.xscreensaver" >&2; fail "Halcyon is not in programs:"; }
grep -qE "^  \"Tessera\"[[:space:]]+$root/$hacks/tessera[[:space:]]+\\\\n\\\\$" "$HOME/.xscreensaver" ||
  fail "Tessera is not in programs:"
[ "$(stat -c %a "$HOME/.xscreensaver")" = 640 ] || fail "the file's permissions changed"
cp "$HOME/.xscreensaver" "$work/registered"
"$register" >/dev/null
cmp -s "$HOME/.xscreensaver" "$work/registered" || fail "registering twice changed the file"
"$register" --remove >/dev/null
cmp -s "$HOME/.xscreensaver" "$work/original" || fail "--remove did not restore the file"
[ -z "$(find "$HOME" -name '.xscreensaver.*')" ] || fail "a temporary file was left"
echo "install tree, installed runs and registration: ok"
