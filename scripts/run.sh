#!/usr/bin/env bash
# Builds vintrel.exe and starts it: under Wine on Linux, directly on Windows. It starts in
# build/run, so that its backup profile lives there and not in the source tree.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*)
    cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release -DVINTREL_TESTS=OFF
    cmake --build build/win32 --target vintrel
    mkdir -p build/run && cd build/run && exec "$root/build/win32/bin/vintrel.exe"
    ;;
esac

bash scripts/install-deps.sh
source scripts/wine-trees.sh
preset="${run_tree#build/}"
if [ "$run_tree" = build/win32 ]; then
    echo "run: this machine runs 32-bit programs: starting the 32-bit build under the 32-bit Wine"
else
    echo "run: ${wine_reason%%:*}: starting the x86-64 build under the 64-bit Wine"
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target vintrel
mkdir -p build/run
cd build/run
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/$run_tree/wine-run" "$root/$run_tree/bin/vintrel.exe"
fi
echo "run: no DISPLAY; starting Vintrel on a virtual display (close it with: pkill -f vintrel.exe)"
exec bash "$root/scripts/with-display.sh" "$root/$run_tree/wine-run" "$root/$run_tree/bin/vintrel.exe"
