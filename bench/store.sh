#!/usr/bin/env bash
# Measures the store's readers on damaged registries: a lookup past a 256 MiB line without a line
# end, the next free ID read back over it, and a lookup past a million unreadable lines. Prints the
# median wall time, the peak resident memory and the lines written to standard error.
#
#   bench/store.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds the built `vexilo` (default: build); RUNS is the number of timed runs of each
# session (default 5). The inputs (about 260 MiB) are made in a temporary directory, removed at the
# end. Needs /usr/bin/time (Debian package time).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
vexilo="$(cd "${1:-$root/build}" && pwd)/vexilo"
runs="${2:-5}"
[[ -x "$vexilo" ]] || { echo "no vexilo at $vexilo: build it first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
work="$(mktemp -d "${TMPDIR:-/tmp}/vexilo-store-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

mkdir "$work/long" "$work/many"
{ printf '0,0,0,1,2,0\n'; head -c $((256 << 20)) /dev/zero | tr '\0' x; } > "$work/long/initalSettings26.txt"
awk 'BEGIN { for (i = 0; i < 1000000; ++i) print "x" }' > "$work/many/initalSettings26.txt"
printf '2\n5\n' > "$work/lookup.in"
printf '1\n' > "$work/random.in"

# Runs one session `runs` times and prints its median wall time, peak memory and error lines.
measure() {  # label dir stdinFile
  local times=() peak=0 i rss size
  size=$(stat -c %s "$2/initalSettings26.txt")
  for ((i = 0; i < runs; ++i)); do
    (cd "$2" && /usr/bin/time -f '%e %M' -o "$work/time" "$vexilo" < "$3" > /dev/null 2> "$work/err")
    # A random setting may add to the store: every run starts from the same files.
    truncate -s "$size" "$2/initalSettings26.txt"
    rm -f "$2"/Existing*
    read -r seconds rss < "$work/time"
    times+=("$seconds")
    ((rss > peak)) && peak=$rss
  done
  printf '  %-52s %6.2f s  peak %6.1f MiB  %d lines on standard error\n' "$1" \
    "$(printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" '{ t[NR] = $1 } END { print t[int((n + 1) / 2)] }')" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$(wc -l < "$work/err")"
}

echo "runs per session: $runs (median wall time, largest peak)"
cat "$work"/*/initalSettings26.txt > /dev/null  # into the page cache
measure "lookup past a 256 MiB line without a line end" "$work/long" "$work/lookup.in"
measure "random setting: next free ID read back over it" "$work/long" "$work/random.in"
measure "lookup past 1,000,000 unreadable lines" "$work/many" "$work/lookup.in"
