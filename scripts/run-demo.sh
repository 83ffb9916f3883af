#!/usr/bin/env bash
# Sets up what the demo needs, builds the library, its stand-ins for the
# product's libraries and the tiz tool (nothing else: the test command builds
# the tests, benchmarks and fuzz targets), and runs the main job. The build
# lives in build/demo, apart from the test command's build/normal, whose
# options it would otherwise change.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --demo
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=Release -DTIZ_WERROR=ON \
  -DTIZ_BUILD_TESTS=OFF -DTIZ_BUILD_BENCH=OFF -DTIZ_FUZZ=OFF
jobs=$(nproc 2>/dev/null || echo 2)
# The tool is left out of a build without its command-line and JSON
# libraries; the C example runs then instead.
if ninja -C build/demo -t query tiz_tool >/dev/null 2>&1; then
  cmake --build build/demo -j "$jobs" --target tiz tiz_tool
  build/demo/tools/tiz demo "$@"
else
  cmake --build build/demo -j "$jobs" --target tiz tiz_example
  build/demo/examples/tiz_example
fi
