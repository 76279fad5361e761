# Cross build for 32-bit x86 (i386) with Debian's g++-i686-linux-gnu, run under qemu-i386.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VEXILO_TRIPLE i686-linux-gnu)
set(VEXILO_QEMU_NAME qemu-i386)
# GoogleTest and the other multiarch packages of the target are under lib/i386-linux-gnu.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/qemu-user.cmake)
