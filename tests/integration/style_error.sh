#!/usr/bin/env bash
# Without its style the program says so first, in the toolkit's own words
# (English), then shows the menu in the default look.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

stage_disc "$IT_TMP/disc" "$NOSTYLE"
start_prog "${RUN[@]}" "$IT_TMP/disc/$MENU_NOSTYLE"
menu=$LAST_PID

box=$(wait_window 'Error' "$WAIT" "$menu")
[[ -z $(find_windows "$DISC_NAME") ]] || fail "the main window came before the style error"
# The toolkit's box: Windows' copies its text on Ctrl+C, Qt's only on Windows.
if [[ $LAUNCHER == wine ]]; then
  assert_dialog_copy "$box" "$(dialog_dump 'Error' "Style 'Amethyst Kamri' not found" 'Close   ')"
fi
send_keys "$box" Return
wait_no_window 'Error'

main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
assert_running "$menu" "after the style error"
close_menu "$main" "$menu"
log ok
