#!/usr/bin/env bash
# Measures vexilo-break on the full store of bench/run.sh (1,048,575 settings, 100,000 components
# of each kind) against a ciphertext of 100 letters: the store attack, and the crib attack with a
# word of 7 letters, beside `cat` of the four store files. Prints for each the median wall time,
# the median processor time (user and system), the largest peak resident memory, and the settings
# tried per second of wall time; checks that the right setting comes first.
#
#   bench/break.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds the built `vexilo` and `vexilo-break` (default: build); RUNS is the number of
# timed runs of each command (default 7). The store (about 50 MiB) is made in a temporary
# directory, removed at the end, or once in VEXILO_BENCH_INPUTS and kept there. Needs awk and
# /usr/bin/time (Debian package time).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-7}"
for program in vexilo vexilo-break; do
  [[ -x "$build/$program" ]] || { echo "no $program in $build: build it first" >&2; exit 1; }
done
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
source "$root/bench/store_inputs.sh"
if [[ -n "${VEXILO_BENCH_INPUTS:-}" ]]; then
  mkdir -p "$VEXILO_BENCH_INPUTS"
  work="$(cd "$VEXILO_BENCH_INPUTS" && pwd)"
else
  work="$(mktemp -d "${TMPDIR:-/tmp}/vexilo-break-bench.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
fi
store="$work/full"
if [[ ! -e "$store/complete" ]]; then
  echo "making the store in $store ..."
  mkdir -p "$store"
  makeComponents rotor 100000 11 "$store/ExistingRotorSettings26.txt"
  makeComponents reflector 100000 12 "$store/ExistingReflectorSettings26.txt"
  makeComponents plugboard 100000 13 "$store/ExistingPlugBoardSettings26.txt"
  makeRegistry 1048575 100000 14 "$store/initalSettings26.txt"
  touch "$store/complete"
fi
storeFiles=(ExistingRotorSettings26.txt ExistingReflectorSettings26.txt
            ExistingPlugBoardSettings26.txt initalSettings26.txt)

# 100 letters of English, enciphered by vexilo's file mode with setting 9A3F1.
setting=9A3F1
printf 'The weather today is fine and the enemy will attack the northern bridge at dawn, so be ready and hold your ground until noon.\n' \
  > "$work/plain.txt"
[[ $(tr -cd 'a-zA-Z' < "$work/plain.txt" | wc -c) -eq 100 ]] || { echo "not 100 letters" >&2; exit 1; }
(cd "$store" && printf '2\n%s\n4\n%s\n%s\n1\n' "$setting" "$work/plain.txt" "$work/secret.txt" |
  "$build/vexilo" > /dev/null)
cat "$store"/*.txt > /dev/null  # into the page cache

# Runs COMMAND (in the store) `runs` times; prints its median wall and processor times, its peak
# memory and the settings per second.
measure() {  # label command...
  local label="$1" i
  shift
  local walls=() cpus=() peak=0 wall user system rss
  for ((i = 0; i < runs; ++i)); do
    (cd "$store" && /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" > "$work/out" 2> /dev/null)
    read -r wall user system rss < "$work/time"
    walls+=("$wall")
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')")
    ((rss > peak)) && peak=$rss
  done
  if [[ "$1" == "$build/vexilo-break" && "$(awk '{ print $1; exit }' "$work/out")" != "$setting" ]]; then
    echo "$label: the first candidate is not $setting:" >&2
    cat "$work/out" >&2
    exit 1
  fi
  local medianWall medianCpu
  medianWall=$(printf '%s\n' "${walls[@]}" | sort -n | awk -v n="$runs" '{ t[NR] = $1 } END { print t[int((n + 1) / 2)] }')
  medianCpu=$(printf '%s\n' "${cpus[@]}" | sort -n | awk -v n="$runs" '{ t[NR] = $1 } END { print t[int((n + 1) / 2)] }')
  printf '  %-40s %6.2f s wall  %6.2f s processor  peak %5.1f MiB  %s\n' "$label" "$medianWall" \
    "$medianCpu" "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" \
    "$(awk -v t="$medianWall" 'BEGIN { if (t > 0) printf "%.1f million settings/s", 1.048575 / t }')"
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "runs: $runs each (median); 1,048,575 settings, 100,000 components of each kind, 100 letters"
measure "cat of the four store files" cat "${storeFiles[@]}"
measure "vexilo-break (the store)" "$build/vexilo-break" "$work/secret.txt"
measure "vexilo-break --crib weather" "$build/vexilo-break" --crib weather "$work/secret.txt"
