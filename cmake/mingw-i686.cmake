# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-i686). The POSIX thread model is chosen because the code uses
# std::mutex; everything is linked statically so the DLLs and executables need
# nothing beyond Windows itself.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(TIZ_MINGW_PREFIX i686-w64-mingw32)
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

# Windows programs built here run under Wine (try_run, test discovery).
find_program(TIZ_WINE NAMES wine)
if(TIZ_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TIZ_WINE})
endif()
