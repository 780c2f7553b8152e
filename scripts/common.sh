# SPDX-License-Identifier: GPL-3.0-or-later
# Shared steps of the project's scripts; sourced, not run.
# shellcheck shell=bash

KESTRELON_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

say() { printf '\033[1m== %s\033[0m\n' "$*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages of the list that are not installed yet.
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "Installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Qt's SVG module renders the icon's drawing at its sizes while building.
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev unixodbc-dev)
RUNTIME_PACKAGES=(unixodbc odbcinst libsqliteodbc sqlite3 qt6-qpa-plugins fonts-dejavu-core)
# clang and its runtime libraries: the sanitised build and libFuzzer.
TEST_PACKAGES=(libsqlite3-dev odbc-postgresql postgresql mariadb-server mariadb-client odbc-mariadb
    clang libclang-rt-14-dev)
# A network link of the tests' own: network namespaces, veth pairs and tc.
TEST_PACKAGES+=(iproute2)
# The window on real desktops: X window managers, a Wayland compositor, and
# the tools that look at the window from outside.
TEST_PACKAGES+=(xvfb openbox icewm weston qt6-wayland xdotool x11-utils imagemagick)
# The window as a screen reader meets it: a D-Bus session, the AT-SPI
# accessibility bus and its Python client.
TEST_PACKAGES+=(dbus-daemon at-spi2-core python3-pyatspi)
# The Debian package: made by cpack (dpkg-shlibdeps, file), then checked,
# its catalogue data composed and its manual page formatted.
TEST_PACKAGES+=(dpkg-dev file lintian desktop-file-utils appstream appstream-compose man-db)
# Every source file compiled for Windows: mingw-w64's g++ with its Windows
# and ODBC headers.
TEST_PACKAGES+=(g++-mingw-w64-x86-64-posix)

# free_port FIRST: the first port from FIRST on that nothing listens on.
free_port() {
    local port=$1
    while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
    echo "$port"
}

# configure_and_build BUILD_DIR [CMAKE_ARGS...]
configure_and_build() {
    local dir=$1
    shift
    cmake -S "$KESTRELON_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir"
}

# The ODBC driver library a Debian package installs, by file name.
driver_path() {
    dpkg -L "$1" | grep -m1 "/$2\$"
}

# make_demo_database FILE: the demo vocabularies in a new SQLite file.
make_demo_database() {
    local file=$1 sql=$KESTRELON_ROOT/demo/sql
    rm -f "$file"
    mkdir -p "$(dirname "$file")"
    cat "$sql/schema.sqlite.sql" "$sql/lithology.sql" "$sql/stratigraphy.sql" | sqlite3 "$file"
}

# sqlite_data_source FILE: an odbc.ini section for ds_hier on a SQLite file.
# NoCreat: a wrong path fails instead of creating an empty database.
# StepAPI: rows are stepped through, not all held in memory.
# Timeout: how long to wait, in ms, for a database another program locks.
sqlite_data_source() {
    cat <<INI
[ds_hier]
Description=Kestrelon vocabulary (SQLite)
Driver=$(driver_path libsqliteodbc libsqlite3odbc.so)
Database=$1
NoCreat=1
StepAPI=1
Timeout=2000
INI
}
