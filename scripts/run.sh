#!/usr/bin/env bash
# Installs what is missing, builds and starts Tolvik.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
# The clipboard owner and pointer are read through X11; under Wayland run through XWayland.
if [ -n "${WAYLAND_DISPLAY:-}" ]; then export QT_QPA_PLATFORM=xcb; fi
exec "$root/build/bin/tolvik"
