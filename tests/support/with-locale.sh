#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# with-locale.sh LOCALE COMMAND...: runs COMMAND with every locale category
# set to LOCALE. A Latin-1 locale that the system lacks is compiled first,
# into a folder of the build's own.
set -eu
locale=$1
shift
if ! locale -a 2>/dev/null | grep -qix "$(echo "$locale" | sed 's/ISO-8859-1/iso88591/')"; then
    case $locale in
    *.ISO-8859-1)
        LOCPATH=${TMPDIR:-/tmp}/kestrelon-locales
        mkdir -p "$LOCPATH"
        [ -d "$LOCPATH/$locale" ] ||
            localedef -i "${locale%.ISO-8859-1}" -f ISO-8859-1 "$LOCPATH/$locale"
        export LOCPATH
        ;;
    esac
fi
LANG=$locale LC_ALL=$locale exec "$@"
