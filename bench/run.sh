#!/usr/bin/env bash
# Measures vexilo's file mode and start-up beside `tr` and `cat` on the same files, and prints each
# ratio and the peak resident memory.
#
#   bench/run.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds the built `vexilo` (default: build); RUNS is the number of timed runs of each
# command (default 5), of which the median counts. The inputs (about 420 MiB) are generated into a
# temporary directory, which is removed at the end; when VEXILO_BENCH_INPUTS names a directory, they
# are generated there once and kept for later runs.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
buildDir="$(cd "${1:-$root/build}" && pwd)"
runs="${2:-5}"
vexilo="$buildDir/vexilo"
[[ -x "$vexilo" ]] || { echo "no vexilo in $buildDir: build it first" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

if [[ -n "${VEXILO_BENCH_INPUTS:-}" ]]; then
  mkdir -p "$VEXILO_BENCH_INPUTS"
  work="$(cd "$VEXILO_BENCH_INPUTS" && pwd)"
else
  work="$(mktemp -d "${TMPDIR:-/tmp}/vexilo-bench.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
fi

# ---- inputs ---------------------------------------------------------------------------------

# One rotor, reflector or plugboard per line, all valid, IDs 0 to count - 1.
makeComponents() {  # kind count seed file
  awk -v kind="$1" -v count="$2" -v seed="$3" 'BEGIN {
    srand(seed)
    for (id = 0; id < count; ++id) {
      for (i = 0; i < 26; ++i) w[i] = i
      if (kind == "rotor") {
        for (i = 25; i > 0; --i) { j = int(rand() * (i + 1)); t = w[i]; w[i] = w[j]; w[j] = t }
        line = id
      } else {
        for (i = 0; i < 26; ++i) p[i] = i
        for (i = 25; i > 0; --i) { j = int(rand() * (i + 1)); t = p[i]; p[i] = p[j]; p[j] = t }
        pairs = kind == "reflector" ? 13 : int(rand() * 14)
        for (i = 0; i < pairs; ++i) { a = p[2 * i]; b = p[2 * i + 1]; w[a] = b; w[b] = a }
        line = kind == "reflector" ? id : id "," pairs
      }
      for (i = 0; i < 26; ++i) line = line "," w[i]
      print line
    }
  }' > "$4"
}

# Settings 0 to count - 1 in hexadecimal, over `components` components of each kind.
makeRegistry() {  # count components seed file
  awk -v count="$1" -v n="$2" -v seed="$3" 'BEGIN {
    srand(seed)
    for (id = 0; id < count; ++id) {
      r1 = int(rand() * n)
      do r2 = int(rand() * n); while (r2 == r1)
      do r3 = int(rand() * n); while (r3 == r1 || r3 == r2)
      printf "%X,%d,%d,%d,%d,%d\n", id, int(rand() * n), r1, r2, r3, int(rand() * n)
    }
  }' > "$4"
}

# `mebibytes` MiB of words, punctuation and line ends; with "flat", no line end at all.
makeText() {  # mebibytes file [flat]
  awk 'BEGIN {
    srand(7)
    split("the of and to in is was that for it with as his on be at by had are but from or " \
          "Machine Rotor Plugboard Reflector cipher letter ZEPHYR quartz jumps over lazy dog", w, " ")
    punct[0] = ","; punct[1] = "."; punct[2] = ";"; punct[3] = "!"; punct[4] = "?"; punct[5] = " -"
    size = 0; line = ""
    while (size < 1048576) {
      word = w[int(rand() * 39) + 1]
      if (rand() < 0.12) word = word punct[int(rand() * 6)]
      if (rand() < 0.03) word = word " " int(rand() * 10000)
      line = line (line == "" ? "" : " ") word
      if (length(line) > 60 + int(rand() * 20)) { print line; size += length(line) + 1; line = "" }
    }
  }' > "$work/chunk.raw"
  head -c 1048576 "$work/chunk.raw" > "$work/chunk"
  rm -f "$work/chunk.raw"
  if [[ "${3:-}" == flat ]]; then tr '\n' ' ' < "$work/chunk" > "$work/chunk.flat"; mv "$work/chunk.flat" "$work/chunk"; fi
  : > "$2"
  for ((i = 0; i < $1; ++i)); do cat "$work/chunk" >> "$2"; done
  rm -f "$work/chunk"
}

generateInputs() {
  mkdir -p "$work/small" "$work/full"
  makeComponents rotor 3 1 "$work/small/ExistingRotorSettings26.txt"
  makeComponents reflector 1 2 "$work/small/ExistingReflectorSettings26.txt"
  makeComponents plugboard 1 3 "$work/small/ExistingPlugBoardSettings26.txt"
  printf '0,0,0,1,2,0\n' > "$work/small/initalSettings26.txt"
  makeText 64 "$work/small/text.txt"
  makeText 256 "$work/small/flat.txt" flat

  makeComponents rotor 100000 11 "$work/full/ExistingRotorSettings26.txt"
  makeComponents reflector 100000 12 "$work/full/ExistingReflectorSettings26.txt"
  makeComponents plugboard 100000 13 "$work/full/ExistingPlugBoardSettings26.txt"
  makeRegistry 1048575 100000 14 "$work/full/initalSettings26.txt"
  touch "$work/complete"
}
if [[ ! -e "$work/complete" ]]; then
  echo "generating inputs in $work ..."
  generateInputs
fi
storeFiles=(ExistingRotorSettings26.txt ExistingReflectorSettings26.txt
            ExistingPlugBoardSettings26.txt initalSettings26.txt)

# ---- timing ---------------------------------------------------------------------------------

# Runs each of the given commands `runs` times in `dir`, in turns (so that a change in the load
# of the machine meets all of them alike), each with standard input from its file and standard
# output to /dev/null, then prints for each the median wall time, the largest peak resident
# memory and its ratio to the first command.
compare() {  # dir {label stdinFile shellCommand}...
  local dir="$1"
  shift
  local labels=() inputs=() commands=() count=0
  while (($# > 0)); do
    labels+=("$1") inputs+=("$2") commands+=("$3")
    shift 3
    count=$((count + 1))
  done
  local round i start end rss
  local -a times peaks
  for ((i = 0; i < count; ++i)); do times[i]="" peaks[i]=0; done
  for ((round = 0; round < runs; ++round)); do
    for ((i = 0; i < count; ++i)); do
      start=$(date +%s%N)
      (cd "$dir" && /usr/bin/time -f '%M' -o "$work/rss" sh -c "${commands[i]}" \
        < "${inputs[i]}" > /dev/null 2> "$work/stderr") ||
        { echo "failed: ${commands[i]}" >&2; cat "$work/stderr" >&2; exit 1; }
      end=$(date +%s%N)
      times[i]+="$((end - start)) "
      rss=$(tail -n 1 "$work/rss")
      ((rss > peaks[i])) && peaks[i]=$rss
    done
  done
  local first=""
  for ((i = 0; i < count; ++i)); do
    local seconds
    seconds=$(printf '%s\n' ${times[i]} | sort -n |
      awk -v n="$runs" '{ t[NR] = $1 } END { printf "%.4f", t[int((n + 1) / 2)] / 1e9 }')
    [[ -z "$first" ]] && first=$seconds
    # /usr/bin/time runs the command through sh: the peak is that of the largest process, the
    # measured program's.
    awk -v label="${labels[i]}" -v s="$seconds" -v k="${peaks[i]}" -v f="$first" -v i="$i" \
      -v name="${labels[0]}" 'BEGIN {
        printf "  %-36s %8.4f s  peak %6.1f MiB", label, s, k / 1024
        if (i > 0) printf "  ratio %.2f to %s", s / f, name
        printf "\n"
      }'
  done
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)"
echo "runs per command: $runs, in turns (median wall time)"
cat "$work"/small/*.txt "$work"/full/*.txt > /dev/null  # into the page cache

printf '2\n0\n4\ntext.txt\nout.txt\n1\n' > "$work/text.in"
printf '2\n0\n4\nflat.txt\nout.txt\n1\n' > "$work/flat.in"
printf '1\n' > "$work/random.in"
printf '2\nFFFF0\n' > "$work/specific.in"

# The enciphered file has the input's size, one byte more when the input's last line has no line end.
checkOutput() {  # inputName
  local in out
  in=$(stat -c %s "$work/small/$1")
  out=$(stat -c %s "$work/small/out.txt")
  if ((out != in && out != in + 1)); then
    echo "vexilo wrote $out bytes for the $in of $1" >&2
    exit 1
  fi
}

echo "file mode, 64 MiB of text with line ends:"
compare "$work/small" \
  "tr a-zA-Z b-zab-za" /dev/null "tr a-zA-Z b-zab-za < text.txt > tr.txt" \
  "vexilo file mode" "$work/text.in" "'$vexilo'"
checkOutput text.txt
echo "file mode, 256 MiB of text without a line end:"
compare "$work/small" \
  "tr a-zA-Z b-zab-za" /dev/null "tr a-zA-Z b-zab-za < flat.txt > tr.txt" \
  "vexilo file mode" "$work/flat.in" "'$vexilo'"
checkOutput flat.txt
rm -f "$work/small/out.txt" "$work/small/tr.txt"

echo "start-up to the mode menu, 1048575 settings and 100000 components of each kind:"
compare "$work/full" \
  "cat of the four store files" /dev/null "cat ${storeFiles[*]}" \
  "vexilo, random setting" "$work/random.in" "'$vexilo'" \
  "vexilo, setting FFFF0" "$work/specific.in" "'$vexilo'"
