#!/usr/bin/env bash
# Installs what the Windows builds and their Wine test runs need on a Debian
# machine: the MinGW-w64 cross compilers, GoogleTest's sources (built with
# them), 32-bit Wine for the product's 32-bit DLL, and 64-bit Wine for the
# 64-bit variant that runs the suites where the kernel starts no 32-bit
# programs.
set -euo pipefail

packages=(cmake ninja-build ccache googletest
  g++-mingw-w64-i686 wine wine32:i386
  g++-mingw-w64-x86-64 wine64)

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
