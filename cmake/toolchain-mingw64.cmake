# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZENTORY_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${ZENTORY_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENTORY_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENTORY_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENTORY_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ and gcc runtimes and winpthread go into each .exe, so it needs only DLLs that ship with
# Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Programs the build runs (test discovery, ctest) run under wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
