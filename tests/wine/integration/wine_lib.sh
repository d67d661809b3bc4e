# shellcheck shell=bash
# The `wine` launcher of tests/integration/launcher.sh, which sources it: the
# exe under scripts/wine.sh on the test's private X display. A Wine session
# keeps the display it started on, so each test starts a session of its own
# and ends it.
#
# Environment: SKD_WINEPREFIX, the Wine prefix these tests own; optionally
# SKD_WINE_LOCALE; SKD_INSTALLER_STANDIN, the built installer_standin.exe.

# A fresh session starts Wine's services and desktop first.
# shellcheck disable=SC2034 # lib.sh's
WAIT=${SKD_IT_WAIT:-60}

WINE_SH=$SOURCE_DIR/scripts/wine.sh
export SKD_WINEPREFIX
# lib.sh's cleanup ends the Wine session with the test.
IT_WINEPREFIX=$SKD_WINEPREFIX

# shellcheck disable=SC2034 # launcher.sh's names
RUN=("$WINE_SH") SHOTS=win32

session() {
  it_xsession
  export SKD_WINE_DISPLAY=$DISPLAY
  # A session left by an earlier run would still draw on its old display.
  wine_stop
}

# The sample disc names a Linux script, which Wine would run as a Unix
# process the menu gets no handle of: the exe stand-in takes its place.
put_installer() {
  local ini=$1/setup.ini
  INSTALLER=$1/Install/setup.exe
  cp "${SKD_INSTALLER_STANDIN:?no stand-in installer}" "$INSTALLER"
  { printf '\xff\xfe'
    iconv -f UTF-16 -t UTF-8 "$ini" | sed 's/^Location=Install\\setup\.sh/Location=Install\\setup.exe/' |
      iconv -f UTF-8 -t UTF-16LE; } >"$ini.new"
  mv "$ini.new" "$ini"
}

# The size of an X window as "W H".
window_size() {
  xwininfo -id "$1" | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}'
}
