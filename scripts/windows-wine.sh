#!/usr/bin/env bash
# Runs a Windows program of the cross-build under Wine, in a Wine prefix of
# the build's own (made on first use, in about ten seconds), quietly.
#
#   scripts/windows-wine.sh BUILD_DIR PROGRAM.exe [ARGS...]
#
# Wine takes the process's ANSI code page from the locale: C.UTF-8 gives the
# Western one (1252); TIZ_WINE_LOCALE chooses another (ja_JP.UTF-8: 932).
set -euo pipefail
build=$(cd "$1" && pwd)
shift

export WINEPREFIX=$build/wineprefix
export WINEARCH=win32
export WINEDEBUG=-all
# No Mono or Gecko: the prefix is for console programs only.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

# Through env: the shell itself need not know the locale.
exec env LC_ALL="${TIZ_WINE_LOCALE:-C.UTF-8}" wine "$@"
