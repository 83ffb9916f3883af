#!/usr/bin/env bash
# The 32-bit Windows build and its tests, on Linux: installs the MinGW-w64
# cross compiler and Wine, cross-builds tiz.dll and the stand-in DLLs, checks
# what tiz.dll exports and imports, and runs the test suites under Wine.
#
#   scripts/run-windows-tests.sh [BUILD_DIR]     (default: build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-win}

./scripts/windows-setup.sh
echo "== Windows cross-build =="
./scripts/windows-build.sh "$build"
build=$(cd "$build" && pwd)
bin=$build/bin

passed=0
failed=0
skipped=0
record() {  # record RC NAME
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else
    failed=$((failed + 1))
    echo "FAILED: $2"
  fi
}

echo "== tiz.dll exports and imports =="
rc=0; tests/windows/check-exports.sh "$bin/tiz.dll" || rc=$?
record $rc "export table of tiz.dll"
rc=0; tests/windows/check-imports.sh --expect tests/windows/imports.txt "$bin/tiz.dll" || rc=$?
record $rc "import table of tiz.dll"
rc=0; tests/windows/check-imports.sh "$bin"/*.dll "$bin"/*.exe || rc=$?
record $rc "runtime dependencies of the Windows binaries"

# Wine runs the 32-bit programs through the kernel's 32-bit support; on a
# kernel that refuses i386 executables nothing can run under Wine, so the
# suites are counted as skipped, loudly, rather than reported as failing code.
if ! wine_message=$(WINEDEBUG=-all wine --version 2>&1); then
  echo "windows: Wine cannot start here: ${wine_message##*: }"
  echo "windows: the suites and programs under Wine are skipped (the kernel runs no 32-bit programs)"
  echo "windows: $passed passed, $failed failed, 5 skipped"
  [ "$failed" -eq 0 ]
  exit
fi

# Each suite runs in one Wine process, from a scratch folder of its own.
run_suite() {  # run_suite LABEL EXE [ARGS...]
  local label=$1 exe=$2 log rc=0
  shift 2
  log=$build/wine-$label.log
  echo "== $label under Wine =="
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
  echo "== $program under Wine =="
  rc=0
  # shellcheck disable=SC2086 # the program's arguments split on purpose
  (cd "$build/wine-run" && "$root/scripts/windows-wine.sh" "$build" "$bin/$exe.exe" \
    ${program#"$exe"}) >"$build/wine-$exe.log" 2>&1 || rc=$?
  tail -n 3 "$build/wine-$exe.log"
  record $rc "$program under Wine"
done
WINEPREFIX=$build/wineprefix wineserver -w 2>/dev/null || true  # let Wine wind down

echo "windows: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
