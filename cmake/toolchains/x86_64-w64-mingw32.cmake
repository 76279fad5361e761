# Cross build for 64-bit Windows (Windows 10 and later) with Debian's MinGW-w64 compiler of the
# POSIX thread model (g++-mingw-w64-x86-64-posix, whose std::thread and std::mutex work), run
# under Wine: test discovery and ctest start the test programs through it, and they start
# vexilo.exe themselves, with the Windows API.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VEXILO_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXILO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXILO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXILO_TRIPLE}-windres)

# Libraries and headers of the target only, programs of the building machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VEXILO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The API of Windows 10 (0x0A00) and no older one.
#
# GCC keeps the stack of a Windows program aligned to 16 bytes only, yet spills AVX and AVX-512
# registers with the aligned moves (vmovdqa, vmovaps) that fault on an address not aligned to 32
# or 64 bytes (GCC bug 54412): the AVX2 and AVX-512 text loops, compiled through target
# attributes, would crash at random. The assembler writes every aligned vector move as the
# unaligned one (binutils 2.38 and later), which is as fast on aligned data.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0A00 -Wa,-muse-unaligned-vector-move")

# The C++ library, the thread library and the compiler's runtime linked in: vexilo.exe and the
# test programs need no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's /usr/bin/wine runs 64-bit programs through wine64 (and says so on standard error
# unless WINEDEBUG is -all, when the 32-bit loader is not installed).
find_program(VEXILO_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXILO_WINE})
