#!/usr/bin/env bash
# Pictures of every window the program shows, for a person to look over (the
# Win32 ones beside the Qt ones). Fails when one of the windows does not come
# up.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session
mkdir -p "$SHOT_DIR"

stage_disc "$IT_TMP/disc"
stage_disc "$IT_TMP/nostyle" "$NOSTYLE"
mkdir -p "$IT_TMP/empty"
cp "$SKDSETUP" "$IT_TMP/empty/"

log "main window, help error, close question"
start_prog "${RUN[@]}" "$IT_TMP/disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
shot "$main" main_window
send_keys "$main" F1
box=$(wait_window 'Помощь' "$WAIT" "$menu")
shot "$box" help_error
send_keys "$box" Return
wait_no_window 'Помощь'
q=$(ask_close "$main" "$menu")
shot "$q" close_question
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
close_menu "$main" "$menu"

log "load error"
start_prog "${RUN[@]}" "$IT_TMP/empty/$MENU"
menu=$LAST_PID
err=$(wait_window 'Ошибка' "$WAIT" "$menu")
shot "$err" load_error
send_keys "$err" Return
assert_exit "$menu" 0

log "style error"
start_prog "${RUN[@]}" "$IT_TMP/nostyle/$MENU_NOSTYLE"
menu=$LAST_PID
box=$(wait_window 'Error' "$WAIT" "$menu")
shot "$box" style_error
send_keys "$box" Return
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
close_menu "$main" "$menu"

# The other forms through the Qt gallery; tests/win32 pictures their Win32
# twins.
if [[ $LAUNCHER != qt ]]; then
  log ok
  exit 0
fi

log "message dialog kinds"
text=$'Не найден файл установки на диске дистрибутива.\nПроверьте диск и повторите попытку.'
captions=('Предупреждение' 'Ошибка' 'Информация' 'Подтвердите' "$CLOSE_CAPTION" "$DISC_NAME")
buttons=(4 4 4 3 3 3)
for kind in 0 1 2 3 4 5; do
  start_prog "$GALLERY" "$kind" "${buttons[kind]}" "$text" "$DISC_NAME"
  pid=$LAST_PID
  dlg=$(wait_window "${captions[kind]}" "$WAIT" "$pid")
  shot "$dlg" "dialog_kind$kind"
  send_keys "$dlg" Escape
  assert_exit "$pid" 0
done

log "no-rights window: Esc closes it"
start_prog "$GALLERY" --740
pid=$LAST_PID
win=$(wait_window 'Нет прав на запуск приложения' "$WAIT" "$pid")
shot "$win" no_rights
send_keys "$win" Escape
assert_exit "$pid" 0
log "hardware server selection: the arrow keys move the check"
start_prog "$GALLERY" --form SelectServerForm
pid=$LAST_PID out=$LAST_OUT
win=$(wait_window 'Выбор сервера для инсталляции' "$WAIT" "$pid")
send_keys "$win" Down Down
sleep 0.3
shot "$win" select_server
send_keys "$win" alt+F4
assert_exit "$pid" 0
grep -qx '2 4' "$out" || fail "selection ended with: $(cat "$out")"

log "progress window: up while the copy runs, then gone"
start_prog "$GALLERY" --info "$IT_TMP/info.done"
pid=$LAST_PID
win=$(wait_window 'Установка библиотек ...' "$WAIT" "$pid")
shot "$win" info
touch "$IT_TMP/info.done"
assert_exit "$pid" 0

log "version dialog: Escape answers No"
start_prog "$GALLERY" --form VerForm
pid=$LAST_PID out=$LAST_OUT
win=$(wait_window 'О версии InterBase' "$WAIT" "$pid")
shot "$win" version_dialog
send_keys "$win" Escape
assert_exit "$pid" 0
grep -qx '2 -1' "$out" || fail "version dialog ended with: $(cat "$out")"

log "server notice: Escape does nothing, the close box cancels"
start_prog "$GALLERY" --form FBInstallHelpForm
pid=$LAST_PID out=$LAST_OUT
win=$(wait_window 'Полезная информация' "$WAIT" "$pid")
shot "$win" firebird_notice
send_keys "$win" Escape
sleep 0.5
assert_running "$pid" "Escape closed the notice"
send_keys "$win" alt+F4
assert_exit "$pid" 0
grep -qx '2 -1' "$out" || fail "notice ended with: $(cat "$out")"

log "one question of each database command"
ib=$'На Вашем компьютере уже установлен InterBase/FireBird\n(версия 2.5).\nПродолжить установку?'
db=$'Путь к базе данных НЕ ДОЛЖЕН содержать символы национальной\nкодировки (проще говоря, русские буквы!) - в этом случае возможны\nпроблемы с функционированием сервисов InterBase/FireBird (упаковка\nбазы данных и т.п.).\n\nПожалуйста, установливайте базу данных по пути, содержащем\n                  ТОЛЬКО АНГЛИЙСКИЕ БУКВЫ!'
for q in "ib 3 3 Подтвердите" "db 0 4 Предупреждение"; do
  read -r name kind buttons caption <<<"$q"
  [[ $name == ib ]] && text=$ib || text=$db
  start_prog "$GALLERY" "$kind" "$buttons" "$text" "$DISC_NAME"
  pid=$LAST_PID
  dlg=$(wait_window "$caption" "$WAIT" "$pid")
  shot "$dlg" "question_$name"
  send_keys "$dlg" Escape
  assert_exit "$pid" 0
done
log ok
