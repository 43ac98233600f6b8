#!/usr/bin/env bash
# A user who confirms halcyon's configuration with its defaults hears the
# installed trans.xm when the saver runs: the audio SDL's disk driver captures
# is not silence.
set -euo pipefail
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SAVER_HOME=$work/home GLIDE_DISPLAY=headless SDL_VIDEODRIVER=dummy

SAVER_DIALOG_SCRIPT=ok SDL_AUDIODRIVER=dummy "$bin/halcyon" /c
grep -q 'trans.xm' "$SAVER_HOME/registry.reg" || { echo "FileName was not stored" >&2; exit 1; }

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw SAVER_FRAMES=400 "$bin/halcyon" /s
bytes=$(stat -c %s "$work/audio.raw")
echo "captured $bytes bytes of audio"
[ "$bytes" -gt 0 ] || { echo "no audio was captured" >&2; exit 1; }
if cmp -s -n "$bytes" "$work/audio.raw" /dev/zero; then
  echo "the captured audio is silence" >&2
  exit 1
fi
