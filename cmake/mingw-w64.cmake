# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model,
# so std::thread and std::mutex work). Programs are linked statically, so
# they run under wine or on a bare Windows without the compiler's DLLs; the
# tests run under wine through the cross-compiling emulator.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(LIVRA_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${LIVRA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LIVRA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${LIVRA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${LIVRA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(LIVRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(LIVRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LIVRA_WINE})
endif()
