#!/usr/bin/env bash
# The live accessibility test: the real vornalix on a virtual X display of its
# own, with a private session bus and the accessibility bus, driven by real
# key presses and mouse clicks (xdotool) and read through the accessibility
# tree (pyatspi), as a screen reader reads it. Builds nothing: give it the
# build folder (default build/, or $VORNALIX_BUILD_DIR). Installs the Debian
# packages it needs when they are missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${VORNALIX_BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)

packages=(xvfb xauth xdotool dbus dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi)
missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The driver starts and ends everything itself; the bound is for a hang no
# timeout inside it foresaw.
exec timeout --kill-after=15 300 /usr/bin/python3 "$root/tests/live/live_test.py" --build "$build"
