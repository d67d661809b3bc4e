#!/usr/bin/env bash
# The install button starts the disc's installer (a console program that runs
# five seconds) once, starts nothing while it runs, and works again after it.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_xsession

child=$(realpath "$(dirname "$SKDSETUP")/../../../tests/core/child_5000.exe")
[[ -e $child ]] || fail "no stand-in installer at $child"
disc=$IT_TMP/disc
stage_disc "$disc"
mkdir -p "$disc/Install"
cp "$child" "$disc/Install/setup.exe"
{
  printf '\xff\xfe'
  printf '[SETUP]\r\nWindowName=%s\r\n[PRG]\r\nName=ПО СКУД\r\nLocation=Install\\setup.exe\r\n' \
    "$DISC_NAME" | iconv -f UTF-8 -t UTF-16LE
} >"$disc/setup.ini"

running() { pgrep -fc 'Install.setup\.exe' || true; }
# The install button's centre; Wine's X window is the client area with its
# 2-pixel inner border.
click_install() { xdotool mousemove --window "$1" 91 149 click 1; }
wait_running() {  # wait_running <count>
  for _ in $(seq $((WAIT * 4))); do
    (($(running) == $1)) && return 0
    sleep 0.25
  done
  fail "$(running) installers running, expected $1"
}

start_exe "$disc/$(basename "$SKDSETUP")"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

log "a click starts the installer; a second one while it runs starts nothing"
click_install "$main"
wait_running 1
click_install "$main"
for _ in $(seq 4); do
  (($(running) <= 1)) || fail "the disabled button started a second installer"
  sleep 0.25
done
# Away from the button: its tooltip would come and go during the grab.
xdotool mousemove --window "$main" 300 270
screenshot "$main" "$SHOT_DIR/win32_installing.png"

log "it ends; the button works again"
wait_running 0
started=
for _ in $(seq $((WAIT))); do
  click_install "$main"
  sleep 1
  if (($(running) == 1)); then started=1; break; fi
done
[[ -n $started ]] || fail "the install button did not come back"
wait_running 0
assert_running "$menu" "after the installers"
log ok
