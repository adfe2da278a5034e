# SPDX-License-Identifier: MIT
# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64), and runs what
# was built under Wine (wine64): tests work from a Linux shell as on Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX-threads flavour: its standard library has std::thread and std::mutex.
set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) goes into each module, so the DLL and
# the programs run without MinGW's DLLs beside them, as a host on another toolchain would load it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# The programs built run under Wine, in a prefix of the build's own. Wine shows the build machine's
# file system as drive Z:, which tests prepend to the paths they are given at build time.
find_program(REUSEBLOCKS_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(REUSEBLOCKS_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        /bin/sh ${CMAKE_CURRENT_LIST_DIR}/run_under_wine.sh ${REUSEBLOCKS_WINE}
        ${CMAKE_BINARY_DIR}/wineprefix)
    set(REUSEBLOCKS_TEST_PATH_PREFIX "Z:")
endif()
