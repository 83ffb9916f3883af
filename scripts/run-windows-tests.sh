#!/usr/bin/env bash
# The Windows builds and their tests, on Linux: installs the MinGW-w64 cross
# compilers and Wine, cross-builds the product's 32-bit tiz.dll and the
# stand-in DLLs, checks what tiz.dll exports and imports, and runs the test
# suites under Wine.
#
#   scripts/run-windows-tests.sh [BUILD_DIR]     (default: build-win)
#
# The suites run in the 32-bit build under 32-bit Wine. A kernel without
# 32-bit support starts no 32-bit program; there the 64-bit variant
# (BUILD_DIR64) is cross-built and the same suites run under 64-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-win}
build64=${build%/}64

./scripts/windows-setup.sh

passed=0
failed=0
skipped=0
record() {  # record RC NAME
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAILED: $2"
  fi
}

# Which Wine can start here. Wine runs 32-bit programs through the kernel's
# 32-bit support, which some kernels lack ("Exec format error").
wine32=yes
if ! wine_message=$(WINEDEBUG=-all wine --version 2>&1); then
  wine32=no
  echo "windows: 32-bit Wine cannot start here: ${wine_message##*: }"
fi
wine64=no
if [ "$wine32" = no ] && [ -x /usr/lib/wine/wine64 ] &&
  WINEDEBUG=-all /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
  wine64=yes
fi

# The 32-bit build always: it is what the product loads, and its tables are
# checked here. Without 32-bit Wine only what the checks read is built.
echo "== 32-bit Windows cross-build =="
if [ "$wine32" = yes ]; then
  ./scripts/windows-build.sh "$build"
else
  TIZ_WINDOWS_TARGETS="tiz tiz_windows_tests tiz_example" ./scripts/windows-build.sh "$build"
fi
build=$(cd "$build" && pwd)
bin=$build/bin

echo "== tiz.dll exports and imports (32-bit) =="
rc=0; tests/windows/check-exports.sh "$bin/tiz.dll" || rc=$?
record $rc "export table of tiz.dll"
rc=0; tests/windows/check-imports.sh --expect tests/windows/imports.txt "$bin/tiz.dll" || rc=$?
record $rc "import table of tiz.dll"
rc=0; tests/windows/check-imports.sh "$bin"/*.dll "$bin"/*.exe || rc=$?
record $rc "runtime dependencies of the Windows binaries"

if [ "$wine32" = yes ]; then
  variant="32-bit"
elif [ "$wine64" = yes ]; then
  variant="64-bit"
  echo "windows: the suites run in the 64-bit variant under wine64 instead"
  echo "== 64-bit Windows cross-build =="
  ./scripts/windows-build.sh --win64 "$build64"
  build=$(cd "$build64" && pwd)
  bin=$build/bin
  echo "== tiz.dll exports and imports (64-bit) =="
  rc=0
  OBJDUMP=x86_64-w64-mingw32-objdump tests/windows/check-exports.sh --plain "$bin/tiz.dll" || rc=$?
  record $rc "export table of the 64-bit tiz.dll"
  rc=0
  OBJDUMP=x86_64-w64-mingw32-objdump tests/windows/check-imports.sh \
    --expect tests/windows/imports.txt "$bin/tiz.dll" || rc=$?
  record $rc "import table of the 64-bit tiz.dll"
  rc=0
  OBJDUMP=x86_64-w64-mingw32-objdump tests/windows/check-imports.sh "$bin"/*.dll "$bin"/*.exe ||
    rc=$?
  record $rc "runtime dependencies of the 64-bit Windows binaries"
else
  # Neither Wine starts: the runs under Wine are counted as skipped, loudly,
  # rather than reported as failing code.
  echo "windows: no Wine can start here: the suites and programs under Wine are skipped"
  echo "windows: $passed passed, $failed failed, 5 skipped"
  [ "$failed" -eq 0 ]
  exit
fi

# Each suite runs in one Wine process, from a scratch folder of its own.
run_suite() {  # run_suite LABEL EXE [ARGS...]
  local label=$1 exe=$2 log rc=0
  shift 2
  log=$build/wine-$label.log
  echo "== $label under Wine ($variant) =="
  mkdir -p "$build/wine-run"
  (cd "$build/wine-run" && "$root/scripts/windows-wine.sh" "$build" "$bin/$exe.exe" "$@") 2>&1 |
    tee "$log" || rc=$?
  local p s f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
  s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?,.*/\1/p' "$log" | tail -1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?,.*/\1/p' "$log" | tail -1)
  passed=$((passed + ${p:-0}))
  skipped=$((skipped + ${s:-0}))
  failed=$((failed + ${f:-0}))
  if [ "$rc" -ne 0 ] && [ -z "$f" ]; then
    failed=$((failed + 1))
    echo "FAILED: $label exited with $rc"
  fi
}
# The suites run in the Western code page (1252), then the code-page cases
# once more in Japanese Shift-JIS (932).
run_suite tiz_tests tiz_tests
run_suite tiz_windows_tests tiz_windows_tests
TIZ_WINE_LOCALE=ja_JP.UTF-8 run_suite tiz_windows_tests-cp932 tiz_windows_tests \
  --gtest_filter='WinCodePage.*'

# The example and the tool's demo, as a user runs them on Windows.
for program in tiz_example "tiz demo"; do
  exe=${program%% *}
  [ -f "$bin/$exe.exe" ] || continue
  echo "== $program under Wine ($variant) =="
  rc=0
  # shellcheck disable=SC2086 # the program's arguments split on purpose
  (cd "$build/wine-run" && "$root/scripts/windows-wine.sh" "$build" "$bin/$exe.exe" \
    ${program#"$exe"}) >"$build/wine-$exe.log" 2>&1 || rc=$?
  tail -n 3 "$build/wine-$exe.log"
  record $rc "$program under Wine"
done
WINEPREFIX=$build/wineprefix wineserver -w 2>/dev/null || true  # let Wine wind down

echo "windows: the suites ran in the $variant build under $([ "$variant" = 64-bit ] && echo wine64 || echo wine)"
echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
