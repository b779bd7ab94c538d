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

# 32-bit Wine runs our i686 executable and its tests.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    apt_updated=""
fi

for p in cmake ninja-build make g++ clang googletest libgtest-dev \
         g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev \
         wine wine32:i386 xvfb xauth x11-utils imagemagick fonts-liberation fonts-wine xdotool; do
    have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
    echo "install-deps: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}"
fi
