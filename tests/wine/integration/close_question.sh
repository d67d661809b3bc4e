#!/usr/bin/env bash
# Closing the menu asks first: Esc answers No and it keeps running; Enter
# answers Yes, the default, and it ends with code 0. Ctrl+C in the question
# copies its text like a Windows message box.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession

stage_disc "$IT_TMP/disc"
start_exe "$IT_TMP/disc/$(basename "$SKDSETUP")"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

log "Alt+F4, then Esc answers No"
send_keys "$main" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$menu")
[[ $(find_windows "$CLOSE_CAPTION" | wc -l) == 1 ]] || fail "more than one close question"
if have_clipboard_reader; then
  assert_dialog_copy "$q" "$(dialog_dump "$CLOSE_CAPTION" 'Закрыть программу?' 'Да   Нет   ')"
  # Copying is not answering.
  [[ -n $(find_windows "$CLOSE_CAPTION") ]] || fail "Ctrl+C closed the question"
else
  log "no clipboard reader: Ctrl+C is not checked"
fi
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
assert_running "$menu" "after No"
[[ -n $(find_windows "$DISC_NAME" "$menu") ]] || fail "the main window went away after No"

log "Alt+F4 again, then Enter answers Yes"
send_keys "$main" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$menu")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
