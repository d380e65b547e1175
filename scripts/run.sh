#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "${VORNALIX_BUILD_DIR:-$root/build}/ui/vornalix" "$@"
