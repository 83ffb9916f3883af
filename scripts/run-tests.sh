#!/usr/bin/env bash
# Sets everything up, then builds and runs every test twice: a normal build
# and an AddressSanitizer + UndefinedBehaviorSanitizer build (leaks checked).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== normal build =="
run_suite build/normal
echo "== sanitizer build (ASan + UBSan) =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/sanitize -DTIZ_SANITIZE=ON -DTIZ_BUILD_BENCH=OFF
