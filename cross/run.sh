#!/usr/bin/env bash
# Builds the program and its tests with Debian's cross compilers and runs them under qemu-user:
# on aarch64 and s390x (big-endian) the whole suite, on armhf and i686 the core tests (the text
# loops among them) and the end-to-end sessions (the built vexilo driven with scripted input, its
# output compared byte for byte). CMake runs every program of the target through the emulator
# that cmake/toolchains names.
#
#   cross/run.sh [--install] [aarch64|s390x|armhf|i686]...   (all four when none is named)
#
# When run as root, installs what is missing first (cross compilers, qemu-user, the target's
# GoogleTest through dpkg --add-architecture); --install does only that.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A triple=([aarch64]=aarch64-linux-gnu [s390x]=s390x-linux-gnu
                   [armhf]=arm-linux-gnueabihf [i686]=i686-linux-gnu)
declare -A debian=([aarch64]=arm64 [s390x]=s390x [armhf]=armhf [i686]=i386)
install_only=false
if [[ "${1:-}" == --install ]]; then install_only=true; shift; fi
targets=("$@")
((${#targets[@]} > 0)) || targets=(aarch64 s390x armhf i686)

packages=(cmake make qemu-user)
for target in "${targets[@]}"; do
  [[ -n "${triple[$target]:-}" ]] || { echo "cross/run.sh: unknown target $target" >&2; exit 2; }
  packages+=("g++-${triple[$target]}" "libgtest-dev:${debian[$target]}"
             "libgmock-dev:${debian[$target]}")
done
# Foreign architectures are added only when one of their packages is missing.
for target in "${targets[@]}"; do
  if ! dpkg-query -W -f='${Status}' "libgtest-dev:${debian[$target]}" 2>/dev/null |
       grep -q 'install ok installed' && ((EUID == 0)); then
    dpkg --print-foreign-architectures | grep -qx "${debian[$target]}" ||
      dpkg --add-architecture "${debian[$target]}"
  fi
done
.ci/install-packages "${packages[@]}"
$install_only && exit 0

for target in "${targets[@]}"; do
  build="build-cross/$target"
  start=$SECONDS
  echo "== $target: cross build and tests under qemu-user"
  cmake -S . -B "$build" --toolchain "cmake/toolchains/${triple[$target]}.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEXILO_WARNINGS_AS_ERRORS=ON >/dev/null
  case "$target" in
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
