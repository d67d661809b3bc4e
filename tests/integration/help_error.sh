#!/usr/bin/env bash
# F1 reports that help is not available and leaves the menu running.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

stage_disc "$IT_TMP/disc"
start_prog "${RUN[@]}" "$IT_TMP/disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

# Twice: the first box must not leave the help in a state that hangs F1.
for round in 1 2; do
  log "F1, round $round"
  send_keys "$main" F1
  box=$(wait_window 'Помощь' "$WAIT" "$menu")
  [[ $(find_windows 'Помощь' | wc -l) == 1 ]] || fail "more than one help box"
  send_keys "$box" Return
  wait_no_window 'Помощь'
  assert_running "$menu" "after the help error"
  [[ -n $(find_windows "$DISC_NAME" "$menu") ]] || fail "the main window went away"
done

# Still answering keys: the close question comes and ends it.
close_menu "$main" "$menu"
log ok
