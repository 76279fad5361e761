# Cross build for 32-bit ARM, hard float (armhf): Debian's g++-arm-linux-gnueabihf, qemu-arm.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(VEXILO_TRIPLE arm-linux-gnueabihf)
set(VEXILO_QEMU_NAME qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/qemu-user.cmake)
