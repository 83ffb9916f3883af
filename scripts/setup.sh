#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test tiz
# (scripts/setup.sh), or only to build and run the demo (--demo).
set -euo pipefail

# With --demo only what the demo builds (the library, its stand-ins and the
# tool); without, everything the tests, benchmarks and fuzzers need too.
if [ "${1:-}" = "--demo" ]; then
  packages=(build-essential cmake ninja-build libcli11-dev nlohmann-json3-dev)
else
  packages=(build-essential cmake ninja-build pkg-config
            libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
            libcli11-dev nlohmann-json3-dev clang libclang-rt-14-dev valgrind
            clang-format-14 ccache gcovr)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
