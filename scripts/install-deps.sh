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

# Which Wine trees the machine could run, before anything is installed.
VINTREL_INSTALLING=1
source "$(dirname "$0")/wine-trees.sh"
unset VINTREL_INSTALLING

packages=(cmake ninja-build make g++ clang googletest libgtest-dev libxxhash-dev
          g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 mingw-w64-i686-dev
          g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine wine64 xvfb xauth x11-utils imagemagick fonts-liberation fonts-wine xdotool file)
for p in "${packages[@]}"; do
    have_pkg "$p" || need+=("$p")
done
# The 32-bit Wine runs the 32-bit build, where this machine can run it at all. It is installed
# on its own: where it cannot be (held broken packages), the x86-64 twin is tested instead.
want32=0
if [[ " ${wine_trees[*]} " == *" build/win32 "* ]] && ! have_pkg wine32:i386; then
    want32=1
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
fi

export DEBIAN_FRONTEND=noninteractive
install() { $SUDO apt-get install -y -qq --no-install-recommends "$@"; }
# A mirror caught mid-sync fails some of its indexes: what could be fetched is used.
update() {
    $SUDO apt-get update -qq ||
        echo "install-deps: some package indexes could not be fetched; going on with the others"
}
if [ ${#need[@]} -gt 0 ] || [ $want32 = 1 ]; then
    update
fi
if [ ${#need[@]} -gt 0 ]; then
    echo "install-deps: installing ${need[*]}"
    # A package the indexes name may not be on the mirror yet: once more, after a fresh look.
    install "${need[@]}" || { update; install "${need[@]}"; }
fi
if [ $want32 = 1 ]; then
    install wine32:i386 ||
        echo "install-deps: the 32-bit Wine (wine32:i386) cannot be installed here"
fi
