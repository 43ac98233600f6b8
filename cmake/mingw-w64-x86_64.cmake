# Cross-builds the savers for 64-bit Windows with Debian's MinGW-w64 (the
# posix thread model, so that std::thread and std::mutex are there), and runs
# what it builds (tests, the art generators' outputs are made by a native
# build) under Wine. The dependencies Debian has no MinGW build of are found
# in the prefix scripts/windows.sh builds them into: SAVERS_WINDOWS_PREFIX in
# the environment, else ~/.cache/savers-windows/prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SAVERS_MINGW_TRIPLE x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${SAVERS_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${SAVERS_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${SAVERS_MINGW_TRIPLE}-windres REQUIRED)

if(DEFINED ENV{SAVERS_WINDOWS_PREFIX})
  set(SAVERS_WINDOWS_PREFIX $ENV{SAVERS_WINDOWS_PREFIX})
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(SAVERS_WINDOWS_PREFIX $ENV{XDG_CACHE_HOME}/savers-windows/prefix)
else()
  set(SAVERS_WINDOWS_PREFIX $ENV{HOME}/.cache/savers-windows/prefix)
endif()

# Headers and libraries come from the MinGW sysroot and our prefix only, never
# from the build machine; programs (pkg-config, python) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${SAVERS_MINGW_TRIPLE} ${SAVERS_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} ${SAVERS_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# One .exe with no DLLs beside it: the C++ runtime, libgcc and winpthreads
# are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows only promises 16-byte stack alignment and GCC does not realign the
# stack for 32- and 64-byte vectors, so an AVX spill with an aligned move can
# fault; the assembler writes every vector move as an unaligned one, which
# costs nothing on an aligned address.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

find_program(SAVERS_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(SAVERS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SAVERS_WINE})
endif()
