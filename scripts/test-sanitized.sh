#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-sanitize/ and runs them; the first error fails the run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
export VORNALIX_BUILD_DIR=${VORNALIX_SANITIZE_BUILD_DIR:-$root/build-sanitize}
"$root/scripts/build.sh" -DVORNALIX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVORNALIX_BENCH=OFF
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# Leaks inside the system's font and display libraries are not ours.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    export QT_QPA_PLATFORM=offscreen
fi
ctest --test-dir "$VORNALIX_BUILD_DIR" --output-on-failure -j "$(nproc)"
