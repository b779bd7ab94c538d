#!/usr/bin/env bash
# Benchmarks the search under Wine against a bare walk of the same tree (not part of make test).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bash scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target vintrel_search_bench vintrel_backup_bench
prefix_c="$root/build/win32/wineprefix/drive_c"
# Make the prefix (its drive_c takes the tree), then stop its server: the benchmark's own
# Wine session must start on the virtual display.
"$root/build/win32/wine-run" wineboot -i >/dev/null 2>&1 || true
"$root/build/win32/wine-run" wineserver -k >/dev/null 2>&1 || true
python3 bench/make_tree.py "$prefix_c/vintrel-bench"

echo "== GNU find over the same tree, natively, for reference"
start=$(date +%s.%N)
files=$(find "$prefix_c/vintrel-bench" -type f | wc -l)
end=$(date +%s.%N)
python3 -c "t=$end-$start; print(f'find: {$files} files in {t:.3f} s, {$files/t:.0f} files/s')"

echo "== search under Wine"
bash scripts/with-display.sh "$root/build/win32/wine-run" \
    "$root/build/win32/bin/vintrel_search_bench.exe" 'C:\vintrel-bench' "${ROUNDS:-5}"

echo "== backup under Wine"
bash scripts/with-display.sh "$root/build/win32/wine-run" \
    "$root/build/win32/bin/vintrel_backup_bench.exe" 'C:\vintrel-backup-bench' "${BACKUP_ROUNDS:-3}"
