#!/bin/sh
# Checks the relative links of every Markdown file in the repository (build directories left
# out): each must lead to a file or directory that exists, and a link's #anchor into a Markdown
# file must name one of its headings, as the heading's anchor on the web (lower case, punctuation
# dropped, blanks as hyphens, -1, -2 after repeats). Links with a scheme (https:, mailto:) are
# not followed; code blocks and code spans hold no links.
#
#   sh docs/check-links.sh [ROOT]      ROOT: the repository, by default the working directory
#
# Writes a line for each broken link and ends with status 1 when there is one. Needs only POSIX
# sh, find and awk.
set -eu
cd "${1:-.}"
tab=$(printf '\t')

# "FILE<tab>TARGET" for every relative link [text](TARGET) and reference "[name]: TARGET".
links() {
  find . -type d \( -name .git -o -name 'build*' \) -prune -o -type f -name '*.md' -print |
    sort | while IFS= read -r file; do
      awk -v file="$file" '
        /^ *(```|~~~)/ { fenced = !fenced; next }
        fenced { next }
        {
          line = $0
          gsub(/`[^`]*`/, "", line)
          if (match(line, /^ *\[[^]]*\]:[ \t]+[^ \t]+/)) {
            target = substr(line, RSTART, RLENGTH); sub(/^[^]]*\]:[ \t]+/, "", target)
            found(target)
          }
          while (match(line, /\]\([^)]*\)/)) {
            target = substr(line, RSTART + 2, RLENGTH - 3)
            line = substr(line, RSTART + RLENGTH)
            sub(/^[ \t]*</, "", target); sub(/[ \t].*$/, "", target); sub(/>$/, "", target)
            found(target)
          }
        }
        function found(target) {
          if (target != "" && target !~ /^[a-zA-Z][a-zA-Z0-9+.-]*:/) print file "\t" target
        }
      ' "$file"
    done
}

# The anchors of the headings of Markdown file $1, one to a line.
anchors() {
  awk '
    /^ *(```|~~~)/ { fenced = !fenced; next }
    fenced || !/^ *#+ / { next }
    {
      slug = tolower($0)
      sub(/^ *#+ +/, "", slug); sub(/ +#* *$/, "", slug)
      gsub(/[^a-z0-9 _-]/, "", slug); gsub(/ /, "-", slug)
      if (slug in seen) print slug "-" seen[slug]++
      else { print slug; seen[slug] = 1 }
    }
  ' "$1"
}

# Each broken link of the list on standard input, as "FILE: broken link TARGET: REASON".
broken_links() {
  while IFS="$tab" read -r file target; do
    path=${target%%#*}
    anchor=
    case $target in *'#'*) anchor=${target#*#} ;; esac
    case $path in
      '') to=$file ;;
      /*) to=.$path ;;
      *) to=${file%/*}/$path ;;
    esac
    if [ ! -e "$to" ]; then
      echo "${file#./}: broken link $target: no such file"
    elif [ -n "$anchor" ] && [ "${to%.md}" != "$to" ] && ! anchors "$to" | grep -qxF -e "$anchor"
    then
      echo "${file#./}: broken link $target: no such heading in ${to#./}"
    fi
  done
}

broken=$(links | broken_links)
[ -z "$broken" ] || { echo "$broken"; exit 1; }
