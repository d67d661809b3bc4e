#!/usr/bin/env bash
# The install button starts the disc's installer once, stays off while it
# runs and comes back when it ends; a missing installer is reported; closing
# the menu leaves a running installer running.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
session

disc=$IT_TMP/disc
stage_disc "$disc"
put_installer "$disc"
# The stand-in notes its starts and ends in `ran` and runs until `release`
# shows: it waits for the test however slow the machine.
ran=$disc/Install/ran
release=$disc/Install/release
: >"$ran"

count() { grep -cx "$1" "$ran" || true; }
at_least() { (($(count "$1") >= $2)); }
shown() { [[ -n $(find_windows "$1") ]]; }
wait_count() {  # wait_count started|ended N [failure]
  for _ in $(seq $((WAIT * 4))); do
    at_least "$1" "$2" && return 0
    sleep 0.25
  done
  fail "${3:-the installer $1 $(count "$1") times, expected $2}"
}
# The install button's centre, inside the 2-pixel inner border (under Wine
# the X window is the client area with that border).
click_install() { xdotool mousemove --window "$1" 91 149 click 1; }
# Clicks until the condition holds: the button may take a moment to come back.
click_until() {
  for _ in $(seq $((WAIT))); do
    click_install "$main"
    sleep 1
    "$@" && return 0
  done
  return 1
}

# From a parent that ignores SIGCHLD, which the menu inherits through exec:
# it must still see its installers end.
start_prog perl -e '$SIG{CHLD} = "IGNORE"; exec @ARGV or die' "${RUN[@]}" "$disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

log "a click starts the installer"
click_install "$main"
wait_count started 1
sleep 1.5
# Away from the button: its tooltip would come and go during the grab.
xdotool mousemove --window "$main" 300 270
shot "$main" installing

log "a second click while it runs starts nothing"
click_install "$main"
sleep 1
(($(count started) == 1)) || fail "a disabled button started the installer again"

log "the button comes back once the installer has ended"
touch "$release"
wait_count ended 1
click_until at_least started 2 || true
(($(count started) == 2)) || fail "the install button did not come back"
wait_count ended 2
assert_running "$menu" "after the installers"

log "without the installer: the failure report"
rm "$INSTALLER"
click_until shown 'Ошибка' || true
err=$(wait_window 'Ошибка' "$WAIT" "$menu")
assert_dialog_copy "$err" "$(dialog_dump 'Ошибка' \
  "$(printf 'Невозможно выполнить "Программное обеспечение СКУД "Ловерин"":\nфайл приложения не найден.')" \
  'Ввод   ')"
# Under Wine tests/win32 pictures this dialog under the same name.
[[ $LAUNCHER == wine ]] || shot "$err" launch_error
send_keys "$err" Return
wait_no_window 'Ошибка'
assert_running "$menu" "after the report"

log "closing the menu leaves a running installer running"
rm "$release"
put_installer "$disc"
click_install "$main"
wait_count started 3
close_menu "$main" "$menu"
# An installer ended with the menu would never note its end once released.
(($(count ended) == 2)) || fail "the installer ended before its release"
touch "$release"
wait_count ended 3 "the installer ended with the menu"
log ok
