#!/usr/bin/env bash
# Pictures of every window the exe shows under Wine, for a person to look
# over beside the Qt ones. Fails when one of the windows does not come up.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession
mkdir -p "$SHOT_DIR"

exe=$(basename "$SKDSETUP")
nostyle=$(basename "$NOSTYLE")
stop_menu() {
  local w=$1 pid=$2 q
  send_keys "$w" alt+F4
  q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$pid")
  send_keys "$q" Return
  assert_exit "$pid" 0
}

stage_disc "$IT_TMP/disc"
stage_disc "$IT_TMP/nostyle" "$NOSTYLE"
mkdir -p "$IT_TMP/empty"
cp "$SKDSETUP" "$IT_TMP/empty/"

log "main window, help error, close question"
start_exe "$IT_TMP/disc/$exe"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
screenshot "$main" "$SHOT_DIR/win32_main_window.png"
send_keys "$main" F1
box=$(wait_window 'Помощь' "$WAIT" "$menu")
screenshot "$box" "$SHOT_DIR/win32_help_error.png"
send_keys "$box" Return
wait_no_window 'Помощь'
send_keys "$main" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$menu")
screenshot "$q" "$SHOT_DIR/win32_close_question.png"
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
stop_menu "$main" "$menu"

log "load error"
start_exe "$IT_TMP/empty/$exe"
menu=$LAST_PID
err=$(wait_window 'Ошибка' "$WAIT" "$menu")
screenshot "$err" "$SHOT_DIR/win32_load_error.png"
send_keys "$err" Return
assert_exit "$menu" 0

log "style error"
start_exe "$IT_TMP/nostyle/$nostyle"
menu=$LAST_PID
box=$(wait_window 'Error' "$WAIT" "$menu")
screenshot "$box" "$SHOT_DIR/win32_style_error.png"
send_keys "$box" Return
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
stop_menu "$main" "$menu"
log ok
