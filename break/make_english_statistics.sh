#!/usr/bin/env bash
# Makes break/english_quadgrams.txt, the English statistics of vexilo-break: how often each group
# of four letters stands in "The Devil's Dictionary" by Ambrose Bierce (1911, in the public domain),
# as Debian's package dict-devil ships it in /usr/share/dictd/devil.dict.dz. Letters are folded to
# lower case and everything else is dropped, so groups run across words, as the program scores
# them. One group a line, its four letters then its count ("tion843"), the most frequent first.
#
#   break/make_english_statistics.sh
#
# Takes the package's file from an installed dict-devil, or else fetches the package with
# `apt-get download` (no install) into a temporary directory. Needs awk and gzip.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
source=/usr/share/dictd/devil.dict.dz
if [[ ! -r "$source" ]]; then
  work="$(mktemp -d "${TMPDIR:-/tmp}/vexilo-english.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get download dict-devil > /dev/null && dpkg -x dict-devil_*.deb unpacked)
  source="$work/unpacked/usr/share/dictd/devil.dict.dz"
fi
# A .dz file is a gzip file with an index in its header.
gzip -dc "$source" | tr 'A-Z' 'a-z' | tr -cd 'a-z' |
  awk '{ n = length($0); for (i = 1; i <= n - 3; ++i) count[substr($0, i, 4)]++ }
       END { for (group in count) print group, count[group] }' |
  LC_ALL=C sort -k2,2nr -k1,1 | tr -d ' ' > "$root/break/english_quadgrams.txt"
