#!/usr/bin/env bash
# Sets up and builds Varsik, then starts it (under xvfb-run when there is no display).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$BUILD_DIR/window/varsik" "$@"
fi
exec "$BUILD_DIR/window/varsik" "$@"
