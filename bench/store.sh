#!/usr/bin/env bash
# Measures the store's readers on damaged registries: a lookup past a 256 MiB line without a line
# end, the next free ID read back over it, and a lookup past a million unreadable lines. Then what
# is typed: a 256 MiB line in line mode, a 256 MiB answer at the mode menu and a 100 MB setting ID,
# each of which must stay within 16 MiB, with the long line enciphered byte for byte as file mode
# enciphers it. Prints the median wall time, the peak resident memory and the lines written to
# standard error.
#
#   bench/store.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds the built `vexilo` (default: build); RUNS is the number of timed runs of each
# session (default 5). The inputs (about 1.2 GiB) are made in a temporary directory, removed at the
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

# The median of the wall times in `times`, then the peak `peak` KiB in MiB.
medianAndPeak() {
  printf '%s\n' "${times[@]}" | sort -n | awk -v n="$runs" '{ t[NR] = $1 } END { print t[int((n + 1) / 2)] }'
  awk -v k="$peak" 'BEGIN { print k / 1024 }'
}

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
    $(medianAndPeak) "$(wc -l < "$work/err")"
}

echo "runs per session: $runs (median wall time, largest peak)"
cat "$work"/*/initalSettings26.txt > /dev/null  # into the page cache
measure "lookup past a 256 MiB line without a line end" "$work/long" "$work/lookup.in"
measure "random setting: next free ID read back over it" "$work/long" "$work/random.in"
measure "lookup past 1,000,000 unreadable lines" "$work/many" "$work/lookup.in"

# ---- what is typed ----------------------------------------------------------------------------

mkdir "$work/typed"
(cd "$work/typed" && printf '1\n' | "$vexilo" > /dev/null)  # setting 0
(set +o pipefail && yes 'Typed at length, WITH letters & signs!' | tr '\n' ' ' |
  head -c $((256 << 20)) > "$work/line.txt")
{ printf '2\n0\n3\n'; cat "$work/line.txt"; printf '\n1\n1\n'; } > "$work/line.in"
{ printf '2\n0\n3'; tr -c ' ' ' ' < "$work/line.txt"; printf '\nabc\n1\n1\n'; } > "$work/menu.in"
{ printf '2\n'; head -c 100000000 /dev/zero | tr '\0' 0; printf '\n3\nabc\n1\n1\n'; } > "$work/id.in"

measureTyped() {  # label stdinFile
  local times=() peak=0 i rss
  for ((i = 0; i < runs; ++i)); do
    (cd "$work/typed" &&
      /usr/bin/time -f '%e %M' -o "$work/time" "$vexilo" < "$2" > "$work/typed.out" 2> "$work/err")
    read -r seconds rss < "$work/time"
    times+=("$seconds")
    ((rss > peak)) && peak=$rss
  done
  printf '  %-52s %6.2f s  peak %6.1f MiB%s\n' "$1" $(medianAndPeak) \
    "$( ((peak <= 16 * 1024)) || echo '  OVER 16 MiB')"
}

measureTyped "a 100 MB setting ID" "$work/id.in"
measureTyped "a 256 MiB answer at the mode menu" "$work/menu.in"
measureTyped "a 256 MiB line in line mode" "$work/line.in"
# The line mode output of the last run is the same line enciphered by file mode, byte for byte:
# what comes before and after the enciphered line is what an empty line gets.
(cd "$work/typed" && printf '2\n0\n3\n\n1\n1\n' | "$vexilo" > "$work/empty.out")
(cd "$work/typed" && printf '2\n0\n4\n../line.txt\n../line.enciphered\n1\n' | "$vexilo" > /dev/null)
tailBytes=$(printf '\nWould you like to stop? (1 for yes, 2 for no)\nWould you like to exit Vexilo? (1 for yes, 2 for no)\n' | wc -c)
prefixBytes=$(($(stat -c %s "$work/empty.out") - tailBytes))
lineBytes=$(stat -c %s "$work/line.txt")
if cmp -s <(head -c "$prefixBytes" "$work/typed.out") <(head -c "$prefixBytes" "$work/empty.out") &&
  cmp -s <(tail -c +$((prefixBytes + 1)) "$work/typed.out" | head -c "$lineBytes") \
    <(head -c "$lineBytes" "$work/line.enciphered") &&
  cmp -s <(tail -c "$tailBytes" "$work/typed.out") <(tail -c "$tailBytes" "$work/empty.out") &&
  (($(stat -c %s "$work/typed.out") == $(stat -c %s "$work/empty.out") + lineBytes)); then
  echo "  line mode output: the line enciphered as file mode enciphers it, byte for byte"
else
  echo "  line mode output DIFFERS from file mode's"
  exit 1
fi
