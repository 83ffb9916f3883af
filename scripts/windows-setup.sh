#!/usr/bin/env bash
# Installs what the 32-bit Windows build and its Wine test runs need on a
# Debian machine: the MinGW-w64 cross compiler, GoogleTest's sources (built
# with that compiler) and 32-bit Wine.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686 googletest wine wine32:i386)

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq \
    "${missing[@]}" >/dev/null
fi
