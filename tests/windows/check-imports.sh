#!/usr/bin/env bash
# Checks what Windows binaries import.
#
#   check-imports.sh --expect imports.txt path/to/tiz.dll
#       the binary imports from TALB310.dll, ORV310.dll and BrlConfigIO.dll
#       exactly what the list says (by ordinal or by name), and nothing else
#       but Windows' own DLLs;
#   check-imports.sh BINARY...
#       each binary needs nothing beyond Windows and the product's DLLs (the
#       C and C++ runtimes are linked in statically).
# OBJDUMP names the PE-aware objdump (default: i686-w64-mingw32-objdump).
set -euo pipefail
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

expected=
if [ "${1:-}" = "--expect" ]; then
  expected=$2
  shift 2
fi

# DLLs every Windows installation has; C and C++ runtimes other than msvcrt
# (libstdc++, libgcc, libwinpthread) are not among them.
system_dll='^(kernel32|user32|advapi32|shlwapi|shell32|ole32|oleaut32|msvcrt|ntdll|ws2_32|gdi32|version|api-ms-win-[a-z0-9-]+)\.dll$'
product_dll='^(talb310|orv310|brlconfigio|tiz)\.dll$'

# One line per import: "DLL ordinal N" or "DLL name NAME". An ordinal import
# is read from its thunk (flag bit, ordinal in the low 16 bits), which both
# objdumps print alike; the 64-bit one prints the ordinal column in hex.
imports_of() {
  "$objdump" -p "$1" |
    awk 'function ordinal(thunk,  n, i) {
           n = 0
           for (i = length(thunk) - 3; i <= length(thunk); i++)
             n = n * 16 + index("0123456789abcdef", tolower(substr(thunk, i, 1))) - 1
           return n
         }
         /^\tDLL Name: / {dll = $3; next}
         dll != "" && NF == 0 {dll = ""; next}
         dll != "" && $1 == "vma:" {next}
         dll != "" && NF >= 3 {
           if ($3 == "<none>") print dll, "ordinal", ordinal($1); else print dll, "name", $3
         }'
}

failures=0
for binary in "$@"; do
  imports=$(imports_of "$binary")
  while read -r dll; do
    [ -n "$dll" ] || continue
    lower=$(tr 'A-Z' 'a-z' <<<"$dll")
    if [[ ! $lower =~ $system_dll && ! $lower =~ $product_dll ]]; then
      echo "$binary: imports from $dll, which Windows does not provide"
      failures=$((failures + 1))
    fi
  done < <(awk '{print $1}' <<<"$imports" | sort -u)

  if [ -n "$expected" ]; then
    product=$(grep -iE '^(talb310|orv310|brlconfigio)\.dll ' <<<"$imports" | sort || true)
    wanted=$(grep -v '^#' "$expected" | grep . | sort)
    while read -r line; do
      [ -n "$line" ] && { echo "$binary: missing import: $line"; failures=$((failures + 1)); }
    done < <(comm -23 <(echo "$wanted") <(echo "$product"))
    while read -r line; do
      [ -n "$line" ] && { echo "$binary: unexpected import: $line"; failures=$((failures + 1)); }
    done < <(comm -13 <(echo "$wanted") <(echo "$product"))
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "import check: $failures problem(s)"
  exit 1
fi
echo "import check: $# binaries as expected"
