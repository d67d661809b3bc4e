#!/usr/bin/env bash
# What a blind operator hears, with Orca as Debian ships it: the window as
# it opens; the install button found and pressed through flat review (the
# picture buttons take no focus); the installation's start and end, read out
# from the status line; the close question's text and an error's (F1: no
# help), once each.
# What the AT-SPI tree reads of the main window and the close question, and
# Orca's log are saved beside the screenshots (a11y/).
set -euo pipefail
# A private session bus, ended with the test; what it and Orca start by
# themselves (the accessibility registry, speech-dispatcher) carry the mark.
if [[ -z ${SKD_A11Y_SESSION:-} ]]; then
  SKD_A11Y_SESSION=$$.$RANDOM exec dbus-run-session -- bash "$0" "$@"
fi
export SKD_A11Y_SESSION
source "$(dirname "$0")/launcher.sh"
# shellcheck disable=SC2034 # lib.sh's cleanup reads it
IT_MARK=SKD_A11Y_SESSION=$SKD_A11Y_SESSION
session

tree=$SOURCE_DIR/tests/integration/a11y_tree.py
out=$(dirname "$SHOT_DIR")/a11y
mkdir -p "$out"
start_prog /usr/libexec/at-spi-bus-launcher --launch-immediately
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

# Orca and speech-dispatcher in a home of their own, the speech into libao's
# null device (there is no sound card). Orca buffers its debug log unless it
# goes to a terminal: `script` gives it one and writes each line at once.
home=$IT_TMP/home
mkdir -p "$home/.config/speech-dispatcher"
printf '%s\n' 'AudioOutputMethod "libao"' 'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"' \
  'DefaultModule espeak-ng' >"$home/.config/speech-dispatcher/speechd.conf"
echo default_driver=null >"$home/.libao"
speech=$out/orca.log
: >"$speech"  # not the last run's
start_prog env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" \
  XDG_DATA_HOME="$home/.local/share" GSETTINGS_BACKEND=memory LC_ALL=C.UTF-8 \
  script -qfec "orca -u '$home/orca' --debug-file=/dev/tty" "$speech"

said() {  # what Orca said, an utterance a line, from the Nth on
  tr -d '\r' <"$speech" | sed -n "s/^.* - SPEECH OUTPUT: '\(.*\)' *[[{].*$/\1/p" | tail -n "+${1:-1}"
}
spoken() { said | wc -l; }
hear() {  # hear N TEXT: waits until Orca has said a line holding TEXT, from the Nth on
  for _ in $(seq $((WAIT * 10))); do
    grep -qF -- "$2" <(said "$1") && return 0
    sleep 0.1
  done
  fail "$(printf 'Orca did not say "%s"; it said\n%s' "$2" "$(said "$1")")"
}
# Keys, and then Shift, whose echo comes once Orca has said all they made it say.
keys() {
  local n
  n=$(($(spoken) + 1))
  xdotool "$@" key Shift_L
  hear "$n" shift
}
orca_key() { keys keydown Insert key "$1" keyup Insert; }  # with the Orca modifier

hear 1 'Screen reader on'
disc=$IT_TMP/disc
stage_disc "$disc"
put_installer "$disc"
start_prog "${RUN[@]}" "$disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
log "the window as it opens"
hear 1 "$DISC_NAME frame"

has() {  # has FILE LINE: the tree holds that line, however deep
  grep -qxF -- "$2" <(sed 's/^ *//' "$1") || fail "$(printf '%s lacks\n%s\nit reads\n%s' "$1" "$2" "$(cat "$1")")"
}
/usr/bin/python3 "$tree" "$DISC_NAME" "$out/main.txt"
has "$out/main.txt" "frame | $DISC_NAME | "
has "$out/main.txt" "push button | Программное обеспечение СКУД \"Ловерин\" | Установить программное обеспечение СКУД"
has "$out/main.txt" "push button | Инструкции | Руководство оператора"
has "$out/main.txt" "push button | Обзор содержимого диска | "

log "flat review, line by line from the top, finds the install button and presses it"
xdotool windowactivate --sync "$main"
install='Программное обеспечение СКУД "Ловерин" push button.'
orca_key KP_Home
for line in $(seq 12); do
  n=$(($(spoken) + 1))
  orca_key KP_Begin
  grep -qxF "$install" <(said "$n") && break
  ((line < 12)) || fail "flat review found no \"$install\""
  keys key KP_Page_Up
done
grep -qxF 'Установить программное обеспечение СКУД.' <(said "$n") || fail "the install button's hint was not read"
n=$(spoken)
keys key KP_Divide
hear "$n" 'Идет установка ...'

# Asked while the installer runs, over some ticks of its monitor (which must
# not announce the unchanged status again).
log "the close question's text, once"
m=$(spoken)
q=$(ask_close "$main" "$menu")
hear "$m" 'Да push button.'
[[ $(said "$m" | grep -cxF 'Закрыть программу?') == 1 ]] || fail "$(printf 'the question was read\n%s' "$(said "$m")")"
/usr/bin/python3 "$tree" "$CLOSE_CAPTION" "$out/close_question.txt"
has "$out/close_question.txt" "alert | $CLOSE_CAPTION | "
has "$out/close_question.txt" "label | Закрыть программу? | "
send_keys "$q" Escape
wait_no_window "$CLOSE_CAPTION"

log "the installation's end, and its start said once"
: >"$disc/Install/release"
hear "$n" 'СКУД "Ловерин". Версия 4.2'
[[ $(said "$n" | grep -cF 'Идет установка') == 1 ]] || fail "$(printf 'the installation was announced more than once:\n%s' "$(said "$n")")"

log "an error's text, once"
n=$(spoken)
send_keys "$main" F1
hear "$n" 'push button.'
[[ $(said "$n" | grep -cxF 'Ошибка инициализации подсистемы помощи!') == 1 ]] || fail "$(printf 'the error was read\n%s' "$(said "$n")")"
send_keys "$(wait_window 'Помощь' "$WAIT" "$menu")" Return
wait_no_window 'Помощь'
close_menu "$main" "$menu"
log ok
