#!/usr/bin/env bash
# The live accessibility test: the real vornalix on a virtual X display of its
# own, with a private session bus and the accessibility bus, driven by real
# key presses and mouse clicks (xdotool) and read through the accessibility
# tree (pyatspi), as a screen reader reads it. The display is a 1366x768
# screen under the openbox window manager, which keeps a panel's strip free. Builds nothing: give it the
# build folder (default build/, or $VORNALIX_BUILD_DIR). Installs the Debian
# packages it needs when they are missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${VORNALIX_BUILD_DIR:-$root/build}}
build=$(cd "$build" && pwd)

"$root/scripts/deps.sh" xvfb xauth xdotool dbus dbus-x11 at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi \
    openbox wmctrl x11-utils xclip

# The driver starts and ends everything itself; the bound is for a hang no
# timeout inside it foresaw.
exec timeout --kill-after=15 420 /usr/bin/python3 "$root/tests/live/live_test.py" --build "$build" "${@:2}"
