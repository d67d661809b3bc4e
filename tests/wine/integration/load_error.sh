#!/usr/bin/env bash
# Without setup.ini beside it the exe says so once and ends with code 0,
# without asking whether to close.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession

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

start_exe "$empty/$(basename "$SKDSETUP")"
menu=$LAST_PID

err=$(wait_window 'Ошибка' "$WAIT" "$menu")
[[ $(find_windows 'Ошибка' | wc -l) == 1 ]] || fail "more than one error dialog"
if have_clipboard_reader; then
  text=$'Не могу загрузить информацию,\nнеобходимую для инсталляции программного обеспечения.'
  assert_dialog_copy "$err" "$(dialog_dump 'Ошибка' "$text" 'Ввод   ')"
else
  log "no clipboard reader: the dialog's text is not checked"
fi
if [[ $CASE == enter ]]; then send_keys "$err" Return; else send_keys "$err" Escape; fi

assert_exit "$menu" 0
kill "$watcher" 2>/dev/null || true
wait "$watcher" 2>/dev/null || true

grep -qx close "$seen" && fail "the close question was shown"
grep -qx main "$seen" && fail "the main window was shown"
grep -qx error "$seen" || fail "the watcher never saw the error dialog"
log "ok ($CASE)"
