#!/usr/bin/env bash
# Builds vexilo four ways and measures file mode in each beside `tr` and `dd bs=128K` (a copy in
# user space: it reads and writes every byte and changes none) on the same files, then start-up
# beside `cat` of the store files; prints median wall times, peak resident memory and ratios.
#
#   bench/run.sh [RUNS]
#
# The four builds: the default preset's flags (RelWithDebInfo, -O2), a Release build with g++
# (-O3), a build with clang++-14 (RelWithDebInfo, -O2) and the default preset's flags with the
# portable loop alone (-DVEXILO_VECTOR_LOOPS=OFF, what a processor without a vector loop runs),
# each of the program alone, in build-bench/ (or the directory VEXILO_BENCH_BUILDS names). RUNS is
# the number of rounds (default 7, at least 5): each round runs every command once, in turns
# (A B C C B A ...), so that a change in the load of the machine meets all of them alike; a ratio
# is the median of the rounds' ratios. Every run writes a new output file: the last run's output
# is removed after it, outside the times, so that no run pays for truncating another's. The inputs
# (about 420 MiB) are generated into a temporary directory, which is removed at the end; when
# VEXILO_BENCH_INPUTS names a directory, they are generated there once and kept for later runs.
# Needs cmake, g++, clang++-14 and /usr/bin/time (Debian package time).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-7}"
((runs >= 5)) || { echo "RUNS must be 5 or more: a median of fewer says little" >&2; exit 1; }
builds="${VEXILO_BENCH_BUILDS:-$root/build-bench}"
[[ -x /usr/bin/time ]] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }
peakLimitKiB=$((16 * 1024))

if [[ -n "${VEXILO_BENCH_INPUTS:-}" ]]; then
  mkdir -p "$VEXILO_BENCH_INPUTS"
  work="$(cd "$VEXILO_BENCH_INPUTS" && pwd)"
else
  work="$(mktemp -d "${TMPDIR:-/tmp}/vexilo-bench.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
fi

# ---- builds ---------------------------------------------------------------------------------

buildNames=(default release clang portable)
buildLabels=("default preset, g++ -O2" "Release, g++ -O3" "clang++-14 -O2" "portable loop only")
buildFlags=("-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_WARNINGS_AS_ERRORS=ON"
            "-DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++"
            "-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14"
            "-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_WARNINGS_AS_ERRORS=ON -DVEXILO_VECTOR_LOOPS=OFF")
mkdir -p "$builds"
for ((b = 0; b < ${#buildNames[@]}; ++b)); do
  dir="$builds/${buildNames[b]}"
  echo "building vexilo (${buildLabels[b]}) in $dir ..."
  # shellcheck disable=SC2086
  cmake -S "$root" -B "$dir" ${buildFlags[b]} -DVEXILO_BUILD_TESTS=OFF > "$dir.log" 2>&1 &&
    cmake --build "$dir" --target vexilo -j2 >> "$dir.log" 2>&1 ||
    { echo "build failed, see $dir.log" >&2; exit 1; }
done

# ---- inputs ---------------------------------------------------------------------------------

# makeComponents and makeRegistry: the store files, as bench/break.sh makes them too.
source "$root/bench/store_inputs.sh"

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

# Runs each of the given commands `runs` times in `dir`, in turns, each with standard input from
# its file and standard output to /dev/null, then prints for each the median wall time and the
# largest peak resident memory, and for each command after the first `yardsticks` (1 or 2) its
# ratios to them.
compare() {  # dir yardsticks {label stdinFile shellCommand}...
  local dir="$1" yardsticks="$2"
  shift 2
  local labels=() inputs=() commands=() count=0
  while (($# > 0)); do
    labels+=("$1") inputs+=("$2") commands+=("$3")
    shift 3
    count=$((count + 1))
  done
  local round i start end rss
  local -a peaks
  for ((i = 0; i < count; ++i)); do peaks[i]=0; done
  : > "$work/times"
  local turn
  local -a took
  for ((round = 0; round < runs; ++round)); do
    # Rounds alternate in direction (A B C, then C B A): what a run leaves to the next (caches
    # warm for one program, the pages of a removed output still being freed) then falls on every
    # command alike. In one direction only, the same program run three times in a row took a
    # tenth less time on its third run than on its first.
    for ((turn = 0; turn < count; ++turn)); do
      i=$((round % 2 == 0 ? turn : count - 1 - turn))
      start=$(date +%s%N)
      (cd "$dir" && /usr/bin/time -f '%M' -o "$work/rss" sh -c "${commands[i]}" \
        < "${inputs[i]}" > /dev/null 2> "$work/stderr") ||
        { echo "failed: ${commands[i]}" >&2; cat "$work/stderr" >&2; exit 1; }
      end=$(date +%s%N)
      took[i]=$((end - start))
      rss=$(tail -n 1 "$work/rss")
      ((rss > peaks[i])) && peaks[i]=$rss
      rm -f "$dir"/*.out
    done
    echo "${took[*]}" >> "$work/times"
  done
  for ((i = 0; i < count; ++i)); do
    # /usr/bin/time runs the command through sh: the peak is that of the largest process, the
    # measured program's.
    awk -v i="$((i + 1))" -v label="${labels[i]}" -v k="${peaks[i]}" -v limit="$peakLimitKiB" \
      -v yardsticks="$yardsticks" -v first="${labels[0]%% *}" -v second="${labels[1]%% *}" '
      function median(values, n,   j, m, t) {
        for (j = 1; j <= n; ++j) for (m = j + 1; m <= n; ++m)
          if (values[m] < values[j]) { t = values[j]; values[j] = values[m]; values[m] = t }
        return n % 2 ? values[(n + 1) / 2] : (values[n / 2] + values[n / 2 + 1]) / 2
      }
      { own[NR] = $i / 1e9; toFirst[NR] = $i / $1; toSecond[NR] = $i / $2 }
      END {
        printf "  %-34s %8.4f s  peak %5.1f MiB", label, median(own, NR), k / 1024
        if (i > yardsticks) printf "  %5.2f x %s", median(toFirst, NR), first
        if (i > yardsticks && yardsticks > 1) printf "  %5.2f x %s", median(toSecond, NR), second
        if (i > yardsticks && k > limit) printf "  (peak over %d MiB)", limit / 1024
        printf "\n"
      }' "$work/times"
  done
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)," \
  "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)"
echo "rounds: $runs, each command once per round (median wall time, median of the rounds' ratios)"
cat "$work"/small/*.txt "$work"/full/*.txt > /dev/null  # into the page cache

printf '2\n0\n4\ntext.txt\nvexilo.out\n1\n' > "$work/text.in"
printf '2\n0\n4\nflat.txt\nvexilo.out\n1\n' > "$work/flat.in"
printf '1\n' > "$work/random.in"
printf '2\nFFFF0\n' > "$work/specific.in"

# The enciphered file has the input's size, one byte more when the input's last line has no line end.
checkOutput() {  # inputName
  local in out
  (cd "$work/small" && "$builds/default/vexilo" < "$work/${1%.txt}.in" > /dev/null)
  in=$(stat -c %s "$work/small/$1")
  out=$(stat -c %s "$work/small/vexilo.out")
  rm -f "$work/small/vexilo.out"
  if ((out != in && out != in + 1)); then
    echo "vexilo wrote $out bytes for the $in of $1" >&2
    exit 1
  fi
}

fileMode() {  # inputName
  local args=("tr a-zA-Z b-zab-za" /dev/null "tr a-zA-Z b-zab-za < $1 > tr.out"
              "dd bs=128K" /dev/null "dd bs=128K if=$1 of=dd.out status=none")
  for ((b = 0; b < ${#buildNames[@]}; ++b)); do
    args+=("vexilo, ${buildLabels[b]}" "$work/${1%.txt}.in" "'$builds/${buildNames[b]}/vexilo'")
  done
  compare "$work/small" 2 "${args[@]}"
  checkOutput "$1"
}
echo "file mode, 64 MiB of text with line ends:"
fileMode text.txt
echo "file mode, 256 MiB of text without a line end:"
fileMode flat.txt

echo "start-up to the mode menu, 1048575 settings and 100000 components of each kind:"
vexilo="$builds/default/vexilo"
compare "$work/full" 1 \
  "cat of the four store files" /dev/null "cat ${storeFiles[*]}" \
  "vexilo, random setting" "$work/random.in" "'$vexilo'" \
  "vexilo, setting FFFF0" "$work/specific.in" "'$vexilo'"
