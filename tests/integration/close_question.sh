#!/usr/bin/env bash
# Closing the menu asks first: No keeps it running, Yes ends it with code 0.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

stage_disc "$IT_TMP/disc"
start_prog "$IT_TMP/disc/skdsetup"
menu=$LAST_PID

main=$(wait_window "$DISC_NAME")

log "Alt+F4, then Esc answers No"
q=$(ask_close "$main")
assert_dialog_copy "$q" "$(dialog_dump "$CLOSE_CAPTION" 'Закрыть программу?' 'Да   Нет   ')"
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
assert_running "$menu" "after No"
[[ -n $(find_windows "$DISC_NAME") ]] || fail "the main window went away after No"

log "Alt+F4 again, then Enter answers Yes, the default"
q=$(ask_close "$main")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
