#!/bin/sh
# Draws docs/signal-path.svg, the path of one letter through the machine, from the program's own
# output, and with --after-one-step docs/signal-path-after-one-step.svg, the path of the same
# letter typed a second time, after rotor 1 has stepped once. The built program runs in a fresh
# temporary directory on a copy of the example store in docs/data/example-store (which the manual
# page's trace uses too), with the answers 2, 0 (setting 0), 2 (descriptive mode), the letter a
# (twice after one step), - and 1 (exit). The wiring table it prints at start and the trace of
# the letter are read back, checked against each other, and drawn. After one step rotor 1's
# columns of the table are those of the rotor turned one place (each letter takes the wire of the
# letter before it, a that of z), and the trace must agree with them.
#
#   sh docs/draw-signal-path.sh [--after-one-step] VEXILO                the SVG to standard output
#   sh docs/draw-signal-path.sh [--after-one-step] VEXILO FILE           the SVG into FILE
#   sh docs/draw-signal-path.sh [--after-one-step] VEXILO --check FILE   status 1 and a diff when
#                                                         FILE is not what the program draws now
#
# VEXILO is the built program, e.g. build/vexilo. Needs only POSIX sh, awk and diff.
set -eu

usage="usage: sh docs/draw-signal-path.sh [--after-one-step] VEXILO [FILE | --check FILE]"
steps=0
if [ "${1:-}" = --after-one-step ]; then steps=1; shift; fi
[ $# -ge 1 ] && [ $# -le 3 ] || { echo "$usage" >&2; exit 2; }
program=$1
check=false
file=
case $# in
  2) file=$2 ;;
  3) [ "$2" = --check ] || { echo "$usage" >&2; exit 2; }; check=true; file=$3 ;;
esac
case $program in /*) ;; *) program=$(pwd)/$program ;; esac
[ -x "$program" ] || { echo "draw-signal-path.sh: $program is not a program" >&2; exit 2; }

store=$(cd "$(dirname "$0")/data/example-store" && pwd)
export LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM

(
  cd "$work"
  cp "$store/ExistingRotorSettings26.txt" "$store/ExistingReflectorSettings26.txt" \
     "$store/ExistingPlugBoardSettings26.txt" "$store/initalSettings26.txt" .
  if [ "$steps" = 1 ]; then letters='a\na'; else letters='a'; fi
  printf "2\\n0\\n2\\n$letters\\n-\\n1\\n" | "$program" > session.txt
) || { echo "draw-signal-path.sh: $program failed" >&2; exit 1; }

awk -v steps="$steps" '
function fail(message) { print "draw-signal-path.sh: " message | "cat >&2"; failed = 1; exit 1 }
function indexOf(letter) { return index(letters, letter) - 1 }
function letterAt(i) { return substr(letters, i + 1, 1) }
function rowY(i) { return top + i * pitch }
# A line from letter `from` of column x1 to letter `to` of column x2, in class `kind`.
function wire(kind, x1, from, x2, to,    shorten) {
  shorten = (x2 > x1) ? gapToLetter : -gapToLetter
  printf "  <line class=\"%s\" x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\"/>\n", kind,
         x1 + shorten, rowY(from), x2 - shorten, rowY(to)
}
# A reflector pair: out of column 4 at `from`, along at x, back in at `to`.
function turn(kind, x, from, to) {
  printf "  <polyline class=\"%s\" points=\"%d,%d %d,%d %d,%d %d,%d\"/>\n", kind,
         column[4] + gapToLetter, rowY(from), x, rowY(from), x, rowY(to),
         column[4] + gapToLetter, rowY(to)
}
function text(x, y, class, content) {
  if (class != "") class = " class=\"" class "\""
  printf "  <text x=\"%d\" y=\"%d\"%s>%s</text>\n", x, y, class, content
}

BEGIN {
  letters = "abcdefghijklmnopqrstuvwxyz"
  headings = "Plugboard Rotor1 Rotor2 Rotor3 Reflector Rotor3R Rotor2R Rotor1R Plugboard"
  labels = "--Plugboard-> --Rotor1-> --Rotor2-> --Rotor3-> --Reflector-> --Rotor3Reversed-> " \
           "--Rotor2Reversed-> --Rotor1Reversed-> --Plugboard->"
  split(labels, label, " ")
  tableRow = -1
}

# The wiring table: a heading, then one row per letter of nine cells "x --> y", one per stage.
tableRow < 0 && !tableRead && $0 ~ /Plugboard +Rotor1/ {
  line = $0; gsub(/ +/, " ", line); sub(/^ /, "", line)
  if (line != headings) fail("unexpected wiring table heading: " $0)
  tableRow = 0; next
}
tableRow >= 0 {
  if (NF != 27) fail("unexpected wiring table row: " $0)
  for (stage = 1; stage <= 9; ++stage) {
    if ($(3 * stage - 2) != letterAt(tableRow) || $(3 * stage - 1) != "-->" ||
        $(3 * stage) !~ /^[a-z]$/) fail("unexpected wiring table row: " $0)
    wiring[stage, tableRow] = indexOf($(3 * stage))
  }
  if (++tableRow == 26) { tableRow = -1; tableRead = 1 }
  next
}

# The trace: "LETTER INDEX --Plugboard-> N --Rotor1-> N ... == encrypted letter LETTER"; after
# one step, the second one.
!traceRead && / --Plugboard-> / && tracesPassed++ == steps {
  for (first = 1; $first != label[1]; ++first) ;
  if (first < 3 || NF != first + 21 ||
      $(first + 18) " " $(first + 19) " " $(first + 20) != "== encrypted letter")
    fail("unexpected trace: " $0)
  input = $(first - 2)
  path[0] = $(first - 1)
  for (stage = 1; stage <= 9; ++stage) {
    if ($(first + 2 * stage - 2) != label[stage]) fail("unexpected trace: " $0)
    path[stage] = $(first + 2 * stage - 1)
  }
  output = $NF
  # The trace as printed, in two lines: up to the reflector, and back.
  for (f = first - 2; f < first + 10; ++f) traceThere = traceThere (f > first - 2 ? " " : "") $f
  for (f = first + 10; f <= NF; ++f) traceBack = traceBack (f > first + 10 ? " " : "") $f
  traceRead = 1
}

END {
  if (failed) exit 1
  if (!tableRead) fail("no wiring table in the program output")
  if (!traceRead) fail("no trace in the program output")
  for (stage = 0; stage <= 9; ++stage) {
    if (path[stage] !~ /^[0-9]+$/ || path[stage] + 0 > 25) fail("trace outside a to z")
    path[stage] += 0
  }
  if (indexOf(input) != path[0] || letterAt(path[9]) != output) fail("trace ends disagree")
  # Rotor 1 after one step: each letter takes the wire of the letter before it, and its reverse
  # column follows.
  if (steps == 1) {
    for (i = 0; i < 26; ++i) start[i] = wiring[2, i]
    for (i = 0; i < 26; ++i) {
      wiring[2, i] = start[(i + 25) % 26]
      wiring[8, wiring[2, i]] = i
    }
  }
  for (stage = 1; stage <= 9; ++stage) {
    if (wiring[stage, path[stage - 1]] != path[stage])
      fail("stage " stage " of the trace disagrees with the wiring table")
  }

  # Five columns of the letters a to z: the letter typed and printed, then the contacts between
  # plugboard and rotor 1, rotors 1 and 2, rotors 2 and 3, rotor 3 and the reflector.
  width = 1000; top = 150; pitch = 22; gapToLetter = 12
  for (c = 0; c <= 4; ++c) column[c] = 100 + 185 * c
  # The letter at each column on the way there (forward) and on the way back.
  for (c = 0; c <= 4; ++c) { forward[c] = path[c]; back[c] = path[9 - c] }
  boxTop = top - 28; boxBottom = rowY(25) + 18; height = boxBottom + 150

  printf "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" " \
         "viewBox=\"0 0 %d %d\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n",
         width, height, width, height
  print "  <!-- Drawn by docs/draw-signal-path.sh from the output of vexilo;" \
        " draw it again, do not edit it. -->"
  when = steps == 1 ? " after one step" : ""
  print "  <title>The path of the letter " input " through setting 0" when ":" \
        " it enciphers to " output "</title>"
  print "  <style>"
  print "    text { font-size: 14px; fill: #222; }"
  print "    .title { font-size: 20px; font-weight: bold; }"
  print "    .name { font-size: 16px; font-weight: bold; text-anchor: middle; }"
  print "    .letter { font-family: DejaVu Sans Mono, monospace; text-anchor: middle; fill: #666; }"
  print "    .on { font-weight: bold; fill: #000; }"
  print "    .middle { text-anchor: middle; }"
  print "    .end { text-anchor: end; }"
  print "    .trace { font-family: DejaVu Sans Mono, monospace; font-size: 12px; }"
  print "    .box { fill: #f3f3f3; stroke: #aaa; }"
  print "    .wire { stroke: #d4d4d4; stroke-width: 1; fill: none; }"
  print "    .forward { stroke: #1f5fbf; stroke-width: 3; fill: none;" \
        " marker-end: url(#forward-arrow); }"
  print "    .back { stroke: #d9480f; stroke-width: 3; fill: none; marker-end: url(#back-arrow); }"
  print "    .forward-turn { stroke: #1f5fbf; stroke-width: 3; fill: none; }"
  print "    .forward-text { fill: #1f5fbf; font-weight: bold; }"
  print "    .back-text { fill: #d9480f; font-weight: bold; }"
  print "    .forward-ring { fill: #dde8fa; stroke: #1f5fbf; stroke-width: 2; }"
  print "    .back-ring { fill: #fde4d8; stroke: #d9480f; stroke-width: 2; }"
  print "  </style>"
  print "  <defs>"
  arrow = "viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"4\" markerHeight=\"4\" " \
          "orient=\"auto\"><path d=\"M0,0 L10,5 L0,10 z\" fill="
  print "    <marker id=\"forward-arrow\" " arrow "\"#1f5fbf\"/></marker>"
  print "    <marker id=\"back-arrow\" " arrow "\"#d9480f\"/></marker>"
  print "  </defs>"
  printf "  <rect width=\"%d\" height=\"%d\" fill=\"#fff\"/>\n", width, height

  if (steps == 1) {
    text(20, 32, "title", "The same letter after one step: " input " goes in, " output \
         " comes out")
    text(20, 58, "", "Setting 0 of the example store after one letter (rotor 1 turned one " \
         "place), drawn from what vexilo prints.")
  } else {
    text(20, 32, "title", "The path of one letter: " input " goes in, " output " comes out")
    text(20, 58, "", "Setting 0 of the example store at its start position, drawn from the " \
         "wiring table and the trace that vexilo prints.")
  }
  printf "  <line class=\"forward\" x1=\"20\" y1=\"82\" x2=\"60\" y2=\"82\"/>\n"
  text(70, 87, "", "there: plugboard, rotors 1, 2, 3, to the reflector")
  printf "  <line class=\"back\" x1=\"470\" y1=\"82\" x2=\"510\" y2=\"82\"/>\n"
  text(520, 87, "", "back: rotors 3, 2, 1, plugboard")
  printf "  <line class=\"wire\" x1=\"780\" y1=\"82\" x2=\"820\" y2=\"82\"/>\n"
  text(830, 87, "", "the other wires")

  # The components as boxes between the columns, the reflector at the right-hand end.
  split("Plugboard|Rotor 1|Rotor 2|Rotor 3", name, "|")
  for (c = 1; c <= 4; ++c) {
    printf "  <rect class=\"box\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" rx=\"6\"/>\n",
           column[c - 1] + 22, boxTop, column[c] - column[c - 1] - 44, boxBottom - boxTop
    text((column[c - 1] + column[c]) / 2, boxTop - 10, "name", name[c])
  }
  reflectorLeft = column[4] + 22; reflectorRight = width - 20
  printf "  <rect class=\"box\" x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" rx=\"6\"/>\n",
         reflectorLeft, boxTop, reflectorRight - reflectorLeft, boxBottom - boxTop
  text((reflectorLeft + reflectorRight) / 2, boxTop - 10, "name", "Reflector")

  # Every wire of every component, faint; the 13 pairs of the reflector side by side.
  for (c = 1; c <= 4; ++c)
    for (i = 0; i < 26; ++i) wire("wire", column[c - 1], i, column[c], wiring[c, i])
  pair = 0
  for (i = 0; i < 26; ++i) {
    if (wiring[5, i] < i) continue
    turnAt[i] = turnAt[wiring[5, i]] = reflectorLeft + 14 + 5 * pair++
    turn("wire", turnAt[i], i, wiring[5, i])
  }

  # The path: there from the letter typed to the reflector, back from it to the letter printed.
  for (c = 1; c <= 4; ++c) wire("forward", column[c - 1], forward[c - 1], column[c], forward[c])
  printf "  <polyline class=\"forward-turn\" points=\"%d,%d %d,%d\"/>\n",
         column[4] + gapToLetter, rowY(forward[4]), turnAt[forward[4]], rowY(forward[4])
  printf "  <polyline class=\"back\" points=\"%d,%d %d,%d %d,%d\"/>\n",
         turnAt[forward[4]], rowY(forward[4]), turnAt[forward[4]], rowY(back[4]),
         column[4] + gapToLetter, rowY(back[4])
  for (c = 4; c >= 1; --c) wire("back", column[c], back[c], column[c - 1], back[c - 1])

  # The letters, those on the path ringed in their colour.
  for (c = 0; c <= 4; ++c) {
    for (i = 0; i < 26; ++i) {
      class = "letter"
      if (i == forward[c] || i == back[c]) {
        printf "  <circle class=\"%s\" cx=\"%d\" cy=\"%d\" r=\"10\"/>\n",
               i == forward[c] ? "forward-ring" : "back-ring", column[c], rowY(i)
        class = "letter on"
      }
      text(column[c], rowY(i) + 5, class, letterAt(i))
    }
  }
  text(column[0] - 16, rowY(forward[0]) + 5, "end forward-text", "typed")
  text(column[0] - 16, rowY(back[0]) + 5, "end back-text", "out")

  # Under each box, what it did to the letter there and back.
  y = boxBottom + 26
  for (c = 1; c <= 4; ++c) {
    x = (column[c - 1] + column[c]) / 2
    text(x, y, "middle forward-text", letterAt(forward[c - 1]) " &#8594; " letterAt(forward[c]))
    text(x, y + 22, "middle back-text", letterAt(back[c - 1]) " &#8592; " letterAt(back[c]))
  }
  printf "  <text x=\"%d\" y=\"%d\" class=\"middle\"><tspan class=\"forward-text\">%s</tspan>" \
         " &#8594; <tspan class=\"back-text\">%s</tspan></text>\n",
         (reflectorLeft + reflectorRight) / 2, y, letterAt(forward[4]), letterAt(back[4])

  # The trace as the program printed it (letters as numbers: a is 0, z is 25).
  y += 62
  text(20, y, "", "The program&#8217;s trace of this letter in descriptive mode " \
       "(a = 0, b = 1, ..., z = 25):")
  text(20, y + 20, "trace", traceThere)
  text(40, y + 38, "trace", traceBack)
  print "</svg>"
}
' "$work/session.txt" > "$work/drawn.svg"

if $check; then
  diff -u "$file" "$work/drawn.svg" >&2 || {
    echo "draw-signal-path.sh: $file is not what the program draws now;" \
         "draw it again with: sh docs/draw-signal-path.sh $1 $file" >&2
    exit 1
  }
elif [ -n "$file" ]; then
  cat "$work/drawn.svg" > "$file"
else
  cat "$work/drawn.svg"
fi
