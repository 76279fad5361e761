#!/bin/sh
# Runs the README's scripting example, the first "console" block under "## Scripting", as the
# README shows it: its lines "$ COMMAND" as one script of the building machine's shell, in an empty
# temporary directory, with `vexilo` standing for COMMAND (the built program, behind the emulator
# of a cross build: qemu-user, or Wine for the Windows build), and compares what the script writes,
# standard error in its place, with the block's other lines.
#
#   sh tests/packaging/readme_script.sh README.md COMMAND...
set -eu
readme=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk -v script="$work/script" -v shown="$work/shown" '
  /^## Scripting/ { section = 1; next }
  section && /^```console$/ { block = 1; next }
  block && /^```$/ { exit }
  block && /^\$ / { print substr($0, 3) > script; next }
  block { print > shown }
' "$readme"
[ -s "$work/script" ] || { echo "no scripting example in $readme" >&2; exit 1; }
touch "$work/shown"

# `vexilo` on the script's path: a program that starts COMMAND with the script's arguments.
mkdir "$work/bin"
{
  printf '#!/bin/sh\nexec'
  for word in "$@"; do printf " '%s'" "$word"; done
  printf ' "$@"\n'
} > "$work/bin/vexilo"
chmod +x "$work/bin/vexilo"

mkdir "$work/tmp"
(cd "$work/tmp" && PATH="$work/bin:$PATH" TMPDIR="$work/tmp" sh "$work/script") > "$work/written" 2>&1
diff -u "$work/shown" "$work/written"
