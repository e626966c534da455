#!/usr/bin/env bash
# Plays the real game in a virtual X display as a player would: creates a
# profile by typing, plays the endless level for a few seconds and leaves it
# with ESC, loses a one-life level to see the result and high-score screens,
# and exits from the main menu. Checks the window, the profile file and the
# high-score files; saves a screenshot of every screen.
#   play_whole_game.sh MORVANE_BINARY DATA_TREE SCREENSHOT_FOLDER
# Exit code 77 (skipped) only when Xvfb or xdotool is not installed.
set -uo pipefail

binary=$1
tree=$2
shots=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d /tmp/morvane_play.XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  [ -f "$work/game.log" ] && { echo "--- game output:"; cat "$work/game.log"; }
  exit 1
}

# A display number nobody uses.
display_number=""
for n in $(seq 99 399); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display_number=$n
    break
  fi
done
[ -n "$display_number" ] || fail "no free X display number"
export DISPLAY=":$display_number"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  sleep 0.1
done

# The game plays in a copy of the data tree, with a short one-life level of
# its pieces added: running off its only ground loses the level.
cp -r "$tree" "$work/game" || fail "cannot copy the data tree $tree"
rm -rf "$work/game/profiles" "$work/game/high_scores"
mkdir -p "$work/game/profiles" "$work/game/high_scores" "$shots"
rm -f "$shots"/*.png
endless_file=$(grep -l "^type infinite" "$work/game/levels/"*.qel | head -n 1)
[ -n "$endless_file" ] || fail "the data tree has no endless level"
endless=$(basename "$endless_file" .qel)
background=$(grep -m1 "^background " "$endless_file" | cut -d' ' -f2-)
cat >"$work/game/levels/zz_short_fall.qel" <<LEVEL
type normal
lives 1
background $background
ground 0 200 levels/enchanted_woods/ground1green none
item 5000 2000 levels/enchanted_woods/omena
itemdef levels/enchanted_woods/omena 10 0 no no no
LEVEL

# Position of a level in the list: the names as the game lists them.
level_index() {
  (cd "$work/game/levels" && ls -1 -- *.qel | LC_ALL=C sort | sed 's/\.qel$//' | grep -n -x -- "$1" | cut -d: -f1)
}

(cd "$work/game" && SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy exec "$binary" >"$work/game.log" 2>&1) &
game_pid=$!

window=""
for _ in $(seq 150); do
  window=$(xdotool search --name '^Morvane$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start"
  sleep 0.1
done
[ -n "$window" ] || fail "no window titled Morvane"
[ "$(xdotool getwindowname "$window")" = "Morvane" ] || fail "window title is '$(xdotool getwindowname "$window")'"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "640x480" ] || fail "window size is $geometry, not 640x480"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# screenshot NAME [X Y ...]: saves the window as NAME.png; prints "r g b" of
# each point.
screenshot() {
  local name=$1
  shift
  python3 "$here/x_screenshot.py" "$DISPLAY" "$window" "$shots/$name.png" "$@" || fail "screenshot $name"
}
# A key held long enough for a screen's frame to see it.
tap() {
  for key in "$@"; do
    xdotool keydown "$key"
    sleep 0.15
    xdotool keyup "$key"
    sleep 0.15
  done
}
alive() { kill -0 "$game_pid" 2>/dev/null || fail "the game ended unexpectedly"; }
near() {  # near "r g b" R G B: within a few steps of a colour
  read -r r g b <<<"$1"
  [ $((r > $2 ? r - $2 : $2 - r)) -le 6 ] && [ $((g > $3 ? g - $3 : $3 - g)) -le 6 ] &&
    [ $((b > $4 ? b - $4 : $4 - b)) -le 6 ]
}

sleep 1
# No profile yet: the game opens on the creation screen (menu gradient).
top=$(screenshot 1_create_profile 5 1)
near "$top" 23 95 39 || fail "creation screen top is '$top', not the menu gradient"
tap t e s t e r
tap Return
sleep 0.5
alive
screenshot 2_main_menu >/dev/null

tap z  # Play level
sleep 0.5
screenshot 3_level_list >/dev/null
for _ in $(seq 2 "$(level_index "$endless")"); do tap Down; done
tap z
# The opening needs a jump after about a second and a half; leave before it.
sleep 0.7
alive
screenshot 4_endless_level >/dev/null
# ESC while alive: a won attempt; with ESC still down the result and the
# high-score screens pass at once and the main menu follows.
xdotool keydown Escape
sleep 0.3
xdotool keyup Escape
sleep 0.5
alive
screenshot 5_back_at_main_menu >/dev/null

tap z
sleep 0.5
for _ in $(seq 2 "$(level_index zz_short_fall)"); do tap Down; done
tap z
# The runner leaves its only ground and falls: the one life is lost. (The
# first second fades in from the list, whose top has the same colour.)
sleep 1.5
lost=""
for _ in $(seq 60); do
  sleep 0.5
  alive
  top=$(screenshot probe 5 1)
  if near "$top" 23 95 39; then lost=yes; break; fi
done
rm -f "$shots/probe.png"
[ -n "$lost" ] || fail "the short level did not end"
sleep 0.3
screenshot 6_result_you_lose >/dev/null
tap z
sleep 0.5
top=$(screenshot 7_high_scores 5 1)
near "$top" 23 95 39 || fail "high-score screen top is '$top'"
tap z
sleep 0.5
screenshot 8_main_menu_again >/dev/null

tap Down Down Down z  # Exit
for _ in $(seq 50); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game did not end on Exit"
wait "$game_pid"
status=$?
game_pid=""
[ "$status" -eq 0 ] || fail "the game ended with exit code $status"

profile=$(cat "$work/game/profiles/TESTER.prf" 2>/dev/null) || fail "no profile file TESTER.prf"
[ "$(head -n 1 "$work/game/profiles/TESTER.prf")" = "name TESTER" ] || fail "profile file: $profile"
[ "$(ls "$work/game/profiles")" = "TESTER.prf" ] || fail "profiles: $(ls "$work/game/profiles")"
endless_scores="$work/game/high_scores/$endless.scr"
[ -f "$endless_scores" ] || fail "no high-score file for $endless"
grep -Eq '^[0-9]+ TESTER$' "$endless_scores" || fail "endless scores: $(cat "$endless_scores")"
endless_total=$(cut -d' ' -f1 "$endless_scores")
[ "$endless_total" -ge 30000 ] || fail "ESC while alive should win the 3-lives bonus: $endless_total"
grep -Eq '^[0-9]+ TESTER$' "$work/game/high_scores/zz_short_fall.scr" ||
  fail "short level scores: $(cat "$work/game/high_scores/zz_short_fall.scr" 2>/dev/null)"
echo "PASSED: screenshots in $shots"
