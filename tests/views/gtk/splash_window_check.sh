#!/usr/bin/env bash
# The GTK splash window under Xvfb, from outside: the process of
#   PROGRAM splash "<Config.ini>"
# shows a borderless 292 x 73 window at (494, 363) of a 1280 x 800 screen,
# typed as a splash screen, above others and out of the taskbar and pager;
# a click on it ends the process with exit code 0. With showsplash=0, or
# without a display, the process ends at once and shows nothing.
# Usage: splash_window_check.sh PROGRAM
# (exit code 77: skipped for want of a tool; in CI that fails instead)
set -uo pipefail
program=$1

source "$(dirname "$0")/../../support/check.sh"
if [ "${2:-}" != --inside ]; then
  need xvfb-run xdotool xwininfo xprop
  # -noreset: with its last client gone the server would reset, and a
  # window opened in that moment would find no display.
  exec xvfb-run -a -s "-screen 0 1280x800x24 -noreset" bash "$0" "$program" --inside
fi

export NO_AT_BRIDGE=1
work=$(mktemp -d)
pid=
cleanup() {
  [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# True while the process runs (an ended child that is not yet reaped does not).
running() { [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z ' "/proc/$1/stat" 2>/dev/null; }
# Waits up to $2 seconds for process $1 to end; its exit code is in $ended_with.
ended_with=
ends_within() {
  local waited=0
  while running "$1"; do
    [ "$waited" -lt $(($2 * 10)) ] || return 1
    sleep 0.1
    waited=$((waited + 1))
  done
  wait "$1"
  ended_with=$?
  return 0
}
placed_at() { has "$info" "Absolute upper-left X:  $1" && has "$info" "Absolute upper-left Y:  $2"; }
sized() { has "$info" "Width: $1" && has "$info" "Height: $2"; }

printf '[INI]\r\nshowsplash=1\r\n' >"$work/Config.ini"
"$program" splash "$work/Config.ini" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
check "the splash window appears" test -n "$window"
if [ -n "$window" ]; then
  info=$(xwininfo -id "$window")
  check "at (494, 363)" placed_at 494 363
  check "292 x 73" sized 292 73
  props=$(xprop -id "$window")
  check "typed as a splash screen" has "$props" "_NET_WM_WINDOW_TYPE_SPLASH"
  check "above other windows" has "$props" "_NET_WM_STATE_ABOVE"
  check "out of the taskbar" has "$props" "_NET_WM_STATE_SKIP_TASKBAR"
  check "out of the pager" has "$props" "_NET_WM_STATE_SKIP_PAGER"
  check "without decorations" has "$props" "_MOTIF_WM_HINTS"
  # A window the user could not click would keep the process: it must not end by itself.
  sleep 1
  check "still there before the click" running "$pid"
  xdotool mousemove 600 400 click 1
  check "a click ends the process" ends_within "$pid" 10
  check "with exit code 0" test "$ended_with" = 0
fi
pid=

printf '[INI]\r\nshowsplash=0\r\n' >"$work/Config.ini"
"$program" splash "$work/Config.ini" &
pid=$!
check "showsplash=0: the process ends at once" ends_within "$pid" 10
check "showsplash=0: exit code 0" test "$ended_with" = 0
pid=

printf '[INI]\r\n' >"$work/Config.ini"
env -u DISPLAY -u WAYLAND_DISPLAY "$program" splash "$work/Config.ini" &
pid=$!
check "without a display: the process ends at once" ends_within "$pid" 10
check "without a display: exit code 0" test "$ended_with" = 0
pid=

[ "$failures" -eq 0 ]
