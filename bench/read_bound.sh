#!/usr/bin/env bash
# How long the worst reads of run.dat take and how much memory they need: each file is read once
# by build/tests/platform_probe (the launcher's own read), under /usr/bin/time. Prints one line per
# file: what the read gave, its time, and the probe's peak memory beside that of a five-line file.
set -euo pipefail
cd "$(dirname "$0")/.."
probe=build/tests/platform_probe
[[ -x $probe ]] || { echo "build first (scripts/test.sh)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '/a.dat\r\n/a.ana\r\n/a.out\r\n/a.fem\r\n/a.ind.in\r\n' > "$work/five-lines"
truncate -s 1T "$work/sparse-1TiB"
head -c $((1 << 30)) /dev/zero | tr '\0' x > "$work/one-line-1GiB"
ln -s /dev/zero "$work/link-to-dev-zero"
mkfifo "$work/fifo"
for f in five-lines sparse-1TiB one-line-1GiB link-to-dev-zero fifo; do
    /usr/bin/time -f '%e s %M KiB' -o "$work/time" "$probe" read "$work/$f" > "$work/out"
    read -r result < "$work/out"
    printf '%-18s %-60s wall %s\n' "$f" "$result" "$(cat "$work/time")"
done
