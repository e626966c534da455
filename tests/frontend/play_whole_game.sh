#!/usr/bin/env bash
# play_whole_game.sh MORVANE DATA_TREE SHOTS: plays the real game under Xvfb as a player would (new profile,
# endless level left with ESC, a one-life level lost, Exit), checks the window and the saved files, and keeps a
# screenshot of every screen. Exit code 77 (skipped) only when Xvfb or xdotool is not installed.
set -uo pipefail
binary=$1 tree=$2 shots=$3 here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb xdotool; do
  command -v $tool >/dev/null || { echo "SKIPPED: no $tool (scripts/install-deps.sh installs it)"; exit 77; }
done
work=$(mktemp -d /tmp/morvane_play.XXXXXX) xvfb_pid="" game_pid=""
trap '[ -n "$game_pid" ] && kill $game_pid; [ -n "$xvfb_pid" ] && kill $xvfb_pid; wait; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; cat "$work/game.log" 2>/dev/null; exit 1; }
alive() { kill -0 $game_pid 2>/dev/null || fail "the game ended unexpectedly"; }
# await TENTHS COMMAND...: retries the command every tenth of a second.
await() { local n; for ((n = $1; n > 0; n--)); do "${@:2}" && return; sleep 0.1; done; false; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
await 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(cat "$work/display")

# A copy of the data tree, with a one-life level whose only ground runs out.
game=$work/game
cp -r "$tree" "$game" || fail "cannot copy the data tree $tree"
rm -rf "$game/profiles" "$game/high_scores" "$shots"/*.png
mkdir -p "$game/profiles" "$game/high_scores" "$shots"
endless=$(basename "$(grep -l "^type infinite" "$game"/levels/*.qel | head -n 1)" .qel)
printf '%s\n' "type normal" "lives 1" "$(grep -m1 "^background " "$game/levels/$endless.qel")" \
  "ground 0 200 levels/enchanted_woods/ground1green none" "item 5000 2000 levels/enchanted_woods/omena" \
  "itemdef levels/enchanted_woods/omena 10 0 no no no" >"$game/levels/zz_short_fall.qel"

(cd "$game" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec "$binary" >"$work/game.log" 2>&1) &
game_pid=$!
find_window() { alive && window=$(xdotool search --name '^Morvane$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
await 150 find_window || fail "no window titled Morvane"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = 640x480 ] || fail "window size is $geometry, not 640x480"
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
grep -q "minimum size: 640 by 480" <<<"$hints" && grep -q "maximum size: 640 by 480" <<<"$hints" ||
  fail "the window can be resized: $hints"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# shot NAME: saves the window as NAME.png; true when its top left has the menu gradient's top colour.
shot() {
  local r g b
  read -r r g b < <(python3 "$here/x_screenshot.py" "$DISPLAY" "$window" "$shots/$1.png" 5 1) || fail "screenshot $1"
  [ $(((r - 23) ** 2 <= 36 && (g - 95) ** 2 <= 36 && (b - 39) ** 2 <= 36)) = 1 ]
}
# step PAUSE KEY...: taps each key long enough for a screen's frame to see it, then waits.
step() {
  local pause=$1 key
  alive
  for key in "${@:2}"; do xdotool keydown "$key"; sleep 0.15; xdotool keyup "$key"; sleep 0.15; done
  sleep "$pause"
}

sleep 1
shot 1_create_profile || fail "no profile yet: the creation screen on the menu gradient"
step 0.5 t e s t e r Return && shot 2_main_menu
step 0.5 z && shot 3_level_list
index=$(cd "$game/levels" && ls -1 -- *.qel | LC_ALL=C sort | grep -n -x -- "$endless.qel" | cut -d: -f1)
step 0.7 $(seq 2 "$index" | sed s/.*/Down/) z  # the opening needs a jump after about a second and a half
shot 4_endless_level
# ESC while alive wins the attempt; held, it passes the result and high-score screens at once.
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape
step 0.5 && shot 5_back_at_main_menu
# Up on the first entry selects the last, zz_short_fall; it fades in from the list's gradient for a second.
step 1.5 z Up z
lost() { sleep 0.4; alive && shot probe; }
await 60 lost || fail "the short level did not end"
rm -f "$shots/probe.png"
sleep 0.3
shot 6_result_you_lose
step 0.5 z && shot 7_high_scores || fail "the high-score screen is not on the menu gradient"
step 0.5 z && shot 8_main_menu_again
step 0 Down Down Down z  # Exit
await 50 eval '! kill -0 $game_pid 2>/dev/null' || fail "the game did not end on Exit"
wait $game_pid || fail "the game ended with exit code $?"
game_pid=""

[ "$(ls "$game/profiles")" = TESTER.prf ] || fail "profiles: $(ls "$game/profiles")"
[ "$(head -n 1 "$game/profiles/TESTER.prf")" = "name TESTER" ] || fail "profile: $(cat "$game/profiles/TESTER.prf")"
scores=$(cat "$game/high_scores/$endless.scr" 2>/dev/null)
[[ $scores =~ ^[0-9]+\ TESTER$ ]] || fail "endless scores: $scores"
[ "${scores% *}" -ge 30000 ] || fail "ESC while alive should win the bonus of three lives: $scores"
grep -Eq '^[0-9]+ TESTER$' "$game/high_scores/zz_short_fall.scr" || fail "short level scores missing"
echo "PASSED: screenshots in $shots"
