# Shared by the cross toolchain files: Debian's cross compiler for VEXILO_TRIPLE, and qemu-user as
# the emulator that runs what the build makes (test discovery, ctest, the program the tests start).
#
# The emulator is given the cross C library (-L /usr/TRIPLE) and, first on the library path, the
# same directory: the cross loader would otherwise also search the host's loader cache, and once a
# multiarch libc6 of the target (or the 32-bit compat libc6-i386) is installed it loads that
# build of the C library beside itself, and the program hangs in its first pthread_create.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${VEXILO_TRIPLE}-g++)

find_program(VEXILO_QEMU ${VEXILO_QEMU_NAME} REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${VEXILO_QEMU} -L /usr/${VEXILO_TRIPLE} -E LD_LIBRARY_PATH=/usr/${VEXILO_TRIPLE}/lib)
