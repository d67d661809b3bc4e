#!/usr/bin/env bash
# The browse and manuals buttons hand their folders to the desktop's opener;
# a missing manuals folder is reported, and so is an opener that fails, once
# it ends, without the window waiting for it.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

disc="$IT_TMP/Диск СКУД 'q'"
stage_disc "$disc"
mkdir -p "$IT_TMP/bin"
opened=$IT_TMP/opened
cat >"$IT_TMP/bin/xdg-open" <<SH
#!/bin/sh
printf '%s\n' "\$1" >> '$opened'
SH
chmod +x "$IT_TMP/bin/xdg-open"

start_prog env PATH="$IT_TMP/bin:$PATH" "$disc/skdsetup"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME")

wait_lines() {
  for _ in $(seq $((WAIT * 4))); do
    [[ -e $opened ]] && (($(wc -l <"$opened") >= $1)) && return 0
    sleep 0.25
  done
  fail "the opener was asked $(wc -l <"$opened" 2>/dev/null || echo 0) times, expected $1"
}

log "browse opens the disc, manuals open Docs"
xdotool mousemove --window "$main" 187 241 click 1
wait_lines 1
xdotool mousemove --window "$main" 187 200 click 1
wait_lines 2
expected=$(printf '%s/\n%s/Docs' "$disc" "$disc")
[[ $(cat "$opened") == "$expected" ]] || fail "$(printf 'opened\n%s\nexpected\n%s' "$(cat "$opened")" "$expected")"

log "a missing manuals folder is reported"
rm -r "$disc/Docs"
xdotool mousemove --window "$main" 187 200 click 1
err=$(wait_window 'Ошибка')
assert_dialog_copy "$err" "$(dialog_dump 'Ошибка' 'Ошибка просмотра диска!' 'Ввод   ')"
send_keys "$err" Return
wait_no_window 'Ошибка'
(($(wc -l <"$opened") == 2)) || fail "the opener ran for a missing folder"
assert_running "$menu" "after the report"

log "a slow opener that fails: the window answers meanwhile, the failure comes when it ends"
go=$IT_TMP/go
cat >"$IT_TMP/bin/xdg-open" <<SH
#!/bin/sh
while [ ! -e '$go' ]; do sleep 0.1; done
exit 4
SH
xdotool mousemove --window "$main" 187 241 click 1
q=$(ask_close "$main" "$menu")
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"
[[ -z $(find_windows 'Ошибка') ]] || fail "a failure reported before the opener ended"
touch "$go"
err=$(wait_window 'Ошибка')
send_keys "$err" Return
wait_no_window 'Ошибка'
assert_running "$menu" "after the late report"
log ok
