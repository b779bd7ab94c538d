#!/usr/bin/env bash
# Part of make test: builds the release zip, builds it again from a copy of the sources in
# another folder, checks both, and starts the executable from the zip under the 32-bit Wine
# where this machine runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1765152000)}"
bash scripts/dist.sh >/dev/null

copy="$(mktemp -d)"
trap 'rm -rf "$copy"' EXIT
{ git ls-files; git ls-files --others --exclude-standard; } 2>/dev/null | sort -u |
    while IFS= read -r f; do
        [ -f "$f" ] || continue
        mkdir -p "$copy/sources/$(dirname "$f")"
        cp -p "$f" "$copy/sources/$f"
    done
(cd "$copy/sources" && DIST_DIR="$copy/dist" VINTREL_DIST_TESTS=0 bash scripts/dist.sh >/dev/null)
second="$(ls "$copy"/dist/vintrel-*-win32.zip)"

status=0
if python3 -c "import zipfile,sys; n=zipfile.ZipFile(sys.argv[1]).namelist(); sys.exit(n!=['vintrel_win32_tests.exe','vintrel.exe','README.txt'])" dist/vintrel-*-win32-tests.zip; then
    echo "ok   the test kit holds the Win32 tests, the program and how to run them"
else
    echo "FAIL the test kit dist/vintrel-*-win32-tests.zip"
    status=1
fi
python3 scripts/check_dist.py dist build/dist/bin/vintrel.exe "$SOURCE_DATE_EPOCH" "$second" || status=1

source scripts/wine-trees.sh
if [[ " ${wine_trees[*]} " == *" build/win32 "* ]]; then
    # The executable from the zip, started for a backup without a profile: it must end by
    # itself with exit code 2 and say so in its log.
    run="$root/build/win32/wineprefix/drive_c/vintrel-dist-check"
    rm -rf "$run" && mkdir -p "$run"
    python3 -c "import zipfile,sys; zipfile.ZipFile(sys.argv[1]).extract('vintrel.exe', sys.argv[2])" \
        dist/vintrel-*-win32.zip "$run"
    code=0
    timeout 120 bash scripts/with-display.sh build/win32/wine-run "$run/vintrel.exe" /backup 'C:\vintrel-dist-check' || code=$?
    if [ "$code" = 2 ] && grep -q "Nothing was done: there is no profile." "$run/Vintrel Backup.log"; then
        echo "ok   the executable from the zip starts under Wine and ends with exit code 2"
    else
        echo "FAIL the executable from the zip under Wine: exit code $code"
        status=1
    fi
else
    echo "skip starting the zip's 32-bit executable: $wine_reason"
fi
exit $status
