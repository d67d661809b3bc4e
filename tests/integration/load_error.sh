#!/usr/bin/env bash
# Without setup.ini beside it the program says so once and ends with code 0,
# without its main window and without asking whether to close.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

case $CASE in
  enter | escape) ;;
  *) fail "unknown case '$CASE'" ;;
esac

empty=$IT_TMP/empty
mkdir -p "$empty"
cp "$SKDSETUP" "$empty/"

# What showed while it runs, looked at often, to catch a close question or a
# main window that comes and goes between two looks.
seen=$IT_TMP/seen
: >"$seen"
(
  while :; do
    [[ -n $(find_windows "$CLOSE_CAPTION") ]] && echo close >>"$seen"
    [[ -n $(find_windows "$BARE_TITLE") ]] && echo main >>"$seen"
    [[ -n $(find_windows 'Ошибка') ]] && echo error >>"$seen"
    sleep 0.05
  done
) &
watcher=$!
IT_PIDS+=("$watcher")

start_prog "${RUN[@]}" "$empty/$MENU"
menu=$LAST_PID

err=$(wait_window 'Ошибка' "$WAIT" "$menu")
[[ $(find_windows 'Ошибка' | wc -l) == 1 ]] || fail "more than one error dialog"
text=$'Не могу загрузить информацию,\nнеобходимую для инсталляции программного обеспечения.'
assert_dialog_copy "$err" "$(dialog_dump 'Ошибка' "$text" 'Ввод   ')"
if [[ $CASE == enter ]]; then send_keys "$err" Return; else send_keys "$err" Escape; fi

assert_exit "$menu" 0
kill "$watcher" 2>/dev/null || true
wait "$watcher" 2>/dev/null || true

grep -qx close "$seen" && fail "the close question was shown"
grep -qx main "$seen" && fail "the main window was shown"
[[ -z $(find_windows "$BARE_TITLE") ]] || fail "the main window stayed"
grep -qx error "$seen" || fail "the watcher never saw the error dialog"
log "ok ($CASE)"
