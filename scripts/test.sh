#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
build=${VORNALIX_BUILD_DIR:-$root/build}
# Without a display the dialogs run on Qt's offscreen platform.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    export QT_QPA_PLATFORM=offscreen
fi
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
# The program on a virtual X display of its own, read through the accessibility bus.
"$root/scripts/test-live.sh" "$build"
