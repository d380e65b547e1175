#!/usr/bin/env bash
# Configures and builds into build/ (or $VORNALIX_BUILD_DIR); extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORNALIX_BUILD_DIR:-$root/build}
werror=OFF
[[ "${CI:-}" == "true" ]] && werror=ON
cmake -S "$root" -B "$build" -G Ninja -DVORNALIX_WERROR=$werror "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
