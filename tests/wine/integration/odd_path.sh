#!/usr/bin/env bash
# A disc copied under a path with blanks, Cyrillic and other characters a
# Windows name may hold (Wine shows it as Z:\...) starts normally. Run under
# a Russian and a Western ANSI code page: with the latter only the wide-char
# calls can reach such a path.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession

dir="$IT_TMP/Дистрибутив №1 (копия) & 'q' \$x; 100%/Диск СКУД 1"
stage_disc "$dir"
start_exe "$dir/$(basename "$SKDSETUP")"
menu=$LAST_PID

main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
[[ -z $(find_windows 'Ошибка') ]] || fail "an error dialog came up"
assert_running "$menu" "with the odd path"

# F1 and the close question work from there too.
send_keys "$main" F1
box=$(wait_window 'Помощь' "$WAIT" "$menu")
send_keys "$box" Return
wait_no_window 'Помощь'
send_keys "$main" alt+F4
q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$menu")
send_keys "$q" Return
assert_exit "$menu" 0
log "ok ($SKD_WINE_LOCALE)"
