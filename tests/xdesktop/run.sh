#!/usr/bin/env bash
# The savers on a real X server, as a user meets them: Xvfb with a window
# manager (openbox) and without one, driven with xdotool, read back with
# screenshots and the pointer's image (xprobe), hosted in another program's
# window, and under the XScreenSaver daemon.
#
#   run.sh BIN_DIR XPROBE            BIN_DIR holds halcyon, tessera and their data
#   DESKTOP_TRIES=N                  hosted end-of-window tries per case (default 20)
#   DESKTOP_CASES="a b"              run only these groups (fullscreen window hosted
#                                    xscreensaver dialogs monitors)
#
# Prints one line per check and "N passed, N failed" last. Exits 77 (skipped)
# only where no X server can be started at all.
set -u
# The suite runs under the test runner, which asks for no display; here the display is the point.
unset SDL_VIDEODRIVER GLIDE_DISPLAY GLIDE_CAPTURE SAVER_FRAMES
if [ "${DESKTOP_TESTS:-1}" = 0 ]; then
  echo "desktop tests skipped: DESKTOP_TESTS=0"
  exit 77
fi
bin=$(cd "$1" && pwd)
xprobe=$2
tries=${DESKTOP_TRIES:-20}
cases=${DESKTOP_CASES:-"fullscreen window hosted dialogs monitors xscreensaver"}
for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "desktop tests skipped: $tool is not installed"
    exit 77
  fi
done

work=$(mktemp -d /tmp/xdesktop.XXXXXX)
chmod 755 "$work"
passed=0
failed=0
xvfb=""
wm=""
trap 'stop_x; rm -rf "$work"' EXIT

check() {  # check NAME CONDITION-STATUS [DETAIL]
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok   $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1${3:+: $3}"
  fi
}

start_x() {  # start_x WM(yes|no) SCREEN-ARGS...
  local with_wm=$1
  shift
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -nolisten tcp "$@" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    xvfb=""
  done
  if [ -z "$xvfb" ]; then
    echo "desktop tests skipped: Xvfb does not start ($(tail -1 "$work/xvfb.log"))"
    exit 77
  fi
  if [ "$with_wm" = yes ] && command -v openbox >/dev/null; then
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm=$!
    sleep 1
  fi
  # The pointer starts away from the middle of the screen and stays there
  # (the server may drop the first move it is asked for).
  xdotool mousemove --screen 0 700 500
}

stop_x() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  wm=""
  xvfb=""
}

launch() {  # launch ERRFILE PROGRAM ARGS... ; sets $pid
  local errors=$1
  shift
  (cd "$bin" && exec env SDL_AUDIODRIVER=dummy SAVER_HOME="$work/home" "$@" 2>"$errors") &
  pid=$!
}

alive() { kill -0 "$1" 2>/dev/null; }

# wait_end PID SECONDS: the exit status, or 124 (and the process killed) when
# it is still running; then stuck_state says what it was doing (its state and
# the kernel function it waited in), for the failure's line.
wait_end() {
  local deadline=$((SECONDS + $2))
  stuck_state=""
  while alive "$1" && [ $SECONDS -lt "$deadline" ]; do sleep 0.05; done
  if alive "$1"; then
    stuck_state="state $(cut -d' ' -f3 "/proc/$1/stat" 2>/dev/null) in $(cat "/proc/$1/wchan" 2>/dev/null)"
    kill -9 "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    return 124
  fi
  wait "$1"
}

# Microseconds that some task of this machine has waited for a processor
# (the kernel's CPU pressure), or nothing where the kernel does not say.
cpu_stall_us() {
  sed -n 's/^some .*total=\([0-9]*\)$/\1/p' /proc/pressure/cpu 2>/dev/null
}

# time_end PID SECONDS: sets ended_ms (until PID ended, or the limit),
# ended_status, and ended_loaded (1 when, for more than half of that time,
# tasks waited for a processor: the savers run at the lowest priority, so on
# a machine busy with other work their end is late without being at fault).
time_end() {
  local start stall
  stall=$(cpu_stall_us)
  start=$(date +%s%N)
  wait_end "$1" "$2"
  ended_status=$?
  ended_ms=$((($(date +%s%N) - start) / 1000000))
  ended_loaded=0
  if [ -n "$stall" ] && [ "$ended_ms" -gt 0 ]; then
    local now
    now=$(cpu_stall_us)
    [ $(((now - stall) / 1000)) -gt $((ended_ms / 2)) ] && ended_loaded=1
  fi
}

# ended_in_order: the last time_end ended with status 0 within 1 s, or later
# while the machine was busy with other work (counted in $late).
ended_in_order() {
  [ "$ended_status" -eq 0 ] || return 1
  [ "$ended_ms" -lt 1000 ] && return 0
  [ "$ended_loaded" -eq 1 ] && late=$((late + 1)) && return 0
  return 1
}

screen_size() { xdotool getdisplaygeometry; }

# The screen's statistics of a rectangle once more than a tenth of it is lit,
# or after SECONDS (a saver at idle priority on a busy machine starts slowly,
# and halcyon fades in from black).
lit_within() {  # lit_within SECONDS X Y W H
  local deadline=$((SECONDS + $1)) stats
  shift
  while :; do
    stats=$("$xprobe" stats "$@")
    if [ "${stats%% *}" -gt 100 ] || [ $SECONDS -ge "$deadline" ]; then break; fi
    sleep 0.5
  done
  echo "$stats"
}

# A still pointer for 5 s keeps the saver running and drawing; the pointer
# stays hidden; one pixel of movement ends it with status 0.
still_then_move() {  # still_then_move LABEL X Y W H PROGRAM ARGS...
  local label=$1 x=$2 y=$3 w=$4 h=$5
  shift 5
  launch "$work/err" "$@"
  sleep 5
  alive "$pid"
  check "$label: runs 5 s with the pointer still" $? "$(tail -2 "$work/err")"
  local stats
  stats=$(lit_within 10 "$x" "$y" "$w" "$h")
  [ "${stats%% *}" -gt 100 ] && [ "${stats##* }" -gt 50 ]
  check "$label: draws (lit per mille, colours: $stats)" $?
  [ "$("$xprobe" cursor)" = hidden ]
  check "$label: pointer hidden" $?
  [ -n "${SHOTS:-}" ] && import -window root "$SHOTS/${label// /_}.png" 2>/dev/null
  xdotool mousemove_relative 1 0
  wait_end "$pid" 8
  local status=$?
  check "$label: a 1-pixel move ends it with status 0" $status "status $status"
  xdotool mousemove --screen 0 700 500
}

ends_by() {  # ends_by LABEL ACTION PROGRAM ARGS... (ACTION: a command run after 3 s)
  local label=$1 action=$2
  shift 2
  launch "$work/err" "$@"
  sleep 3
  alive "$pid" || { check "$label" 1 "ended before the input"; return; }
  eval "$action"
  wait_end "$pid" 8
  local status=$?
  check "$label" $status "status $status"
  xdotool mousemove --screen 0 700 500
}

group_fullscreen() {
  for with_wm in yes no; do
    start_x "$with_wm" -screen 0 1920x1080x24
    read -r sw sh < <(screen_size)
    local tag="wm=$with_wm"
    still_then_move "halcyon /s full screen $tag" 400 100 1100 800 ./halcyon /s
    still_then_move "tessera full screen $tag" 400 100 1100 800 ./tessera
    ends_by "halcyon /s ends on a key $tag" "xdotool key a" ./halcyon /s
    ends_by "halcyon /s ends on a click $tag" "xdotool click 1" ./halcyon /s
    ends_by "tessera ends on Escape $tag" "xdotool key Escape" ./tessera
    if [ "$with_wm" = yes ]; then
      # Another window taking the focus ends halcyon.
      ends_by "halcyon /s ends when it loses the focus $tag" \
        "(sleep 6 | \"$xprobe\" host 200 200 >/dev/null &); sleep 0.5; xdotool search --name 'xprobe host' windowactivate" \
        ./halcyon /s
    fi
    stop_x
  done
}

group_window() {
  for with_wm in yes no; do
    start_x "$with_wm" -screen 0 1920x1080x24
    local tag="wm=$with_wm"
    for saver in halcyon tessera; do
      local args=()
      [ "$saver" = halcyon ] && args=(/s)
      launch "$work/err" env GLIDE_DISPLAY=window "./$saver" "${args[@]}"
      sleep 4
      local window geometry
      window=$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | tail -1)
      geometry=$([ -n "$window" ] && "$xprobe" geometry "$window")
      [ "$(echo "$geometry" | cut -d' ' -f3-)" = "640 480" ]
      check "$saver window mode $tag: a 640x480 window" $? "geometry '$geometry'"
      alive "$pid"
      check "$saver window mode $tag: keeps running" $? "$(tail -2 "$work/err")"
      if [ -n "$geometry" ]; then
        read -r gx gy gw gh <<<"$geometry"
        stats=$(lit_within 10 "$gx" "$gy" "$gw" "$gh")
        [ "${stats%% *}" -gt 100 ]
        check "$saver window mode $tag: draws ($stats)" $?
      fi
      xdotool mousemove_relative 1 0
      wait_end "$pid" 8
      check "$saver window mode $tag: a 1-pixel move ends it" $?
      xdotool mousemove --screen 0 700 500
    done
    stop_x
  done
}

# A host's window: made by xprobe, which reads commands on its standard input.
start_host() {
  coproc HOST { "$xprobe" host "$1" "$2"; }
  host_pid=$HOST_PID
  host_in=${HOST[1]}
  read -r host_window <&"${HOST[0]}"
}

# The host destroys its window (xprobe exits after it has).
destroy_host() {
  echo destroy >&"$host_in" 2>/dev/null
}

group_hosted() {
  start_x yes -screen 0 1920x1080x24
  for saver in halcyon tessera; do
    local args=()
    [ "$saver" = halcyon ] && args=(-s)
    # Input is the host's business; the picture follows the window's size.
    start_host 640 480
    launch "$work/err" env XSCREENSAVER_WINDOW="$host_window" "./$saver" "${args[@]}"
    sleep 3
    xdotool mousemove_relative 5 5
    xdotool key a
    sleep 1
    alive "$pid"
    check "$saver hosted: input does not end it" $?
    echo "size 1024 768" >&"$host_in"
    read -r hx hy _ _ < <("$xprobe" geometry "$host_window")
    stats=$(lit_within 10 $((hx + 900)) $((hy + 600)) 100 100)
    [ "${stats%% *}" -gt 100 ]
    check "$saver hosted: follows the window's new size ($stats)" $?
    kill -TERM "$pid"
    local late=0
    time_end "$pid" 10
    ended_in_order
    local in_order=$? note=""
    [ "$late" = 1 ] && note=", late on a busy machine"
    check "$saver hosted: SIGTERM ends it in ${ended_ms} ms with status $ended_status$note" $in_order "$stuck_state"
    destroy_host
    wait "$host_pid" 2>/dev/null

    # The window destroyed under the saver, alone, after SIGTERM, or before it.
    for order in destroy term-destroy destroy-term; do
      local good=0 worst=0 statuses="" errors=0 late=0
      for _ in $(seq "$tries"); do
        start_host 640 480
        launch "$work/err" env XSCREENSAVER_WINDOW="$host_window" "./$saver" "${args[@]}"
        sleep "0.$((RANDOM % 9 + 1))"
        case $order in
          destroy) destroy_host ;;
          term-destroy)
            kill -TERM "$pid"
            destroy_host
            ;;
          destroy-term)
            destroy_host
            kill -TERM "$pid"
            ;;
        esac
        time_end "$pid" 10
        local ms=$ended_ms
        wait "$host_pid" 2>/dev/null
        [ "$ms" -gt "$worst" ] && worst=$ms
        grep -q "X Error" "$work/err" && errors=$((errors + 1))
        if ended_in_order; then
          good=$((good + 1))
        else
          statuses+=" $ended_status/${ms}ms${stuck_state:+ ($stuck_state)}"
        fi
      done
      [ "$good" -eq "$tries" ] && [ "$errors" -eq 0 ]
      check "$saver hosted, window $order: $good of $tries ended in order within 1 s (slowest ${worst} ms, $late late on a busy machine, X errors printed $errors)" $? "$statuses"
    done
  done
  pgrep -f "$bin/(halcyon|tessera)" >/dev/null
  check "hosted: no saver process left behind" $((1 - $?))
  stop_x
}

# An X server with two monitors side by side (1920x1080, and 1280x1024 to its
# right): the X.Org server on its dummy video driver, whose outputs RandR
# reports as monitors of their own (Xvfb has one output a screen, Xinerama or
# not, so SDL would see one monitor). Returns 1 where it cannot be started.
start_two_monitors() {  # start_two_monitors WM(yes|no)
  local driver
  driver=$(find /usr/lib/xorg/modules/drivers -name dummy_drv.so 2>/dev/null | head -1)
  command -v Xorg >/dev/null && [ -n "$driver" ] || return 1
  mkdir -p "$work/xorg/conf.d"
  cat >"$work/xorg/xorg.conf" <<'CONF'
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3200 1080
  EndSubSection
EndSection
CONF
  for n in $(seq 141 190); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xorg ":$n" -noreset -nolisten tcp -novtswitch -sharevts -config "$work/xorg/xorg.conf" \
      -configdir "$work/xorg/conf.d" -logfile "$work/xorg/xorg.log" >"$work/xorg/out.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      break
    fi
    xvfb=""
    return 1
  done
  [ -n "$xvfb" ] || return 1
  xrandr --addmode DUMMY1 1280x1024 &&
    xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --output DUMMY1 --mode 1280x1024 --pos 1920x0 ||
    { stop_x; return 1; }
  # The second output counts as connected once the server has probed the
  # outputs again (which a full query does); until then SDL sees one monitor.
  xrandr --query >/dev/null
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: 2" ] || { stop_x; return 1; }
  if [ "$1" = yes ] && command -v openbox >/dev/null; then
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm=$!
    sleep 1
  fi
  # A desktop that shows: what the saver leaves uncovered is not black.
  xsetroot -solid '#4070a0'
  xdotool mousemove --screen 0 700 500
}

group_monitors() {
  # Full screen on the first monitor, the other black, a move ends it: each
  # saver, with a window manager and without.
  local saver with_wm args before left right
  for with_wm in yes no; do
    if ! start_two_monitors "$with_wm"; then
      echo "skip monitors: no X server with two monitors here (needs Xorg and its dummy driver, as root;" \
        "$(tail -1 "$work/xorg/out.log" 2>/dev/null))"
      return
    fi
    for saver in halcyon tessera; do
      args=()
      [ "$saver" = halcyon ] && args=(/s)
      before=$("$xprobe" stats 1920 0 1280 1024)
      launch "$work/err" "./$saver" "${args[@]}"
      sleep 4
      left=$("$xprobe" stats 400 100 1100 800)
      right=$("$xprobe" stats 1920 0 1280 1024)
      [ "${before%% *}" -eq 1000 ] && [ "${left%% *}" -gt 100 ] && [ "${right}" = "0 1" ]
      check "two monitors $saver wm=$with_wm: the picture on one, the other black ($before -> $left | $right)" $?
      xdotool mousemove_relative 1 0
      wait_end "$pid" 8
      check "two monitors $saver wm=$with_wm: a move ends it" $?
    done
    stop_x
  done
}

group_dialogs() {
  for with_wm in yes no; do
    dialogs_on "$with_wm"
  done
}

dialogs_on() {
  start_x "$1" -screen 0 1920x1080x24
  rm -rf "$work/home"
  mkdir -p "$work/home"
  # tessera -c: click into the number, type one, Enter; the settings file holds it.
  edit_number() {  # edit_number KEYS...
    local window
    window=$(xdotool search --sync --name Configuration | head -1)
    sleep 0.5
    xdotool mousemove --window "$window" 201 299 click 1
    xdotool key End BackSpace BackSpace BackSpace BackSpace "$@"
  }
  launch "$work/err" ./tessera -c
  edit_number 2 5 Return
  wait_end "$pid" 5
  check "tessera -c wm=$1: Enter closes the dialog" $?
  grep -q "=25" "$work/home/tessera.INI" 2>/dev/null
  check "tessera -c wm=$1: 25 typed and confirmed is stored" $? "$(cat "$work/home/tessera.INI" 2>/dev/null)"
  # Escape leaves the settings alone.
  launch "$work/err" ./tessera -c
  edit_number 3 3 Escape
  wait_end "$pid" 5
  grep -q "=25" "$work/home/tessera.INI" 2>/dev/null
  check "tessera -c wm=$1: Escape keeps the stored value" $?
  # A number out of range: the box comes up centred on the dialog, takes the
  # keys typed at it, closes on Enter, and nothing typed is replayed after.
  launch "$work/err" ./tessera -c
  edit_number 5 Return
  local box dialog
  box=$(xdotool search --sync --name '^tessera$' | head -1)
  dialog=$(xdotool search --name Configuration | head -1)
  sleep 0.5
  read -r bx by bw bh < <("$xprobe" geometry "$box")
  read -r dx dy dw dh < <("$xprobe" geometry "$dialog")
  local dxc=$((bx + bw / 2 - dx - dw / 2)) dyc=$((by + bh / 2 - dy - dh / 2))
  [ "${dxc#-}" -le 40 ] && [ "${dyc#-}" -le 60 ] && [ "$bx" -ge 0 ] && [ "$by" -ge 0 ] &&
    [ $((bx + bw)) -le 1920 ] && [ $((by + bh)) -le 1080 ]
  check "message box wm=$1: on the screen, centred on its dialog (off by $dxc,$dyc)" $? "box $bx $by $bw $bh, dialog $dx $dy $dw $dh"
  xdotool key x y z Return
  sleep 1
  [ -z "$(xdotool search --name '^tessera$' 2>/dev/null)" ] && alive "$pid"
  check "message box wm=$1: Enter closes it and no typed key opens another" $?
  xdotool key Escape
  wait_end "$pid" 5
  check "message box wm=$1: the dialog still answers Escape afterwards" $?
  # halcyon /c: the check box by keyboard, then OK.
  launch "$work/err" ./halcyon /c
  xdotool search --sync --name Farreach >/dev/null
  sleep 0.5
  xdotool key Tab Tab Tab space Return
  wait_end "$pid" 5
  check "halcyon /c wm=$1: Enter closes the dialog" $?
  [ -s "$work/home/registry.reg" ]
  check "halcyon /c wm=$1: the registry store is written" $?
  stop_x
}

group_xscreensaver() {
  if ! command -v xscreensaver >/dev/null || ! command -v setpriv >/dev/null; then
    echo "skip xscreensaver: not installed"
    return
  fi
  start_x no -screen 0 1280x1024x24
  xhost +local: >/dev/null 2>&1
  # XScreenSaver runs as nobody, who may not reach the build folder: then a
  # copy of the programs and their data serves.
  local xss_bin=$bin
  if ! setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$bin/halcyon" 2>/dev/null; then
    xss_bin=$work/bin
    cp -r "$bin" "$xss_bin"
    chmod -R a+rX "$xss_bin"
  fi
  for saver in halcyon tessera; do
    local home="$work/xss-$saver" args=""
    [ "$saver" = halcyon ] && args=" -s"
    mkdir -p "$home"
    cat >"$home/.xscreensaver" <<CONF
timeout: 0:30:00
cycle: 0:00:00
lock: False
splash: False
fade: False
unfade: False
mode: one
selected: 0
programs: "$saver" $xss_bin/$saver$args \n
CONF
    chown -R nobody:nogroup "$home"
    setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$home" DISPLAY="$DISPLAY" \
      PATH=/usr/bin:/bin SDL_AUDIODRIVER=dummy SAVER_HOME="$home" xscreensaver -no-splash >"$work/xss.log" 2>&1 &
    local daemon=$! up=0 left=0
    sleep 2
    for _ in $(seq 10); do
      setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" DISPLAY="$DISPLAY" \
        xscreensaver-command -activate >/dev/null 2>&1
      for _ in $(seq 60); do pgrep -f "$xss_bin/$saver" >/dev/null && break; sleep 0.1; done
      sleep 1.5
      pgrep -f "$xss_bin/$saver" >/dev/null && up=$((up + 1))
      setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME="$home" DISPLAY="$DISPLAY" \
        xscreensaver-command -deactivate >/dev/null 2>&1
      for _ in $(seq 40); do pgrep -f "$xss_bin/$saver" >/dev/null || break; sleep 0.1; done
      pgrep -f "$xss_bin/$saver" >/dev/null && left=$((left + 1))
      pkill -9 -f "$xss_bin/$saver" 2>/dev/null
      sleep 0.5
    done
    [ "$up" -eq 10 ] && [ "$left" -eq 0 ]
    check "xscreensaver: $saver ran on $up of 10 activations, left behind $left times" $? "$(tail -3 "$work/xss.log")"
    kill "$daemon" 2>/dev/null
    wait "$daemon" 2>/dev/null
  done
  stop_x
}

for group in $cases; do
  "group_$group"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
