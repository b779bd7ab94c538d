#!/usr/bin/env bash
# Builds both trees and runs every test: the portable core natively (with sanitizers),
# then the Windows build under Wine in a private prefix, on a private X display.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== native: portable core and unit tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== win32: vintrel.exe and the Wine tests"
cmake --preset win32 >/dev/null
cmake --build --preset win32
bash scripts/with-display.sh bash scripts/ctest-wine.sh build/win32
