#!/usr/bin/env bash
# Runs a Windows program of the cross-build under Wine, in a Wine prefix of
# the build's own (made on first use, in about ten seconds), quietly. A
# 32-bit build runs under `wine` in a 32-bit prefix, the 64-bit variant
# (scripts/windows-build.sh --win64) under Debian's wine64 loader in a 64-bit
# prefix.
#
#   scripts/windows-wine.sh BUILD_DIR PROGRAM.exe [ARGS...]
#
# Wine takes the process's ANSI code page from the locale: C.UTF-8 gives the
# Western one (1252); TIZ_WINE_LOCALE chooses another (ja_JP.UTF-8: 932).
set -euo pipefail
build=$(cd "$1" && pwd)
shift

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko: the prefix is for console programs only.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

if grep -q '^CMAKE_CXX_COMPILER:.*x86_64-w64-mingw32' "$build/CMakeCache.txt" 2>/dev/null; then
  export WINEARCH=win64
  wine=/usr/lib/wine/wine64
  command -v wine64 >/dev/null && wine=$(command -v wine64)
else
  export WINEARCH=win32
  wine=wine
fi

# Through env: the shell itself need not know the locale.
exec env LC_ALL="${TIZ_WINE_LOCALE:-C.UTF-8}" "$wine" "$@"
