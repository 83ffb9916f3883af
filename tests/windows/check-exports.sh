#!/usr/bin/env bash
# Compares the export table of a built tiz.dll with exports.txt: every
# function exported as _Name@Bytes, no name missing, no byte count wrong, no
# name exported that the list does not hold (undecorated duplicates included).
# With --plain, the 64-bit variant's table: the same functions under their
# plain names (64-bit Windows has no stdcall decoration).
#
#   check-exports.sh [--plain] path/to/tiz.dll [exports.txt]
# OBJDUMP names the PE-aware objdump (default: i686-w64-mingw32-objdump).
set -euo pipefail
shape='_%s@%s'
if [ "${1:-}" = "--plain" ]; then
  shape='%s'
  shift
fi
dll=$1
expected=${2:-$(dirname "$0")/exports.txt}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

actual=$("$objdump" -p "$dll" |
  awk '/^\[Ordinal\/Name Pointer\] Table/ {t = 1; next}
       t && NF == 0 {t = 0}
       t {print $NF}' | sort)
wanted=$(grep -v '^#' "$expected" | awk -v shape="$shape" 'NF == 2 {printf shape "\n", $1, $2}' | sort)

failures=0
while read -r name; do
  [ -n "$name" ] || continue
  base=${name%@*}
  found=$(grep -E "^${base}@[0-9]+$" <<<"$actual" || true)
  if [ -z "$found" ]; then
    echo "missing export: $name"
  else
    echo "wrong byte count: exported $found, expected $name"
  fi
  failures=$((failures + 1))
done < <(comm -23 <(echo "$wanted") <(echo "$actual"))

while read -r name; do
  [ -n "$name" ] || continue
  base=${name%@*}
  grep -qE "^${base}@[0-9]+$" <<<"$wanted" && continue  # reported above
  echo "unexpected export: $name"
  failures=$((failures + 1))
done < <(comm -13 <(echo "$wanted") <(echo "$actual"))

count=$(grep -c . <<<"$actual" || true)
if [ "$failures" -ne 0 ]; then
  echo "export check of $dll: $failures problem(s) among $count exports"
  exit 1
fi
echo "export check of $dll: all $count exports as listed"
