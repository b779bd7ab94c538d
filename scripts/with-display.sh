#!/usr/bin/env bash
# Runs a command on a private virtual X display, large enough for the main window.
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$@"
