#!/usr/bin/env bash
# Builds the Debian packages of a configured and built tree with cpack, then
# compares each package's files (dpkg-deb --contents) with debs.txt.
#
#   check-debs.sh BUILD_DIR WORK_DIR LIBDIR VERSION CONFIG [CPACK]
set -euo pipefail
build=$1 work=$2 libdir=$3 version=$4 config=$5 cpack=${6:-cpack}
expected=$(dirname "$0")/debs.txt

rm -rf "$work"
mkdir -p "$work"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" ||
  { cat "$work/cpack.log"; exit 1; }

failures=0
while read -r package; do
  deb=$(find "$work" -maxdepth 1 -name "${package}_${version}_*.deb" | head -n 1)
  if [ -z "$deb" ]; then
    echo "$package: no package built"
    failures=$((failures + 1))
    continue
  fi
  # Files and links only; folders follow from them.
  actual=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort)
  wanted=$(awk -v p="[$package]" '/^\[/ {on = ($0 == p); next} on && NF && !/^#/' "$expected" |
    sed -e "s|@LIBDIR@|$libdir|g" -e "s|@VERSION@|$version|g" -e "s|@CONFIG@|$config|g" | sort)
  missing=$(comm -23 <(echo "$wanted") <(echo "$actual"))
  extra=$(comm -13 <(echo "$wanted") <(echo "$actual"))
  if [ -n "$missing$extra" ]; then
    failures=$((failures + 1))
    [ -z "$missing" ] || echo "$package: missing"$'\n'"$missing"
    [ -z "$extra" ] || echo "$package: not expected"$'\n'"$extra"
  else
    echo "$package: $(grep -c . <<<"$actual") files, as listed"
  fi
done < <(sed -n 's/^\[\(.*\)\]$/\1/p' "$expected")
[ "$failures" -eq 0 ]
