#!/usr/bin/env bash
# Sets everything up, then builds and runs every test:
#   1. a normal build: unit and interface tests, the tool's tests, the
#      install-and-consume check, one brief pass over every benchmark;
#   2. an AddressSanitizer + UndefinedBehaviorSanitizer build (leaks checked);
#   3. the normal suite once more under valgrind memcheck, and a
#      ThreadSanitizer build of the thread stress tests;
#   4. the libFuzzer targets, each for a bounded time (TIZ_FUZZ_SECONDS);
#   5. the Windows builds: the 32-bit DLL's export and import checks, the suites under
#      Wine (32-bit, or the 64-bit variant under wine64 where 32-bit Wine cannot start);
#   6. a gcov build of the suite: line and branch coverage of AttributeStore/;
#   7. the formatting of every C and C++ source (scripts/check-format.sh).
# Every build treats warnings as errors (TIZ_WERROR).
# TIZ_SKIP="valgrind tsan fuzz windows coverage" leaves stages out for a quick local run.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh

jobs=$(nproc 2>/dev/null || echo 2)
# The same sources build five times (normal, sanitizers, valgrind's, TSan,
# fuzzing); a compiler cache keyed on paths relative to the checkout serves
# repeated runs and other checkouts alike.
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
skip=" ${TIZ_SKIP:-} "

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIZ_WERROR=ON "$@"
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== normal build =="
run_suite build/normal

echo "== sanitizer build (ASan + UBSan) =="
(
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  run_suite build/sanitize -DTIZ_SANITIZE=ON -DTIZ_BUILD_BENCH=OFF
)

if [[ $skip != *" valgrind "* ]]; then
  echo "== the suite under valgrind memcheck =="
  # The suite's own operator new must stay in place for its failure injection.
  valgrind --quiet --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    --soname-synonyms=somalloc=nouserintercepts build/normal/tests/tiz_tests --gtest_brief=1
fi

if [[ $skip != *" tsan "* ]]; then
  echo "== thread stress under ThreadSanitizer =="
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIZ_WERROR=ON \
    -DTIZ_TSAN=ON -DTIZ_BUILD_BENCH=OFF -DTIZ_BUILD_TOOLS=OFF
  cmake --build build/tsan -j "$jobs" --target tiz_tests
  TSAN_OPTIONS=halt_on_error=1 build/tsan/tests/tiz_tests --gtest_filter='ThreadStress*:Records*'
fi

if [[ $skip != *" fuzz "* ]]; then
  echo "== fuzzing =="
  TIZ_FUZZ_SECONDS=${TIZ_FUZZ_SECONDS:-45} ./scripts/run-fuzz.sh
fi

if [[ $skip != *" windows "* ]]; then
  echo "== Windows builds, the suites under Wine =="
  ./scripts/run-windows-tests.sh build/windows
fi
if [[ $skip != *" coverage "* ]]; then
  echo "== coverage =="
  ./scripts/coverage.sh
fi
echo "== source formatting =="
./scripts/check-format.sh
echo "== all tests passed =="
