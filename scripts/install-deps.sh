#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, only when something is missing.
set -euo pipefail

packages=(cmake g++ googletest libgtest-dev libbenchmark-dev g++-mingw-w64-i686-win32 wine wine32:i386 xvfb
          fonts-wine fonts-liberation imagemagick sox libgif-dev zlib1g-dev clang libclang-rt-14-dev
          valgrind python3 nsis libxinerama1:i386 xserver-xephyr xtrace)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]} (run as root, or install them)" >&2
    exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
