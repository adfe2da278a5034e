#!/bin/sh
# SPDX-License-Identifier: MIT
# Usage: run_under_wine.sh WINE PREFIX PROGRAM [ARGS...]
# Runs a Windows program under Wine in a prefix of its own, quietly. The first run makes the
# prefix, which takes a while; runs started meanwhile wait for it.
set -eu
wine=$1
prefix=$2
shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ ! -f "$prefix.ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    # Without Mono and Gecko, which tests do not need and which would ask to be downloaded.
    # wineboot returns while the services it started still settle, and a test that starts a
    # process then may be refused: the prefix is ready only once its server has gone idle.
    WINEDLLOVERRIDES='mscoree=;mshtml=' flock "$prefix.lock" sh -c \
        '[ -f "$WINEPREFIX.ready" ] || { "$1" wineboot -i >/dev/null 2>&1 &&
            server="${1%/*}/wineserver" && { [ -x "$server" ] || server=wineserver; } &&
            "$server" -w && touch "$WINEPREFIX.ready"; }' \
        sh "$wine"
fi
exec "$wine" "$@"
