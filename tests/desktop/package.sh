#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from a Release build's install rules, as a
# packager would, and checks it: lintian finds no error and, pedantic, no
# gap in the hardening; the desktop entry and the AppStream metadata
# validate, and a software centre's catalogue takes the program; the
# dependencies are declared, the manual page is whole and refers only to
# what the package brings or suggests; and unpacked into a scratch root
# every file is where a desktop looks for it, the program among them
# answering --version.
#
#   package.sh BUILD_DIR    (the Release build is made there, and kept)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

{ cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
    cmake --build "$build" -j2 &&
    (cd "$build" && cpack -G DEB -B "$work/out"); } >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
deb=$(echo "$work"/out/kestrelon_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

lintian -I --pedantic "$deb" >"$work/lintian.log" 2>&1 || true
grep -v 'root privileges' "$work/lintian.log" || true
! grep -q '^E: ' "$work/lintian.log" || fail "lintian reports errors"
# Built with the distribution's hardening, and stripped as its packages are.
gaps=$(grep -oE ' (hardening-[a-z-]+|binary-has-unneeded-section)' "$work/lintian.log" |
    sort -u | tr -d '\n' || true)
[ -z "$gaps" ] || fail "not hardened or stripped:$gaps"

expected=(
    usr/bin/kestrelon
    usr/share/applications/kestrelon.desktop
    usr/share/icons/hicolor/scalable/apps/kestrelon.svg
    usr/share/metainfo/org.kestrelon.kestrelon.metainfo.xml
    usr/share/doc/kestrelon/copyright
    usr/share/doc/kestrelon/changelog.gz
    usr/share/man/man1/kestrelon.1.gz
)
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "$file is not in the package"
done

desktop=$root/usr/share/applications/kestrelon.desktop
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kestrelon.kestrelon.metainfo.xml" ||
    fail "the AppStream metadata does not validate"

# The entry names what the package holds: the program and its icon, at the
# size of each folder it stands in.
[ -x "$root/usr/bin/$(sed -n 's/^Exec=//p' "$desktop")" ] || fail "Exec= names no installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 22 24 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] ||
        fail "no ${size}x${size} icon named $icon"
done
grep -q '<launchable type="desktop-id">kestrelon.desktop</launchable>' \
    "$root/usr/share/metainfo/org.kestrelon.kestrelon.metainfo.xml" ||
    fail "the AppStream metadata does not launch the desktop entry"

# What GNOME Software and KDE Discover read: the catalogue composed from the
# unpacked package holds the program, with no error about it.
appstreamcli compose --no-color --print-report=full --origin=kestrelon \
    --result-root="$work/catalogue" "$root" \
    >"$work/compose.log" 2>&1 || { cat "$work/compose.log" >&2; fail "appstreamcli compose failed"; }
components=$(find "$work/catalogue" -path "*/swcatalog/xml/*.xml.gz" -exec zcat {} + 2>/dev/null |
    grep -cE '<component[ >]' || true)
[ "$components" -eq 1 ] || { cat "$work/compose.log" >&2; fail "the catalogue holds $components components"; }
if grep -qE '^ *E:|error' "$work/compose.log"; then
    cat "$work/compose.log" >&2
    fail "appstreamcli compose reports errors"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libodbc2; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = libsqliteodbc ] || fail "libsqliteodbc is not recommended"

# The manual page formats without a warning, has the sections a user looks
# for, and refers only to pages of packages this one depends on, recommends
# or suggests.
manual=$root/usr/share/man/man1/kestrelon.1.gz
warnings=$(man --warnings -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page has warnings: $warnings"
for section in OPTIONS KEYS "EXIT STATUS" ENVIRONMENT FILES "SEE ALSO"; do
    zcat "$manual" | grep -qx "\.SH \"\?$section\"\?" || fail "the manual page has no $section"
done
related=" $(dpkg-deb -f "$deb" Depends Recommends Suggests | sed 's/^[A-Za-z]*: //; s/([^)]*)//g' |
    tr ',|\n' '   ') "
while read -r page section; do
    owner=$(dpkg -S "/usr/share/man/man$section/$page.$section.gz" 2>/dev/null | cut -d: -f1 || true)
    [[ -n "$owner" && "$related" == *" $owner "* ]] ||
        fail "the manual page refers to $page($section), from ${owner:-no package}, not related"
done < <(zcat "$manual" | sed -n '/^\.SH "\?SEE ALSO/,/^\.SH/p' |
    sed -n 's/^\.BR \([^ ]*\) (\([0-9]\)).*/\1 \2/p')

version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kestrelon" --version)
[ "$version" = "kestrelon $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the packaged program answers --version with '$version'"

[ "$failures" -eq 0 ] || { echo "$failures failed checks" >&2; exit 1; }
echo "$(basename "$deb"): lintian without errors, files in place"
