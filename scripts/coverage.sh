#!/usr/bin/env bash
# Builds the Linux suite with gcov instrumentation in build/coverage, runs it
# and prints the line and branch coverage of AttributeStore/.
#   scripts/coverage.sh             the summary, and each file below 100%
#   scripts/coverage.sh --details   also the uncovered lines of every file
# The Windows platform files are left out (they run under Wine, which the
# Linux build does not reach); so are the branches that only exception
# handling adds and those gcov marks on lines without real decisions.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${TIZ_COVERAGE_DIR:-build/coverage}
jobs=$(nproc 2>/dev/null || echo 2)
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi

# Unoptimised, so that every line and branch of the source is one gcov sees;
# the counters are updated atomically, as the thread tests would otherwise
# garble them.
flags="--coverage -fprofile-update=atomic"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTIZ_WERROR=ON -DTIZ_BUILD_BENCH=OFF \
  "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null
cmake --build "$dir" -j "$jobs"
# Counts from an earlier run would inflate this one.
find "$dir" -name '*.gcda' -delete
# The packaging checks only copy and list files; the Debian packages alone
# would cost minutes.
ctest --test-dir "$dir" --output-on-failure -j "$jobs" -E '^debian_packages$'

# gcov runs once, into one JSON file that the reports below read. Only the
# coverage build is searched for counts: other build folders hold Wine
# prefixes whose drive letters lead back to the whole file system.
gcovr --root . --object-directory "$dir" --exclude-directories "$dir/CMakeFiles/[0-9]" \
  --filter 'AttributeStore/' --exclude '.*Win32.*' \
  --exclude-throw-branches --exclude-unreachable-branches -j "$jobs" --json "$dir/coverage.json" \
  "$dir"
report=(gcovr --root . --add-tracefile "$dir/coverage.json")
if [[ ${1:-} == --details ]]; then
  "${report[@]}" --txt
fi
echo "== coverage of AttributeStore/ (files below 100% of lines or branches) =="
"${report[@]}" --csv | awk -F, 'NR > 1 && ($4 < 1 || ($5 > 0 && $7 < 1)) {
  printf "  %-46s lines %6.1f%%  branches %6.1f%%\n", $1, 100 * $4, 100 * $7 }'
"${report[@]}" --print-summary --txt /dev/null | grep -E '^(lines|branches):'
