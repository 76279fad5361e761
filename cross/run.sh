#!/usr/bin/env bash
# Builds the program and its tests with Debian's cross compilers and runs them under qemu-user:
# on aarch64 and s390x (big-endian) the whole suite, on armhf and i686 the core tests (the text
# loops among them) and the end-to-end sessions (the built vexilo driven with scripted input, its
# output compared byte for byte). For windows (64-bit, MinGW-w64) it runs the core tests, the
# sessions, the system tests, vexilo-break's tests and the ZIP package's check under Wine, in a
# Wine prefix of its own in the build directory, and then Linux and Windows runs at once on one
# store (cross/linux_and_windows_runs.sh). CMake runs every program of the target through the
# emulator that cmake/toolchains names.
#
#   cross/run.sh [--install] [aarch64|s390x|armhf|i686|windows]...   (all five when none is named)
#
# When run as root, installs what is missing first (cross compilers, qemu-user, the target's
# GoogleTest through dpkg --add-architecture; MinGW-w64, Wine and GoogleTest's sources for
# windows); --install does only that.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A triple=([aarch64]=aarch64-linux-gnu [s390x]=s390x-linux-gnu
                   [armhf]=arm-linux-gnueabihf [i686]=i686-linux-gnu [windows]=x86_64-w64-mingw32)
declare -A debian=([aarch64]=arm64 [s390x]=s390x [armhf]=armhf [i686]=i386)
install_only=false
if [[ "${1:-}" == --install ]]; then install_only=true; shift; fi
targets=("$@")
((${#targets[@]} > 0)) || targets=(aarch64 s390x armhf i686 windows)

packages=(cmake make)
for target in "${targets[@]}"; do
  [[ -n "${triple[$target]:-}" ]] || { echo "cross/run.sh: unknown target $target" >&2; exit 2; }
  if [[ $target == windows ]]; then
    # GoogleTest is built from Debian's sources; groff formats the package's manual as text,
    # mandoc as a page, and pandoc makes the pages of the Markdown documents.
    packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest groff-base mandoc pandoc)
    continue
  fi
  packages+=(qemu-user "g++-${triple[$target]}" "libgtest-dev:${debian[$target]}"
             "libgmock-dev:${debian[$target]}")
done
# Foreign architectures are added only when one of their packages is missing.
for target in "${targets[@]}"; do
  [[ $target != windows ]] || continue
  if ! dpkg-query -W -f='${Status}' "libgtest-dev:${debian[$target]}" 2>/dev/null |
       grep -q 'install ok installed' && ((EUID == 0)); then
    dpkg --print-foreign-architectures | grep -qx "${debian[$target]}" ||
      dpkg --add-architecture "${debian[$target]}"
  fi
done
.ci/install-packages "${packages[@]}"
$install_only && exit 0

# Builds and runs the Windows target's tests in BUILD under Wine. The stage owns its Wine prefix,
# made once in the build directory, and one wineserver, kept running (-p) from before the build,
# with Wine's services started on /dev/null: the services that the first program of a new server
# starts keep its standard output and error, and would hold each test's pipes open for two
# seconds after the test. Whatever the outcome, the server and every Wine program go at the end.
windows_tests() {
  local build="$1"
  # -all: no diagnostics of Wine's (nor its note that the 32-bit loader is missing) among the
  # programs' output. No Mono or Gecko: wineboot would offer to fetch them.
  export WINEPREFIX="$PWD/$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  # A server left by a run cut short would refuse the new one.
  wineserver -k 2>/dev/null || true
  wineserver -p
  trap 'wineserver -k; wineserver -w' EXIT
  if [[ -f "$WINEPREFIX/system.reg" ]]; then
    wineboot </dev/null >/dev/null 2>&1
  else
    echo "making the Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
  fi
  # Building the test programs lists their tests under Wine.
  cmake --build "$build" -j2 --target vexilo vexilo-break vexilo_core_tests vexilo_store_tests \
    vexilo_settings_tests vexilo_e2e_tests vexilo_system_tests vexilo_break_tests
  ctest --test-dir "$build" -j2 --output-on-failure -E '_NOT_BUILT$'
  # Linux and Windows programs at once on one store: the program built for this machine beside
  # vexilo.exe, taking turns through the store's lock.
  cmake --preset program >/dev/null
  cmake --build --preset program
  cross/linux_and_windows_runs.sh build-program/vexilo "$build/vexilo.exe" 5
}

for target in "${targets[@]}"; do
  build="build-cross/$target"
  start=$SECONDS
  if [[ $target == windows ]]; then
    echo "== $target: cross build and tests under Wine"
  else
    echo "== $target: cross build and tests under qemu-user"
  fi
  cmake -S . -B "$build" --toolchain "cmake/toolchains/${triple[$target]}.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_WARNINGS_AS_ERRORS=ON >/dev/null
  case "$target" in
    windows)
      (windows_tests "$build") ;;
    aarch64 | s390x)
      cmake --build "$build" -j2
      # The package is built and checked by the native suite: dpkg-shlibdeps finds a cross-built
      # program's libraries only through the target's multiarch packages (libc6:arm64 and more).
      ctest --test-dir "$build" -j2 --output-on-failure -E '^Package' ;;
    *)
      # The text loops and the sessions: the test programs not built are left out, and the package.
      cmake --build "$build" -j2 --target vexilo vexilo_core_tests vexilo_e2e_tests
      ctest --test-dir "$build" -j2 --output-on-failure -E '_NOT_BUILT$|^Package' ;;
  esac
  echo "$target: $((SECONDS - start)) s"
done
