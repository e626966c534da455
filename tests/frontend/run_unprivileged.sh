#!/usr/bin/env bash
# Runs the save-permission tests as an ordinary user, since root may write any
# file and they skip themselves under root.   run_unprivileged.sh FRONTEND_TESTS
# Exit code 77 (skipped) when not root (frontend_tests runs them already) or
# when there is no setpriv to drop root's rights.
set -euo pipefail
tests=$1
[ "$(id -u)" = 0 ] || { echo "SKIPPED: not root, so frontend_tests runs these cases itself"; exit 77; }
command -v setpriv >/dev/null || { echo "SKIPPED: no setpriv to run as an ordinary user"; exit 77; }
# A copy that the ordinary user can reach, whatever the build folder's rights.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$tests" "$work/tests"
chmod 755 "$work"
cd "$work"
setpriv --reuid=65534 --regid=65534 --clear-groups ./tests --gtest_filter='*Permission*' | tee "$work/log"
grep -q '^\[  PASSED  \] 2 tests\.$' "$work/log" || { echo "FAILED: the two permission tests did not both pass"; exit 1; }
