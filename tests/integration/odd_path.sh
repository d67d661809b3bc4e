#!/usr/bin/env bash
# A disc copied under a path with blanks, Cyrillic, quotes, shell syntax and
# a backslash (a letter of a name on Linux) still starts normally: nothing
# along the way may split, expand or reinterpret it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

dir="$IT_TMP/Диск СКУД\\копия 'q' \"w\" \$(echo) \`true\`"
stage_disc "$dir"
start_prog "$dir/skdsetup"
menu=$LAST_PID

main=$(wait_window "$DISC_NAME")
[[ -z $(find_windows 'Ошибка') ]] || fail "an error dialog came up"
assert_running "$menu" "with the odd path"
q=$(ask_close "$main")
send_keys "$q" Return
assert_exit "$menu" 0
log ok
