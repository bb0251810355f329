# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model,
# so std::thread and std::mutex work); the tests run under wine through the
# cross-compiling emulator. Without Qt the programs are linked statically, so
# they run without the compiler's DLLs; with Qt for mingw (LIVRA_QT_MINGW, its
# prefix) they share the compiler's runtime DLLs with Qt's own.
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

set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LIVRA_QT_MINGW)
if(LIVRA_QT_MINGW)
  list(APPEND CMAKE_FIND_ROOT_PATH ${LIVRA_QT_MINGW})
  list(APPEND CMAKE_PREFIX_PATH ${LIVRA_QT_MINGW})
  # Qt's build tools (moc) are the build machine's, of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
else()
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

find_program(LIVRA_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(LIVRA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${LIVRA_WINE})
endif()
