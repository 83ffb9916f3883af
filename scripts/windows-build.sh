#!/usr/bin/env bash
# Cross-builds tiz for Windows: tiz.dll, the stand-in DLLs, the test suites,
# the tool and the example, all into BUILD_DIR/bin.
#
#   scripts/windows-build.sh [--win64] [BUILD_DIR [CMAKE_OPTIONS...]]
#
# The product's DLL is 32-bit (default BUILD_DIR: build-win). --win64 builds
# the 64-bit variant (default BUILD_DIR: build-win64), which runs the suites
# under 64-bit Wine where the kernel starts no 32-bit programs.
# TIZ_WINDOWS_TARGETS overrides the targets built.
set -euo pipefail
cd "$(dirname "$0")/.."
toolchain=cmake/mingw-i686.cmake
build="build-win"
if [ "${1:-}" = "--win64" ]; then
  toolchain=cmake/mingw-x86_64.cmake
  build="build-win64"
  shift
fi
build=${1:-$build}
shift || true

# ccache, where installed, makes a rebuild of unchanged sources nearly free.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# -O1 keeps the cross-build quick; assertions stay on for the test runs.
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-O1 -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
  -DTIZ_BUILD_BENCH=OFF -DTIZ_WERROR=ON "$@" >/dev/null
# The DLLs, the test suites, and the tool and example where tools are on.
# The tool's own tests drive it through POSIX process calls and stay Linux-only.
if [ -n "${TIZ_WINDOWS_TARGETS:-}" ]; then
  read -r -a targets <<<"$TIZ_WINDOWS_TARGETS"
else
  targets=(tiz tiz_tests tiz_windows_tests)
  if grep -q '^TIZ_BUILD_TOOLS:BOOL=ON' "$build/CMakeCache.txt"; then
    targets+=(tiz_tool tiz_example)
  fi
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
