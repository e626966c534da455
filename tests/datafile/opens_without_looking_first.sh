#!/usr/bin/env bash
# opens_without_looking_first.sh MORVANE: the level checker opens the level without blocking and looks at nothing by
# its name first, so a level swapped for a named pipe between a look and the open cannot hang it: the one call that
# names the file is a non-blocking open (the check that it is a regular file is made on the open descriptor).
# Exit 77 without strace.
set -euo pipefail
command -v strace >/dev/null || { echo "SKIPPED: no strace"; exit 77; }
strace -qq -o /dev/null true 2>/dev/null || { echo "SKIPPED: strace may not trace here"; exit 77; }
program=$(realpath "$1")
folder=$(mktemp -d) && trap 'rm -rf "$folder"' EXIT
mkdir "$folder/levels"
printf 'type normal\nbackground sky\nground 0 4 g n\nitem 1 2 s\nitemdef s 1 0 a b c\n' >"$folder/levels/demo.qel"
(cd "$folder" && strace -f -qq -e trace=%file -o "$folder/trace" "$program" -cs demo.qel </dev/null >/dev/null)
calls=$(grep -F 'levels/demo.qel' "$folder/trace" | sed -E 's/^[0-9]+ +//')
echo "$calls"
[[ $(wc -l <<<"$calls") == 1 && "$calls" == openat*O_NONBLOCK* ]] ||
  { echo "FAILED: expected one call naming the level, a non-blocking open"; exit 1; }
