#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree: the
# programs, the catalogue, the desktop entry, the file types and icons, the
# AppStream data and the manual pages.
set -euo pipefail
build=$1
source_dir=$2
version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*"; exit 1; }
need() { [[ -e "$prefix/$1" ]] || fail "missing $1"; }

need bin/vornalix
[[ -x "$prefix/bin/vornalix" ]] || fail "vornalix not executable"
if [[ -e "$build/tool/vornalix-tool" ]]; then
    need bin/vornalix-tool
    need share/man/man1/vornalix-tool.1
    "$prefix/bin/vornalix-tool" --version | grep -qx "vornalix-tool $version" || fail "vornalix-tool --version"
fi
if [[ -e "$source_dir/res/TunerSpec.inf" ]]; then
    need share/vornalix/TunerSpec.inf
fi
# The channel plans: every plan of data/ with the index and the country list,
# found by the installed tool through ../share/vornalix from its folder.
need share/vornalix/plans/channel-plans-index.csv
need share/vornalix/plans/country-plans.csv
need share/vornalix/plans/README.md
plans=$(ls "$source_dir"/data/channel-plans/*.csv | wc -l)
[[ $(ls "$prefix"/share/vornalix/plans/*.csv | wc -l) -eq $((plans + 2)) ]] || fail "plan files"
if [[ -e "$build/tool/vornalix-tool" ]]; then
    empty=$(mktemp -d -p "$prefix")
    listing=$(XDG_DATA_HOME=$empty XDG_DATA_DIRS=$empty "$prefix/bin/vornalix-tool" plans) || fail "vornalix-tool plans"
    grep -qx "plans: $plans" <<<"$listing" || fail "installed plans not listed"
    grep -q "^Germany	49	PAL_B	ms-western-europe-broadcast	ms-western-europe-cable$" <<<"$listing" \
        || fail "installed country list not listed"
    for text in '^\.B plans' 'build \\-\\-plan' 'build \\-\\-country\\-plan'; do
        grep -q "$text" "$prefix/share/man/man1/vornalix-tool.1" || fail "the manual lacks $text"
    done
fi
need share/applications/io.vornalix.Vornalix.desktop
need share/metainfo/io.vornalix.Vornalix.metainfo.xml
need share/mime/packages/vornalix.xml
need share/man/man1/vornalix.1
# The version is written once, in the build; every installed file carries it.
for page in "$prefix"/share/man/man1/vornalix*.1; do
    grep -q "\"Vornalix $version\"" "$page" || fail "version in $page"
done
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/io.vornalix.Vornalix.metainfo.xml" || fail "version in metainfo"
! grep -rl "@PROJECT_VERSION@" "$prefix" || fail "an installed file was not given the version"
need share/icons/hicolor/scalable/apps/vornalix.svg
for size in 16 32 48 256; do
    need share/icons/hicolor/${size}x${size}/apps/vornalix.png
    for type in ccf tsf cft; do
        need share/icons/hicolor/${size}x${size}/mimetypes/application-x-vornalix-$type.png
    done
done

desktop-file-validate "$prefix/share/applications/io.vornalix.Vornalix.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.vornalix.Vornalix.metainfo.xml" >/dev/null \
    || appstreamcli validate --no-net "$prefix/share/metainfo/io.vornalix.Vornalix.metainfo.xml" || fail "metainfo"

# The file types: globs for all three, magic at offset 4 for the two new formats.
update-mime-database "$prefix/share/mime" >/dev/null 2>&1 || fail "mime database"
grep -q 'application/x-vornalix-ccf:\*\.ccf' "$prefix/share/mime/globs2" || fail "ccf glob"
grep -q 'application/x-vornalix-tsf:\*\.tsf' "$prefix/share/mime/globs2" || fail "tsf glob"
grep -q 'application/x-vornalix-cft:\*\.cft' "$prefix/share/mime/globs2" || fail "cft glob"
grep -aq 'CHFQ' "$prefix/share/mime/magic" || fail "ccf magic"
grep -aq 'TNSP' "$prefix/share/mime/magic" || fail "tsf magic"

echo "installed tree complete"
