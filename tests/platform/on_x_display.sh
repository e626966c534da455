#!/usr/bin/env bash
# on_x_display.sh COMMAND...: runs the command on a fresh Xvfb display with SDL's X11 driver. Exit code 77
# (skipped) when Xvfb is not installed.
set -uo pipefail
command -v Xvfb >/dev/null || { echo "SKIPPED: no Xvfb"; exit 77; }
work=$(mktemp -d /tmp/morvane_x_display.XXXXXX) xvfb_pid=""
trap '[ -n "$xvfb_pid" ] && kill $xvfb_pid; wait; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for ((n = 100; n > 0; n--)); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAILED: Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
DISPLAY=:$(cat "$work/display") SDL_VIDEODRIVER=x11 "$@"
