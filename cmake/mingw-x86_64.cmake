# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64). The product ships the 32-bit DLL; this variant runs
# the Windows suites under 64-bit Wine on machines whose kernel starts no
# 32-bit programs. Same choices as cmake/mingw-i686.cmake: the POSIX thread
# model and static linking.
#
#   cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(TIZ_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TIZ_MINGW_PREFIX}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TIZ_MINGW_PREFIX}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TIZ_MINGW_PREFIX}-windres)
find_program(CMAKE_DLLTOOL NAMES ${TIZ_MINGW_PREFIX}-dlltool REQUIRED)
find_program(TIZ_MINGW_OBJDUMP NAMES ${TIZ_MINGW_PREFIX}-objdump REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TIZ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Windows programs built here run under 64-bit Wine (try_run, test
# discovery); Debian installs its loader outside PATH.
find_program(TIZ_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(TIZ_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TIZ_WINE64})
endif()
