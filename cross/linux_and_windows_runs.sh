#!/usr/bin/env bash
# Linux and Windows programs at once on one store, as a folder that both reach over the network
# is shared: the Linux vexilo and vexilo.exe under Wine take turns through the store's lock, so no
# ID is handed out twice. Each round starts in a fresh directory: three Windows runs start
# together, and Linux runs follow one another while any of them is still running; every second
# round they run through links to the store. Afterwards no
# store file holds an ID twice, every run ended by itself with nothing on standard error, and every
# setting a run printed is the registry's line for its ID.
#
#   cross/linux_and_windows_runs.sh LINUX_VEXILO WINDOWS_VEXILO_EXE [ROUNDS]
#
# Wine's environment (WINEPREFIX and the rest) is the caller's.
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
rounds=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

faults=0
fault() { echo "round $round: $*" >&2; faults=$((faults + 1)); }

for ((round = 1; round <= rounds; ++round)); do
  mkdir -p "$work/$round/windows" "$work/$round/linux"
  cd "$work/$round"
  # In every second round the two programs run in directories of their own whose store files are
  # links to the files of this one, not made yet.
  windowsIn=. linuxIn=.
  if ((round % 2 == 0)); then
    windowsIn=windows linuxIn=linux
    for file in ExistingRotorSettings26.txt ExistingReflectorSettings26.txt \
                ExistingPlugBoardSettings26.txt initalSettings26.txt; do
      ln -s "../$file" "windows/$file"
      ln -s "../$file" "linux/$file"
    done
  fi
  windowsRuns=()
  for run in 1 2 3; do
    (cd "$windowsIn" && echo 1 | wine "$windows" >"$work/$round/windows-$run.out" \
       2>"$work/$round/windows-$run.err"
     echo $? >"$work/$round/windows-$run.status") &
    windowsRuns+=($!)
  done
  linuxRuns=0
  while ((linuxRuns < 200)) && kill -0 "${windowsRuns[@]}" 2>/dev/null; do
    linuxRuns=$((linuxRuns + 1))
    status=0
    (cd "$linuxIn" && echo 1 | "$linux") >"linux-$linuxRuns.out" 2>"linux-$linuxRuns.err" ||
      status=$?
    echo "$status" >"linux-$linuxRuns.status"
  done
  wait
  for status in *.status; do
    [[ $(cat "$status") == 0 ]] || fault "${status%.status} ended with status $(cat "$status")"
    [[ ! -s ${status%.status}.err ]] || fault "${status%.status}: $(cat "${status%.status}.err")"
  done
  for file in Existing*.txt initalSettings26.txt; do
    twice=$(tr -d '\r' <"$file" | cut -d, -f1 | sort | uniq -d | tr '\n' ' ')
    [[ -z $twice ]] || fault "$file holds IDs twice: $twice"
  done
  # Each printed setting, "ID R1 R2 R3 REF PB" with the ID as the registry writes it, must be a
  # line of the registry.
  tr -d '\r' <initalSettings26.txt | awk -F, '{ print $1, $3, $4, $5, $6, $2 }' >registry.keys
  for output in *.out; do
    printed=$(awk '/Your Settings/ && !done { getline; getline; sub(/\r$/, "")
      id = $1; sub(/^0+/, "", id); if (id == "") id = "0"; print id, $2, $3, $4, $5, $6; done = 1 }' \
      "$output")
    grep -qxF "$printed" registry.keys || fault "$output printed \"$printed\", which is not stored"
  done
  echo "round $round: $(ls windows-*.out | wc -l) Windows and $linuxRuns Linux runs," \
    "$(wc -l <initalSettings26.txt) settings"
done
((faults == 0)) || { echo "Linux and Windows runs at once: $faults faults" >&2; exit 1; }
echo "Linux and Windows runs at once: $rounds rounds, every ID once"
