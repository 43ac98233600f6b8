#!/usr/bin/env bash
# What a saver costs on a desktop without a GPU: each saver full screen on a
# 1920x1080 Xvfb for 600 frames (10 s at 60 frames a second), whole-process
# CPU per second of running, the same per 60 frames (what a second costs
# where the machine keeps up), the frame rate reached and the peak resident
# memory, with our own scaler (software) and with SDL's renderer (gpu, which
# on this machine is Mesa's software OpenGL). Runs interleaved, A B A B.
# steady%@60 leaves out starting and ending: the CPU of a run of one frame
# (same saver, same present) is taken off first.
#   bench/desktop/present_cost.sh BIN_DIR [ROUNDS]     PRESENTS="software" to skip the renderer
set -eu
bin=$(cd "$1" && pwd)
rounds=${2:-2}
n=99
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
sleep 1.5
export DISPLAY=":$n" SDL_AUDIODRIVER=dummy SAVER_HOME=$(mktemp -d)
printf '%-8s %-9s %6s %8s %11s %6s %6s %8s\n' saver present cpu% cpu%@60 steady%@60 fps rssMB load
for round in $(seq "$rounds"); do
  for saver in halcyon tessera; do
    for present in ${PRESENTS:-software gpu}; do
      args=()
      [ "$saver" = halcyon ] && args=(/s)
      once=$( cd "$bin" && GLIDE_PRESENT=$present SAVER_FRAMES=1 /usr/bin/time -f "%U %S" "./$saver" "${args[@]}" 2>&1 >/dev/null | tail -1)
      out=$( cd "$bin" && GLIDE_PRESENT=$present SAVER_FRAMES=600 /usr/bin/time -f "%e %U %S %M" "./$saver" "${args[@]}" 2>&1 >/dev/null | tail -1)
      read -r wall user sys rss <<<"$out"
      read -r user1 sys1 <<<"$once"
      awk -v s="$saver" -v p="$present" -v w="$wall" -v u="$user" -v y="$sys" -v u1="$user1" -v y1="$sys1" -v r="$rss" -v l="$(cut -d' ' -f1 /proc/loadavg)" \
        'BEGIN { printf "%-8s %-9s %6.1f %8.1f %11.1f %6.1f %6.1f %8s\n", s, p, 100 * (u + y) / w, 100 * (u + y) / 600 * 60, 100 * (u + y - u1 - y1) / 599 * 60, 600 / w, r / 1024, l }'
    done
  done
done
