#!/usr/bin/env bash
# F1 reports that help is not available and leaves the menu running.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

stage_disc "$IT_TMP/disc"
start_prog "$IT_TMP/disc/skdsetup"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME")

# Twice: the help subsystem must not be left in a state that hangs the second F1.
for round in 1 2; do
  log "F1, round $round"
  send_keys "$main" F1
  box=$(wait_window 'Помощь')
  send_keys "$box" Return
  wait_no_window 'Помощь'
  assert_running "$menu" "after the help error"
  [[ -n $(find_windows "$DISC_NAME") ]] || fail "the main window went away"
done

# Still answering keys: the close question comes and ends it.
q=$(ask_close "$main")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
