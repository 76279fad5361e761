#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 14, AddressSanitizer and UndefinedBehaviorSanitizer) and runs
# each target named, or every one, from its committed seed corpus for a bounded time; --list names
# them all. Fails on any crash, sanitizer report, leak or timeout; the failing input is kept under
# build-fuzz/artifacts/.
# FUZZ_SECONDS sets the time per target (default 25).
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(component_load_fuzzer registry_fuzzer program_fuzzer)
if [[ ${1:-} == --list ]]; then
  printf '%s\n' "${all_targets[@]}"
  exit 0
fi
targets=("${all_targets[@]}")
if (($# > 0)); then targets=("$@"); fi

seconds="${FUZZ_SECONDS:-25}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The targets change into a temporary directory of their own, so every path they get is absolute.
artifacts="$PWD/build-fuzz/artifacts"
# The targets make and remove store files for every input: in memory that is several times faster.
if [[ -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus, so the committed seeds stay as they are.
  scratch="$PWD/build-fuzz/corpus/$target"
  rm -rf "$scratch"
  mkdir -p "$scratch"
  echo "== fuzzing $target for ${seconds}s"
  if ! ASAN_OPTIONS="halt_on_error=1:detect_leaks=1" \
       UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
       "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
         -max_len=8192 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
         "$scratch" "$PWD/fuzz/corpus/$target" 2>"build-fuzz/$target.log"; then
    tail -n 60 "build-fuzz/$target.log"
    echo "== $target FAILED (input kept under $artifacts)"
    status=1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb|Done [0-9]+ runs' \
    "build-fuzz/$target.log" || true
done
exit "$status"
