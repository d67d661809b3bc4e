#!/usr/bin/env bash
# Closing the menu asks first: Esc answers No and it keeps running; Enter
# answers Yes, the default, and it ends with code 0. Ctrl+C in the question
# copies its text like a Windows message box.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

stage_disc "$IT_TMP/disc"
start_prog "${RUN[@]}" "$IT_TMP/disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

log "Alt+F4, then Esc answers No"
q=$(ask_close "$main" "$menu")
[[ $(find_windows "$CLOSE_CAPTION" | wc -l) == 1 ]] || fail "more than one close question"
assert_dialog_copy "$q" "$(dialog_dump "$CLOSE_CAPTION" 'Закрыть программу?' 'Да   Нет   ')"
# Copying is not answering.
[[ -n $(find_windows "$CLOSE_CAPTION") ]] || fail "Ctrl+C closed the question"
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
assert_running "$menu" "after No"
[[ -n $(find_windows "$DISC_NAME" "$menu") ]] || fail "the main window went away after No"

log "Alt+F4 again, then Enter answers Yes, the default"
close_menu "$main" "$menu"
log ok
