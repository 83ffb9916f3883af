#!/usr/bin/env bash
# Compares the dynamic symbol table of a built libtiz.so with the exported
# functions listed in tests/windows/exports.txt: every function there defined,
# nothing else defined (no internal C++ symbol leaking out).
#
#   check-elf-exports.sh path/to/libtiz.so [exports.txt]
set -euo pipefail
library=$1
expected=${2:-$(dirname "$0")/../windows/exports.txt}

actual=$(nm -D --defined-only "$library" | awk '{print $NF}' | sort -u)
wanted=$(grep -v '^#' "$expected" | awk 'NF == 2 {print $1}' | sort -u)

missing=$(comm -23 <(echo "$wanted") <(echo "$actual"))
unexpected=$(comm -13 <(echo "$wanted") <(echo "$actual"))
[ -z "$missing" ] || echo "missing exports:"$'\n'"$missing"
[ -z "$unexpected" ] || echo "unexpected exports:"$'\n'"$unexpected"
[ -z "$missing" ] && [ -z "$unexpected" ] || exit 1
echo "$(grep -c . <<<"$actual") exports, as listed"
