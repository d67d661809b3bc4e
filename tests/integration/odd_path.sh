#!/usr/bin/env bash
# A disc copied under a path with blanks, Cyrillic, quotes, shell syntax and
# other characters a name may hold starts normally: nothing along the way may
# split, expand or reinterpret it, and F1 and the close question work from
# there. Under Wine (the path shown as Z:\...) it runs under a Russian and a
# Western ANSI code page: with the latter only the wide-char calls reach it.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

dirs=("$IT_TMP/Дистрибутив №1 (копия) & 'q' \$x; 100%/Диск СКУД 1")
# A backslash (a letter of a Linux name) and double quotes cannot be in a
# Windows name.
if [[ $LAUNCHER == qt ]]; then
  dirs+=("$IT_TMP/Диск СКУД\\копия 'q' \"w\" \$(echo) \`true\`")
fi

for dir in "${dirs[@]}"; do
  log "from $dir"
  stage_disc "$dir"
  start_prog "${RUN[@]}" "$dir/$MENU"
  menu=$LAST_PID
  main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
  [[ -z $(find_windows 'Ошибка') ]] || fail "an error dialog came up"
  assert_running "$menu" "with the odd path"
  send_keys "$main" F1
  box=$(wait_window 'Помощь' "$WAIT" "$menu")
  send_keys "$box" Return
  wait_no_window 'Помощь'
  close_menu "$main" "$menu"
done
log "ok${SKD_WINE_LOCALE:+ ($SKD_WINE_LOCALE)}"
