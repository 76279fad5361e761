# Cross build for IBM Z (s390x, big-endian): Debian's g++-s390x-linux-gnu, under qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(VEXILO_TRIPLE s390x-linux-gnu)
set(VEXILO_QEMU_NAME qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/qemu-user.cmake)
