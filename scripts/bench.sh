#!/usr/bin/env bash
# Benchmarks under Wine (not part of make test): the search against a bare walk of the same
# tree, on a small tree and on one shaped like a real drive; adding many rows; the backup.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/wine-trees.sh
bash scripts/install-deps.sh
cmake --preset "${run_tree#build/}" >/dev/null
cmake --build --preset "${run_tree#build/}" --target vintrel_search_bench vintrel_rows_bench \
    vintrel_backup_bench vintrel_win32_tests
# The benchmarks' trees live in a prefix of their own: the tests search all of drive C:.
export VINTREL_BENCH_PREFIX=1
prefix_c="$root/$run_tree/wineprefix-bench/drive_c"
# Make the prefix (its drive_c takes the tree), then stop its server: the benchmark's own
# Wine session must start on the virtual display.
"$root/$run_tree/wine-run" wineboot -i >/dev/null 2>&1 || true
"$root/$run_tree/wine-run" wineserver -k >/dev/null 2>&1 || true
python3 bench/make_tree.py "$prefix_c/vintrel-bench"
python3 bench/make_drive_tree.py "$prefix_c/vintrel-drive"
python3 bench/make_tree.py "$prefix_c/vintrel-recorded" --record
python3 bench/make_tree.py "$prefix_c/vintrel-unrecorded"

echo "== GNU find over the same tree, natively, for reference"
start=$(date +%s.%N)
files=$(find "$prefix_c/vintrel-bench" -type f | wc -l)
end=$(date +%s.%N)
python3 -c "t=$end-$start; print(f'find: {$files} files in {t:.3f} s, {$files/t:.0f} files/s')"

echo "== $wine_reason"
echo "== search under Wine ($run_tree)"
bash scripts/with-display.sh "$root/$run_tree/wine-run" \
    "$root/$run_tree/bin/vintrel_search_bench.exe" 'C:\vintrel-bench' "${ROUNDS:-5}" \
    'C:\vintrel-drive' "${DRIVE_ROUNDS:-3}"

echo "== search of a backup target with its record, against the same tree without"
bash scripts/with-display.sh "$root/$run_tree/wine-run" \
    "$root/$run_tree/bin/vintrel_search_bench.exe" records 'C:\vintrel-recorded' \
    'C:\vintrel-unrecorded' "${ROUNDS:-5}"

echo "== rows: a profile of 10,000 entries, and a search that lists 10,000 files"
bash scripts/with-display.sh "$root/$run_tree/wine-run" \
    "$root/$run_tree/bin/vintrel_rows_bench.exe" 'C:\vintrel-rows' 10000

echo "== backup under Wine: 300 mail files, four of 256 MiB, the window during 2 GiB"
bash scripts/with-display.sh "$root/$run_tree/wine-run" \
    "$root/$run_tree/bin/vintrel_backup_bench.exe" 'C:\vintrel-backup-bench' "${BACKUP_ROUNDS:-5}"

echo "== a file over 4 GiB copied exactly (a Wine test too slow for make test)"
VINTREL_BIG_FILES=1 bash scripts/with-display.sh "$root/$run_tree/wine-run" \
    "$root/$run_tree/bin/vintrel_win32_tests.exe" --gtest_filter='*FilesOver4GiB*'
