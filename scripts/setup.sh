#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test tiz.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev libboost-dev
          libcli11-dev nlohmann-json3-dev clang libclang-rt-14-dev valgrind
          clang-format-14 ccache gcovr)

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
