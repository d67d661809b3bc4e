#!/usr/bin/env bash
# A disc copied under a path with blanks, Cyrillic, quotes and shell syntax
# still starts normally: nothing along the way may split or expand it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

dir="$IT_TMP/Диск СКУД 'q' \"w\" \$(echo) \`true\`"
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
