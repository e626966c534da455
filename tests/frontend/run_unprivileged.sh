#!/usr/bin/env bash
# run_unprivileged.sh FRONTEND_TESTS: runs the save-permission cases as an ordinary user (two of them skip under
# root, who may write any file). Exit code 77 (skipped) when not root or without setpriv.
set -euo pipefail
[ "$(id -u)" = 0 ] || { echo "SKIPPED: not root, so frontend_tests runs these cases itself"; exit 77; }
command -v setpriv >/dev/null || { echo "SKIPPED: no setpriv to run as an ordinary user"; exit 77; }
setpriv --reuid=65534 --regid=65534 --clear-groups true || { echo "SKIPPED: setpriv may not change user here"; exit 77; }
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cp "$1" "$work/tests" && chmod 755 "$work" && cd "$work"  # a copy the ordinary user can reach
setpriv --reuid=65534 --regid=65534 --clear-groups ./tests --gtest_filter='*Permission*' | tee log
grep -q '^\[  PASSED  \] 3 tests\.$' log || { echo "FAILED: the three permission tests did not all pass"; exit 1; }
