#!/usr/bin/env bash
# Renders the main window under Wine on a virtual display into docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

if [ "${1:-}" != "--inside" ]; then
    bash scripts/install-deps.sh
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target vintrel
    exec bash scripts/with-display.sh bash "$0" --inside
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/build/win32/wine-run" "$root/build/win32/bin/vintrel.exe" &
program=$!
window="$(xdotool search --sync --onlyvisible --classname vintrel.exe | head -1)"
sleep 2 # let the controls finish painting; this is a picture, not a test
import -window "$window" "$root/docs/screenshot.png"
xdotool windowfocus --sync "$window" key alt+x
wait "$program"
echo "screenshot: docs/screenshot.png"
