#!/usr/bin/env bash
# Sets everything up, builds the library and runs the main job.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build/normal -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIZ_WERROR=ON
cmake --build build/normal -j "$(nproc 2>/dev/null || echo 2)"
if [ -x build/normal/tools/tiz ]; then
  build/normal/tools/tiz demo "$@"
else
  build/normal/examples/tiz_example
fi
