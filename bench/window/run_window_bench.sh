#!/usr/bin/env bash
# Runs the window benchmark in a virtual X display (no GPU) a few times and
# prints every run and the median of each figure.
#   run_window_bench.sh PATH/TO/window_bench [runs=5] [frames=1000]
# Other displays: DISPLAY=:0 PATH/TO/window_bench 1000 runs one in that display.
set -euo pipefail
bench=$1 runs=${2:-5} frames=${3:-1000}
command -v Xvfb >/dev/null || { echo "needs Xvfb"; exit 1; }
for n in $(seq 150 399); do  # a display number nobody uses
  [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || { export DISPLAY=:$n; break; }
done
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid; wait' EXIT
sleep 1
unset SDL_VIDEODRIVER
out=$(for _ in $(seq "$runs"); do "$bench" "$frames"; done)
echo "$out"
# Median of every figure.
printf "median:"
for column in $(seq 2 2 18); do
  name=$(echo "$out" | head -n 1 | cut -d" " -f$((column - 1)))
  printf " %s %s" "$name" "$(echo "$out" | cut -d" " -f$column | sort -g | sed -n "$(((runs + 1) / 2))p")"
done
echo
