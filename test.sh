#!/usr/bin/env bash
# Sets up and builds Varsik, then runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" "$@"
