#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from a build's install rules, as a packager
# would, and checks it: lintian finds no error, the desktop entry and the
# AppStream metadata validate, the dependencies are declared, and unpacked
# into a scratch root every file is where a desktop looks for it, the
# program among them answering --version.
#
#   package.sh BUILD_DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; exit 1; }
deb=$(echo "$work"/out/kestrelon_*.deb)
root=$work/root
dpkg-deb -x "$deb" "$root"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

lintian --fail-on error "$deb" 2>&1 | grep -v 'root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

expected=(
    usr/bin/kestrelon
    usr/share/applications/kestrelon.desktop
    usr/share/icons/hicolor/16x16/apps/kestrelon.png
    usr/share/icons/hicolor/32x32/apps/kestrelon.png
    usr/share/metainfo/org.kestrelon.Kestrelon.metainfo.xml
    usr/share/doc/kestrelon/copyright
    usr/share/doc/kestrelon/changelog.gz
    usr/share/man/man1/kestrelon.1.gz
)
for file in "${expected[@]}"; do
    [ -f "$root/$file" ] || fail "$file is not in the package"
done

desktop=$root/usr/share/applications/kestrelon.desktop
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.kestrelon.Kestrelon.metainfo.xml" ||
    fail "the AppStream metadata does not validate"

# The entry names what the package holds: the program and its icon, at the
# size of each folder it stands in.
[ -x "$root/usr/bin/$(sed -n 's/^Exec=//p' "$desktop")" ] || fail "Exec= names no installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 32; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] ||
        fail "no ${size}x${size} icon named $icon"
done
grep -q '<launchable type="desktop-id">kestrelon.desktop</launchable>' \
    "$root/usr/share/metainfo/org.kestrelon.Kestrelon.metainfo.xml" ||
    fail "the AppStream metadata does not launch the desktop entry"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libodbc2; do
    [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
        fail "Depends lacks $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = libsqliteodbc ] || fail "libsqliteodbc is not recommended"

version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/kestrelon" --version)
[ "$version" = "kestrelon $(dpkg-deb -f "$deb" Version)" ] ||
    fail "the packaged program answers --version with '$version'"

[ "$failures" -eq 0 ] || { echo "$failures failed checks" >&2; exit 1; }
echo "$(basename "$deb"): lintian without errors, files in place"
