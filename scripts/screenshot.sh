#!/usr/bin/env bash
# Renders the main window under Wine on a virtual display into docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/wine-trees.sh

if [ "${1:-}" != "--inside" ]; then
    bash scripts/install-deps.sh
    cmake --preset "${run_tree#build/}" >/dev/null
    cmake --build --preset "${run_tree#build/}" --target vintrel
    exec bash scripts/with-display.sh bash "$0" --inside
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/$run_tree/wine-run" "$root/$run_tree/bin/vintrel.exe" &
program=$!
window="$(xdotool search --sync --onlyvisible --classname vintrel.exe | head -1)"
eval "$(xdotool getwindowgeometry --shell "$window")"
# Rest the mouse on ">>" so that its balloon shows (the client area starts below the frame
# and caption that Wine draws: 3 and 3 + 19 pixels).
xdotool windowfocus --sync "$window"
xdotool mousemove "$((X + 3 + 617))" "$((Y + 22 + 90))"
sleep 3 # the balloon appears after the tooltip's delay; this is a picture, not a test
import -window root -crop "$((WIDTH + 200))x$((HEIGHT + 20))+$((X - 10))+$((Y - 10))" +repage "$root/docs/screenshot.png"
xdotool windowfocus --sync "$window" key alt+x
wait "$program"
echo "screenshot: docs/screenshot.png"
