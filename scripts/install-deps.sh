#!/usr/bin/env bash
# Installs what the build and the tests need, and nothing that is already there.
# Safe to run again and again: each step checks before it acts.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if [ "$(uname -s)" != "Linux" ] || ! have_cmd apt-get; then
    echo "install-deps: not a Debian-like Linux; install the tools listed in README.md by hand" >&2
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

source "$(dirname "$0")/wine-trees.sh"

packages=(cmake ninja-build make g++ clang googletest libgtest-dev
          g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine64 xvfb xauth x11-utils imagemagick fonts-liberation fonts-wine xdotool)
# The 32-bit Wine runs the 32-bit build, where this machine can run it at all.
if [[ " ${wine_trees[*]} " == *" build/win32 "* ]]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    packages+=(wine32:i386)
fi
for p in "${packages[@]}"; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "install-deps: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
