# shellcheck shell=bash
# Sourced by the Windows end-to-end tests. Each test runs as
#   bash TEST.sh SKDSETUP.EXE SKDSETUP_NOSTYLE.EXE CLIPBOARD_READER SOURCE_DIR SHOT_DIR [CASE]
# CLIPBOARD_READER is the Linux build's dialog_gallery (it prints the X
# clipboard); when it is missing the clipboard checks are left out.
#
# Environment: SKD_WINEPREFIX, the Wine prefix these tests own (a test ends
# every program in it), and optionally SKD_WINE_LOCALE.
#
# On top of tests/integration/lib.sh: the exe runs under scripts/wine.sh on
# the test's private X display. A Wine session keeps the display it started
# on, so each test starts a session of its own and ends it; tests sharing a
# prefix therefore take turns.

: "${SKD_WINEPREFIX:?the tests need a Wine prefix of their own}"

if [[ -z ${SKD_E2E_LOCKED:-} ]]; then
  # -o: the programs started must not hold the lock after the test.
  mkdir -p "$(dirname "$SKD_WINEPREFIX")"
  SKD_E2E_LOCKED=1 exec flock -o -w 900 "$SKD_WINEPREFIX.e2e.lock" bash "$0" "$@"
fi

E2E_READER=$3
if [[ -n $E2E_READER && -x $E2E_READER ]]; then
  E2E_READER=$(realpath "$E2E_READER")
else
  E2E_READER=
fi

# shellcheck source=../../integration/lib.sh
source "$4/tests/integration/lib.sh" "$1" "$2" "${E2E_READER:-/dev/null}" "$4" "$5" "${6:-}"

# A fresh session starts Wine's services and desktop first.
WAIT=${SKD_IT_WAIT:-60}

WINE_SH=$SOURCE_DIR/scripts/wine.sh
export SKD_WINEPREFIX
WINESERVER=/usr/lib/wine/wineserver
[[ -x $WINESERVER ]] || WINESERVER=$(command -v wineserver)

# Ends every Wine program of the prefix and its server.
wine_stop() {
  WINEPREFIX=$SKD_WINEPREFIX "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$SKD_WINEPREFIX timeout 30 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

# Wine goes before the X server it draws on.
wine_cleanup() {
  local rc=$?
  set +e
  wine_stop
  (exit "$rc")
  it_cleanup
}
trap wine_cleanup EXIT

# The private X session, and a Wine session that starts on it.
wine_xsession() {
  it_xsession
  export SKD_WINE_DISPLAY=$DISPLAY
  # A session left by an earlier run would still draw on its old display.
  wine_stop
}

# Starts an exe under Wine; wine.sh ends in exec, so LAST_PID is the
# Windows program itself and its exit code the program's.
start_exe() {
  start_prog "$WINE_SH" "$@"
}

# The size of an X window as "W H".
window_size() {
  xwininfo -id "$1" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}'
}

have_clipboard_reader() { [[ -n $E2E_READER ]]; }
