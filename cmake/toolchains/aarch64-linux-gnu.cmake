# Cross build for 64-bit ARM with Debian's g++-aarch64-linux-gnu, run under qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(VEXILO_TRIPLE aarch64-linux-gnu)
set(VEXILO_QEMU_NAME qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/qemu-user.cmake)
