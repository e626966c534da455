#!/usr/bin/env bash
# no_display.sh MORVANE DATA_TREE: where no display can be opened and no video driver was chosen, the real game
# ends at once with one "Error: " line and exit code 1, instead of running unseen on a headless driver. With a
# real display (Xvfb) and no driver chosen it opens its window; a driver chosen explicitly is used as it is. With no
# sound driver chosen either and no sound output to be had (no sound card), one line says that the game runs without
# sound, in place of the sound library's own lines; where one opens, nothing is said.
set -uo pipefail
binary=$1 tree=$2
work=$(mktemp -d /tmp/morvane_no_display.XXXXXX) xvfb_pid="" game_pid=""
trap '[ -n "$game_pid" ] && kill $game_pid; [ -n "$xvfb_pid" ] && kill $xvfb_pid; wait; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; cat "$work/game.log" 2>/dev/null; exit 1; }
await() { local n; for ((n = $1; n > 0; n--)); do "${@:2}" && return; sleep 0.1; done; false; }
cp -r "$tree" "$work/game" || fail "cannot copy the data tree $tree"
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER
export SDL_AUDIODRIVER=dummy

# run_without_display: the game must end within seconds, exit code 1, one "Error: " line on the missing display.
run_without_display() {
  (cd "$work/game" && exec timeout 20 "$binary" </dev/null >"$work/game.log" 2>&1)
  local code=$?
  [ $code = 1 ] || fail "$1: exit code $code, not 1 (124: still running after 20 s)"
  [ "$(grep -c '^Error: ' "$work/game.log")" = 1 ] || fail "$1: not exactly one Error: line"
  grep -q '^Error: There is no display' "$work/game.log" || fail "$1: the error does not say there is no display"
}
run_without_display "DISPLAY unset"
DISPLAY=:4321 run_without_display "DISPLAY naming no server"

if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  echo "PASSED (no Xvfb or xdotool: the real display case skipped)"
  exit 0
fi
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
await 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(cat "$work/display")
(cd "$work/game" && unset SDL_AUDIODRIVER && exec "$binary" </dev/null >"$work/game.log" 2>&1) &
game_pid=$!
window() { kill -0 $game_pid 2>/dev/null && [ -n "$(xdotool search --name '^Morvane$' 2>/dev/null)" ]; }
await 150 window || fail "with a real display and no driver chosen, no window titled Morvane"
kill $game_pid; wait $game_pid; game_pid=""
grep -v -x "Could not open the sound output: .*; the game runs without sound" "$work/game.log" &&
  fail "with no sound driver chosen, lines other than the one that says the game runs without sound"
[ "$(wc -l <"$work/game.log")" -le 1 ] || fail "with no sound driver chosen, the missing sound is told twice"

# A headless driver chosen explicitly runs the game (as the tests do), display or none.
unset DISPLAY
(cd "$work/game" && SDL_VIDEODRIVER=offscreen exec timeout 3 "$binary" </dev/null >"$work/game.log" 2>&1)
code=$?
[ $code = 124 ] || fail "with SDL_VIDEODRIVER=offscreen the game ended at once (exit code $code)"
echo PASSED
