#!/usr/bin/env bash
# Builds the Debian package into build-package/ with CPack. With --check it then
# installs the package with apt, runs the installed programs, and removes it again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
sudo=""; [[ $(id -u) -eq 0 ]] || sudo="sudo"
# dpkg-shlibdeps computes the package's library dependencies.
dpkg-query -W -f='${Status}' dpkg-dev 2>/dev/null | grep -q "install ok installed" \
    || $sudo apt-get install -y -qq --no-install-recommends dpkg-dev file

build=$root/build-package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DVORNALIX_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vornalix_*.deb)
echo "$deb"
dpkg-deb --field "$deb" Package Version Depends

if [[ "${1:-}" == "--check" ]]; then
    $sudo apt-get install -y -qq "$deb" >/dev/null
    /usr/bin/vornalix-tool --version
    test -x /usr/bin/vornalix
    test -f /usr/share/vornalix/TunerSpec.inf
    /usr/bin/vornalix-tool catalogue | head -3
    $sudo apt-get remove -y -qq vornalix >/dev/null
    if dpkg-query -W -f='${Status}' vornalix 2>/dev/null | grep -q "install ok installed" || [[ -e /usr/bin/vornalix ]]; then
        echo "the package did not remove cleanly"; exit 1
    fi
    echo "package installs, runs and removes cleanly"
fi
