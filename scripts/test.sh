#!/usr/bin/env bash
# Builds every tree and runs every test: the portable core natively (with sanitizers), then
# the 32-bit Windows build and its x86-64 twin, each under its Wine in a private prefix, on a
# private X display, as far as this machine can run them.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-trees.sh

echo "== native: portable core and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

for preset in win32 win64; do
    echo "== $preset: vintrel.exe and its Wine tests"
    cmake --preset $preset >/dev/null
    cmake --build --preset $preset
done

echo "== the program starts on Windows XP SP3: no import that XP lacks"
python3 scripts/check-imports.py build/win32/bin/vintrel.exe

echo "== the release zip (make dist): contents, checksum, a second build byte for byte"
bash scripts/test-dist.sh

echo "== $wine_reason"
for tree in "${wine_trees[@]}"; do
    echo "== Wine tests of $tree"
    bash scripts/with-display.sh bash scripts/ctest-wine.sh "$tree"
done
