#!/usr/bin/env bash
# Makes the tests' Wine prefix ahead of them (SKD_WINEPREFIX), so that no
# test's time limit pays for it, and ends the session that leaves behind.
#   bash make_prefix.sh SOURCE_DIR
set -euo pipefail
: "${SKD_WINEPREFIX:?}"
"$1/scripts/wine.sh" --init
wineserver=/usr/lib/wine/wineserver
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)
WINEPREFIX=$(realpath "$SKD_WINEPREFIX") "$wineserver" -k >/dev/null 2>&1 || true
WINEPREFIX=$(realpath "$SKD_WINEPREFIX") timeout 30 "$wineserver" -w >/dev/null 2>&1 || true
