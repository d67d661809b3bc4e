#!/usr/bin/env bash
# Without its style the program says so in the toolkit's own words, then
# shows the menu in the default look.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

stage_disc "$IT_TMP/disc" "$NOSTYLE"
start_prog "$IT_TMP/disc/skdsetup_nostyle"
menu=$LAST_PID

box=$(wait_window 'Error')
[[ -z $(find_windows "$DISC_NAME") ]] || fail "the main window came before the style error"
send_keys "$box" Return
wait_no_window 'Error'

main=$(wait_window "$DISC_NAME")
assert_running "$menu" "after the style error"
q=$(ask_close "$main")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
