# Cross-compiles the Windows build with MinGW-w64 for the processor that the including toolchain
# file names in VINTREL_MINGW_PREFIX. The win32 thread model: the posix one links winpthread,
# which imports GetTickCount64, and Windows XP refuses to start a program that imports it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VINTREL_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VINTREL_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${VINTREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VINTREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests of this tree run through Wine; CMakeLists.txt points this at a wrapper
# that gives every build tree its own Wine prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
