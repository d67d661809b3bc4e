#!/usr/bin/env bash
# The install button starts the disc's installer once, stays off while it
# runs and comes back when it ends; a missing installer is reported.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
it_xsession

disc=$IT_TMP/disc
stage_disc "$disc"
ran=$IT_TMP/ran
release=$IT_TMP/release
# Runs until the test lets it end, however slow the machine, but never
# longer than the test may last: a missed release cannot leave it behind.
write_installer() {  # write_installer <release file>
  cat >"$disc/Install/setup.sh" <<SH
#!/bin/sh
echo started >> '$ran'
n=0
while [ ! -e '$1' ] && [ \$n -lt 1200 ]; do sleep 0.1; n=\$((n + 1)); done
SH
  chmod +x "$disc/Install/setup.sh"
}
write_installer "$release"

count() { [[ -e $ran ]] && wc -l <"$ran" || echo 0; }
wait_count() {
  for _ in $(seq $((WAIT * 4))); do
    (($(count) >= $1)) && return 0
    sleep 0.25
  done
  fail "the installer ran $(count) times, expected $1"
}
# The install button's centre, inside the 2-pixel inner border.
click_install() { xdotool mousemove --window "$1" 91 149 click 1; }

# From a parent that ignores SIGCHLD, which the menu inherits through exec:
# it must still see its installers end.
start_prog perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV or die' "$disc/skdsetup"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME")

log "a click starts the installer"
click_install "$main"
wait_count 1
sleep 1.5
screenshot "$main" "$SHOT_DIR/qt_installing.png"

log "a second click while it runs starts nothing"
click_install "$main"
sleep 1
(($(count) == 1)) || fail "a disabled button started the installer again"

log "the button comes back once the installer has ended"
touch "$release"
for _ in $(seq $((WAIT))); do
  click_install "$main"
  sleep 1
  (($(count) >= 2)) && break
done
(($(count) == 2)) || fail "the install button did not come back"

log "without the installer: the failure report"
rm "$disc/Install/setup.sh"
for _ in $(seq $((WAIT))); do
  click_install "$main"
  sleep 1
  [[ -n $(find_windows 'Ошибка') ]] && break
done
err=$(wait_window 'Ошибка')
assert_dialog_copy "$err" "$(dialog_dump 'Ошибка' \
  "$(printf 'Невозможно выполнить "Программное обеспечение СКУД "Ловерин"":\nфайл приложения не найден.')" \
  'Ввод   ')"
screenshot "$err" "$SHOT_DIR/qt_launch_error.png"
send_keys "$err" Return
wait_no_window 'Ошибка'
assert_running "$menu" "after the report"

log "closing the menu leaves a running installer running"
write_installer "$release.2"
click_install "$main"
wait_count 3
q=$(ask_close "$main")
send_keys "$q" Return
assert_exit "$menu" 0
pgrep -f "$disc/Install/setup.sh" >/dev/null || fail "the installer ended with the menu"
touch "$release.2"
log ok
