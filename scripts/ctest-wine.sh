#!/usr/bin/env bash
# Runs the tests of a Windows build tree under Wine. One wineserver stays up for the
# whole run, so that each test program does not pay for starting it again.
set -euo pipefail
tree="$1"
shift
wine_run="$tree/wine-run"
"$wine_run" wineserver -k >/dev/null 2>&1 || true # a server left from an earlier command
"$wine_run" wineserver -w
"$wine_run" wineserver -p
"$wine_run" wineboot -i >/dev/null 2>&1
# The plain prefix is made anew by the test that uses it, so that nothing of an earlier run
# stays in it.
rm -rf "$tree/wineprefix-plain"
trap '"$wine_run" wineserver -k >/dev/null 2>&1 || true' EXIT
# The tests share one display and one foreground window: run them one at a time.
ctest --test-dir "$tree" --output-on-failure "$@"
