#!/usr/bin/env bash
# The program's message dialog on a real display, through the gallery
# program: captions by kind, and what Enter, Esc and Tab answer.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

text=$'Первая строка сообщения.\nВторая строка, подлиннее первой.'

# Shows a dialog; its window id is left in DLG.
open_dialog() {
  local caption=$1
  shift
  start_prog "$GALLERY" "$@"
  DLG=$(wait_window "$caption" "$WAIT" "$LAST_PID")
}

# Ends the dialog with `keys` and checks the result the gallery printed.
answer() {
  local expected=$1 pid=$LAST_PID out=$LAST_OUT
  shift
  send_keys "$DLG" "$@"
  assert_exit "$pid" 0
  [[ $(<"$out") == "$expected" ]] || fail "keys '$*' gave result '$(<"$out")', expected $expected"
}

mrOk=1 mrYes=6 mrNo=7

case $CASE in
  yes_no)
    log "Enter takes Yes, the default"
    open_dialog 'Подтвердите' 3 3 "$text"
    answer $mrYes Return
    log "Esc takes No"
    open_dialog 'Подтвердите' 3 3 "$text"
    answer $mrNo Escape
    log "Enter takes the focused button"
    open_dialog 'Подтвердите' 3 3 "$text"
    answer $mrNo Tab Return
    log "Space presses the focused button too"
    open_dialog 'Подтвердите' 3 3 "$text"
    answer $mrNo Tab space
    ;;
  ok)
    log "OK alone answers both Enter and Esc"
    open_dialog 'Ошибка' 1 4 "$text"
    assert_dialog_copy "$DLG" "$(dialog_dump 'Ошибка' "$text" 'Ввод   ')"
    answer $mrOk Return
    open_dialog 'Ошибка' 1 4 "$text"
    answer $mrOk Escape
    ;;
  captions)
    captions=('Предупреждение' 'Ошибка' 'Информация' 'Подтвердите' "$CLOSE_CAPTION")
    for kind in 0 1 2 3 4; do
      log "kind $kind: ${captions[kind]}"
      open_dialog "${captions[kind]}" "$kind" 4 "$text"
      answer $mrOk Return
    done
    log "kind 5 takes the window name"
    # shellcheck disable=SC2016 # must reach the caption unexpanded
    title='Диск "Тест" $(echo) №5'
    open_dialog "$title" 5 3 "$text" "$title"
    assert_dialog_copy "$DLG" "$(dialog_dump "$title" "$text" 'Да   Нет   ')"
    answer $mrYes Return
    ;;
  *) fail "unknown case '$CASE'" ;;
esac
log "ok ($CASE)"
