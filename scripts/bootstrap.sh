#!/usr/bin/env bash
# Installs every package the build, the demo and the tests need on a fresh Debian 12 machine.
# Safe to run again: apt skips what is already there.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then echo "bootstrap: run as root (apt-get install)" >&2; exit 1; fi
export DEBIAN_FRONTEND=noninteractive
. "$(dirname "$0")/apt_update.sh"

# No wine32: installing it would add the i386 architecture and break the wine64 wrappers; the
# tests call wine64 directly, and the x86 build runs under a private 32-bit Wine
# (scripts/wine32.sh), started with the machine's 32-bit C library from libc6-i386 (an amd64
# package).
packages=(
  cmake make g++ clang libclang-rt-14-dev git
  libgtest-dev googletest libgcrypt20-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 libgcrypt-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-gothic
  iproute2 libcap2-bin procps psmisc util-linux locales libc6-i386
  python3 python3-pytest python3-pyftpdlib python3-pycryptodome
  osslsigncode openssl unzip
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt_update_patiently apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "bootstrap: all packages present"
