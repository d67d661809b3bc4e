#!/usr/bin/env bash
# Without its style resource the exe says so first, in English, then shows
# the menu all the same.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession

stage_disc "$IT_TMP/disc" "$NOSTYLE"
start_exe "$IT_TMP/disc/$(basename "$NOSTYLE")"
menu=$LAST_PID

box=$(wait_window 'Error' "$WAIT" "$menu")
[[ -z $(find_windows "$DISC_NAME") ]] || fail "the main window came before the style error"
if have_clipboard_reader; then
  assert_dialog_copy "$box" "$(dialog_dump 'Error' "Style 'Amethyst Kamri' not found" 'Close   ')"
fi
send_keys "$box" Return
wait_no_window 'Error'

main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
assert_running "$menu" "after the style error"
send_keys "$main" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$menu")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
