#!/usr/bin/env bash
# What a screen reader reads of the menu through AT-SPI: the main window's
# tree and the close question's, with the buttons named by their labels and
# the question's text told; the install button pressed by its action, as a
# screen reader presses it (it takes no focus), and the status line's change
# announced. The trees are saved beside the screenshots (a11y/).
set -euo pipefail
# A private session bus, ended with the test, for the accessibility bus.
if [[ -z ${SKD_A11Y_SESSION:-} ]]; then
  SKD_A11Y_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi
source "$(dirname "$0")/launcher.sh"
session

tree=$SOURCE_DIR/tests/integration/a11y_tree.py
out=$(dirname "$SHOT_DIR")/a11y
mkdir -p "$out"
start_prog /usr/libexec/at-spi-bus-launcher --launch-immediately
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

disc=$IT_TMP/disc
stage_disc "$disc"
put_installer "$disc"
start_prog "${RUN[@]}" "$disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

has() {  # has FILE LINE: the tree holds that line, however deep
  grep -qxF -- "$2" <(sed 's/^ *//' "$1") || fail "$(printf '%s lacks\n%s\nit reads\n%s' "$1" "$2" "$(cat "$1")")"
}

log "the main window"
/usr/bin/python3 "$tree" dump "$DISC_NAME" "$out/main.txt"
has "$out/main.txt" "frame | $DISC_NAME | "
has "$out/main.txt" "push button | Программное обеспечение СКУД \"Ловерин\" | Установить программное обеспечение СКУД"
has "$out/main.txt" "push button | Инструкции | Руководство оператора"
has "$out/main.txt" "push button | Обзор содержимого диска | "

log "the close question"
q=$(ask_close "$main" "$menu")
/usr/bin/python3 "$tree" dump "$CLOSE_CAPTION" "$out/close_question.txt"
has "$out/close_question.txt" "alert | $CLOSE_CAPTION | Закрыть программу?"
has "$out/close_question.txt" "label | Закрыть программу? | "
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"

log "pressed by its action, the install button announces the installation"
/usr/bin/python3 "$tree" press "$DISC_NAME" 'Программное обеспечение СКУД "Ловерин"' 'Идет установка ...'
: >"$disc/Install/release"
close_menu "$main" "$menu"
log ok
