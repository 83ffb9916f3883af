#!/usr/bin/env bash
# Checks that every C and C++ source of the tree is formatted as the root
# .clang-format says; lists the files that are not and fails.
#
#   scripts/check-format.sh          (CLANG_FORMAT names the binary)
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format)}

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \
    \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi

# One run over all files; each violation is reported as FILE:LINE:COL: error.
report=$("$clang_format" --dry-run --Werror "${files[@]}" 2>&1 || true)
unformatted=$(sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error: .*/\1/p' <<<"$report" | sort -u)
if [ -n "$unformatted" ]; then
  echo "not formatted (clang-format -i FILE):"
  sed 's/^/  /' <<<"$unformatted"
  exit 1
fi
if grep -q . <<<"$report"; then  # clang-format failed otherwise
  echo "$report"
  exit 1
fi
echo "format: ${#files[@]} files formatted"
