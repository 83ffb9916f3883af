#!/usr/bin/env bash
# Cross-builds tiz for 32-bit Windows: tiz.dll, the stand-in DLLs, the test
# suites, the tool and the example, all into BUILD_DIR/bin.
#
#   scripts/windows-build.sh [BUILD_DIR [CMAKE_OPTIONS...]]   (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
shift || true

# -O1 keeps the cross-build quick; assertions stay on for the test runs.
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE=-O1 -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
  -DTIZ_BUILD_BENCH=OFF -DTIZ_WERROR=ON "$@" >/dev/null
# The DLLs, the test suites, and the tool and example where tools are on.
# The tool's own tests drive it through POSIX process calls and stay Linux-only.
targets=(tiz tiz_tests tiz_windows_tests)
if grep -q '^TIZ_BUILD_TOOLS:BOOL=ON' "$build/CMakeCache.txt"; then
  targets+=(tiz_tool tiz_example)
fi
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"
