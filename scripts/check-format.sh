#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it
# (the rules are in .clang-format); with --fix, formats them in place.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh" clang-format-14
cd "$root"
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.h.in')
if [[ "${1:-}" == "--fix" ]]; then
    clang-format-14 -i "${files[@]}"
else
    clang-format-14 --dry-run --Werror "${files[@]}"
fi
