#!/usr/bin/env bash
# Installs what building and testing Parvik needs on Debian 12, and nothing
# when it is all there already. Needs root (or sudo).
set -euo pipefail

# wine64 and the x86-64 compiler: where the kernel cannot run 32-bit x86 code,
# the Windows tests run on a 64-bit build of the same sources.
packages=(cmake make g++ libgtest-dev googletest g++-mingw-w64-i686-posix
          g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 xvfb xauth fp-utils zip unzip
          libxxhash-dev)

installed() { [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]; }

missing=()
for package in "${packages[@]}"; do installed "$package" || missing+=("$package"); done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${as_root[@]}" dpkg --add-architecture i386
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >/dev/null
