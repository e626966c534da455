#!/usr/bin/env bash
# saves_reach_the_disk.sh FRONTEND_TESTS: a high-score save syncs its temporary file before renaming it over the
# old file, and the folder after, so that a power cut leaves the old file or the new one. Exit 77 without strace.
set -euo pipefail
command -v strace >/dev/null || { echo "SKIPPED: no strace"; exit 77; }
strace -qq -o /dev/null true 2>/dev/null || { echo "SKIPPED: strace may not trace here"; exit 77; }
log=$(mktemp) && trap 'rm -f "$log"' EXIT
strace -f -qq -e trace=openat,fsync,rename -o "$log" "$1" --gtest_filter='HighScoreFile.Save*' >/dev/null
# The calls from the temporary file's creation to the folder's sync, as one line.
calls=$(grep -oE 'openat\(AT_FDCWD, "high_scores/\.morvane-[^"]*", [^)]*O_CREAT|fsync|rename\("[^"]*", "high_scores/a\.scr"\)|openat\(AT_FDCWD, "high_scores", [^)]*O_DIRECTORY' "$log" |
        sed -E 's/^openat.*O_CREAT$/create/; s/^rename.*/rename/; s/^openat.*/folder/' | tr '\n' ' ')
echo "$calls"
[[ "$calls" == *"create fsync rename folder fsync"* ]] || { echo "FAILED: expected create fsync rename folder fsync"; exit 1; }
