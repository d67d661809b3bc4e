#!/usr/bin/env bash
# A second copy started while one runs gets a window of its own; closing one
# leaves the other alone.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

stage_disc "$IT_TMP/disc"
start_prog "$IT_TMP/disc/skdsetup"
first=$LAST_PID
w1=$(wait_window "$DISC_NAME" "$WAIT" "$first")
start_prog "$IT_TMP/disc/skdsetup"
second=$LAST_PID
w2=$(wait_window "$DISC_NAME" "$WAIT" "$second")

[[ $w1 != "$w2" ]] || fail "both copies share one window"
[[ $(find_windows "$DISC_NAME" | wc -l) == 2 ]] || fail "expected two main windows"
assert_running "$first" "first copy"

log "closing the second copy"
send_keys "$w2" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$second")
send_keys "$q" Return
assert_exit "$second" 0
assert_running "$first" "after the second copy ended"
[[ -n $(find_windows "$DISC_NAME" "$first") ]] || fail "the first window went away"

log "closing the first copy"
send_keys "$w1" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$first")
send_keys "$q" Return
assert_exit "$first" 0
log ok
