#!/bin/bash
# Installs the toolchain, Wine and the test tools on Debian 12. Idempotent: it does nothing
# (and needs no network) when every package is already there.
set -euo pipefail
PACKAGES=(
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
    wine wine64 wine32:i386
    cmake ninja-build python3 googletest libstb-dev
    xvfb xauth x11-utils imagemagick
)
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    NEED_UPDATE=1
fi
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
elif [ "${NEED_UPDATE:-0}" = 1 ]; then
    $SUDO apt-get update -qq
fi
