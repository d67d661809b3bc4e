# shellcheck shell=bash
# Sourced by every end-to-end script. Each runs as
#   bash SCRIPT.sh LAUNCHER SKDSETUP SKDSETUP_NOSTYLE CLIPBOARD_READER SOURCE_DIR SHOT_DIR [CASE]
# LAUNCHER is how the program under test starts: `qt`, the Linux build as it
# is, or `wine`, the Windows exe under scripts/wine.sh (wine_lib.sh). A
# scenario written on the names below runs the same steps and checks on both:
#   session        the private X display (under Wine, a Wine session on it)
#   RUN            the command a program's path is started through
#   MENU, MENU_NOSTYLE   the programs' file names, to start staged copies
#   shot W NAME    a screenshot as <qt|win32>_NAME.png
#   put_installer DISC   the stand-in installer (installer_standin.sh) as the
#                  disc's [PRG] program; its path in INSTALLER
# on top of lib.sh. CLIPBOARD_READER is the Linux build's dialog_gallery:
# it reads the X clipboard (and draws the Qt forms); without it the clipboard
# checks are left out.

LAUNCHER=$1
case $LAUNCHER in
  qt) ;;
  wine)
    : "${SKD_WINEPREFIX:?the Wine tests need a prefix of their own}"
    # They share the prefix (a test ends every program in it), so they take
    # turns; -o: the programs started must not hold the lock after the test.
    if [[ -z ${SKD_E2E_LOCKED:-} ]]; then
      mkdir -p "$(dirname "$SKD_WINEPREFIX")"
      SKD_E2E_LOCKED=1 exec flock -o -w 900 "$SKD_WINEPREFIX.e2e.lock" bash "$0" "$@"
    fi
    ;;
  *)
    echo "unknown launcher '$LAUNCHER' (qt or wine)" >&2
    exit 2
    ;;
esac

reader=$4
[[ -f $reader && -x $reader ]] || reader=/dev/null
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh" "$2" "$3" "$reader" "$5" "$6" "${7:-}"
# shellcheck disable=SC2034 # the scenarios use these
MENU=$(basename "$SKDSETUP") MENU_NOSTYLE=$(basename "$NOSTYLE")

if [[ $LAUNCHER == wine ]]; then
  # shellcheck source=../wine/integration/wine_lib.sh
  source "$SOURCE_DIR/tests/wine/integration/wine_lib.sh"
else
  # shellcheck disable=SC2034
  RUN=()
  SHOTS=qt
  session() { it_xsession; }
  put_installer() {
    INSTALLER=$1/Install/setup.sh
    cp "$SOURCE_DIR/tests/integration/installer_standin.sh" "$INSTALLER"
  }
fi

shot() { screenshot "$1" "$SHOT_DIR/${SHOTS}_$2.png"; }
