#!/usr/bin/env bash
# Builds the 32-bit release of vintrel.exe in a tree of its own and packs it, with a README
# for Windows users and the license, into dist/vintrel-<version>-win32.zip, with its
# SHA-256 in dist/SHA256SUMS. The same sources give the same zip, byte for byte. Also the
# test kit for Windows, dist/vintrel-<version>-win32-tests.zip.
#   DIST_DIR=... puts the zip elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
root="$(pwd)"
out="${DIST_DIR:-$root/dist}"
tree="$root/build/dist"
version="$(sed -n 's/^project(Vintrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
# The zip's entries carry the time of the last commit, or a fixed one outside git.
epoch="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1765152000)}"

cmake -S . -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVINTREL_TESTS=OFF >/dev/null
cmake --build "$tree" --target vintrel >/dev/null
mkdir -p "$out"
python3 scripts/pack_dist.py "$tree/bin/vintrel.exe" "$version" "$epoch" "$out"
# The test kit for Windows, from the 32-bit test tree: the tests that only a real Windows can
# answer, for a user to run there (VINTREL_DIST_TESTS=0 leaves it out).
if [ "${VINTREL_DIST_TESTS:-1}" = 1 ]; then
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target vintrel_win32_tests vintrel >/dev/null
    python3 scripts/pack_dist.py --tests build/win32/bin "$version" "$epoch" "$out"
fi
