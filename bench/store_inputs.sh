# The store files of the benchmarks, sourced by bench/run.sh and bench/break.sh: components and
# settings drawn by awk from fixed seeds, so that every run measures the same store.

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
