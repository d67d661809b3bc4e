# Sourced by launcher.sh (and the disc and release tests) with
#   SKDSETUP SKDSETUP_NOSTYLE DIALOG_GALLERY SOURCE_DIR SHOT_DIR [CASE]
# DIALOG_GALLERY may be /dev/null. Each test has a private X display of its
# own, so tests can run side by side. Whatever a test starts is stopped on
# exit, failed or not.

# shellcheck disable=SC2034 # the tests use these
SKDSETUP=$(realpath "$1")
NOSTYLE=$(realpath "$2")
GALLERY=$(realpath "$3")
SOURCE_DIR=$(realpath "$4")
SHOT_DIR=$5
CASE=${6:-}

# shellcheck disable=SC2034
DISC_NAME='СКУД "Ловерин". Диск дистрибутива'
BARE_TITLE='LDTK. Инсталлятор'
CLOSE_CAPTION='Завершение работы'
DASHES='---------------------------'

# Generous: a loaded machine may take long to start Qt.
WAIT=${SKD_IT_WAIT:-30}

IT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/skd-it.XXXXXX")
IT_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  if [[ -n ${DISPLAY:-} ]]; then
    echo "visible windows:" >&2
    list_windows >&2 || true
  fi
  exit 1
}

log() { echo "-- $*"; }

# Ends every program of the test's Wine prefix (IT_WINEPREFIX, set by a test
# that runs Wine), its server, and what Wine started outside its session (a
# Unix script it was handed).
wine_stop() {
  [[ -n ${IT_WINEPREFIX:-} && -d $IT_WINEPREFIX ]] || return 0
  local server=/usr/lib/wine/wineserver
  [[ -x $server ]] || server=$(command -v wineserver)
  WINEPREFIX=$IT_WINEPREFIX "$server" -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$IT_WINEPREFIX timeout 30 "$server" -w </dev/null >/dev/null 2>&1 || true
  # shellcheck disable=SC2046 # one id per word
  procs_end $(procs_marked "" "$IT_WINEPREFIX")
}

it_cleanup() {
  local rc=$? pid
  trap - EXIT
  # A second signal (timeout signals the command and then its group) must
  # not cut the cleaning short.
  trap '' INT TERM
  set +e
  # Wine goes before the X server it draws on.
  wine_stop
  # Programs first: xsession_stop waits for every child of this shell.
  for pid in "${IT_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${IT_PIDS[@]}"; do
    for _ in $(seq 30); do is_running "$pid" || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  # What those started in turn (installers, openers), anything else
  # running from this test's folder, and what carries the test's IT_MARK
  # ("NAME=value" of its environment; what a private D-Bus starts).
  procs_end $(procs_marked "${IT_MARK:-}" "$IT_TMP")
  [[ -n ${XSESSION_XVFB:-} ]] && xsession_stop
  rm -rf "$IT_TMP"
  exit "$rc"
}
trap it_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# shellcheck source=../../scripts/xsession.sh
source "$SOURCE_DIR/scripts/xsession.sh"
# shellcheck source=../../scripts/procs.sh
source "$SOURCE_DIR/scripts/procs.sh"

# Two tests starting at once can pick the same display number, and one Xvfb
# then loses the lock while looking alive; starts are therefore taken in turn
# and the display is only used when our own Xvfb holds its lock.
it_xsession() {
  local n owner
  unset QT_QPA_PLATFORM
  export XDG_RUNTIME_DIR=$IT_TMP/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  for _ in 1 2 3 4 5; do
    {
      flock 9
      xsession_start
      # Xvfb and openbox inherit the descriptor; the lock must not stay with them.
      flock -u 9
    } 9>"${TMPDIR:-/tmp}/skd-it-xsession.lock"
    n=${DISPLAY#:}
    owner=$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null || true)
    if [[ $owner == "$XSESSION_XVFB" ]] && kill -0 "$XSESSION_XVFB" 2>/dev/null; then
      # Activation and Alt+F4 need the window manager up, not just started.
      for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.1
      done
    fi
    xsession_stop || true
    unset XSESSION_XVFB XSESSION_WM DISPLAY
  done
  fail "could not start a private X session"
}

# A copy of the sample disc with `exe` beside its setup.ini, in `dir`.
stage_disc() {
  local dir=$1 exe=${2:-$SKDSETUP}
  mkdir -p "$dir"
  cp -r "$SOURCE_DIR/examples/disc/." "$dir/"
  cp "$exe" "$dir/"
}

# Starts a program in the background; its pid is left in LAST_PID, its
# standard output goes to LAST_OUT, the errors beside it.
start_prog() {
  LAST_OUT=$IT_TMP/out.${#IT_PIDS[@]}
  "$@" >"$LAST_OUT" 2>"$LAST_OUT.err" &
  LAST_PID=$!
  IT_PIDS+=("$LAST_PID")
}

# Running and not yet a zombie.
is_running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

assert_running() {
  is_running "$1" || fail "$2: the program has ended"
}

# Waits up to `timeout` seconds for the program to end and checks its code.
assert_exit() {
  local pid=$1 expected=$2 timeout=${3:-$WAIT} rc=0
  for _ in $(seq $((timeout * 10))); do
    is_running "$pid" || break
    sleep 0.1
  done
  is_running "$pid" && fail "the program (pid $pid) did not end within ${timeout}s"
  wait "$pid" || rc=$?
  [[ $rc == "$expected" ]] || fail "exit code $rc, expected $expected"
}

# ERE for exactly `text`: xdotool matches names as extended regexes.
exact_re() {
  local s
  # shellcheck disable=SC2016 # a literal bracket expression
  s=$(printf '%s' "$1" | sed 's/[][\.*^$(){}?+|/]/\\&/g')
  printf '^%s$' "$s"
}

# Visible windows named exactly `name`, optionally only those of `pid`.
find_windows() {
  local name=$1 pid=${2:-}
  if [[ -n $pid ]]; then
    xdotool search --all --onlyvisible --pid "$pid" --name "$(exact_re "$name")" 2>/dev/null || true
  else
    xdotool search --onlyvisible --name "$(exact_re "$name")" 2>/dev/null || true
  fi
}

# Prints the id of the visible window named `name` once it shows.
wait_window() {
  local name=$1 timeout=${2:-$WAIT} pid=${3:-} w
  for _ in $(seq $((timeout * 10))); do
    w=$(find_windows "$name" "$pid" | head -1)
    if [[ -n $w ]]; then
      echo "$w"
      return 0
    fi
    sleep 0.1
  done
  fail "no window \"$name\" within ${timeout}s"
}

wait_no_window() {
  local name=$1 timeout=${2:-$WAIT}
  for _ in $(seq $((timeout * 10))); do
    [[ -z $(find_windows "$name") ]] && return 0
    sleep 0.1
  done
  fail "window \"$name\" still shown after ${timeout}s"
}

# Alt+F4 to the main window until the close question (of `pid`, when given)
# shows, whose id is printed: on a loaded machine a window can be on screen a
# moment before it takes keys, and that first key is lost.
ask_close() {
  local main=$1 pid=${2:-} q
  for _ in $(seq 5); do
    send_keys "$main" alt+F4
    for _ in $(seq $((WAIT * 2))); do
      q=$(find_windows "$CLOSE_CAPTION" "$pid" | head -1)
      [[ -n $q ]] && { echo "$q"; return 0; }
      sleep 0.1
    done
  done
  fail "no close question after Alt+F4"
}

# Yes to the close question of the menu `pid`, which must then end with 0.
close_menu() {
  local q
  q=$(ask_close "$1" "$2")
  send_keys "$q" Return
  assert_exit "$2" 0
}

list_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    printf '%s "%s"\n' "$w" "$(xdotool getwindowname "$w" 2>/dev/null)"
  done
}

# Keys go to the active window, so the window is activated first.
send_keys() {
  local w=$1
  shift
  xdotool windowactivate --sync "$w" >/dev/null 2>&1 ||
    fail "could not activate window $w"
  xdotool key --clearmodifiers "$@"
}

# The clipboard text with the line breaks as "\n"; empty when there is none.
# Dialogs copy their text with Ctrl+C; the gallery program reads it back.
clipboard_text() {
  local t
  t=$(timeout 20 "$GALLERY" --clipboard 2>/dev/null) || true
  t=${t//$'\r\n'/$'\n'}
  t=${t//$'\r'/$'\n'}
  printf '%s' "$t"
}

have_clipboard_reader() { [[ $GALLERY != /dev/null ]]; }

# Presses Ctrl+C in the dialog and checks what it copied; without a reader
# of the clipboard it says so and checks nothing.
assert_dialog_copy() {
  local w=$1 expected=$2 got=
  have_clipboard_reader || { log "no clipboard reader: the dialog's copy is not checked"; return 0; }
  send_keys "$w" ctrl+c
  for _ in $(seq 20); do
    got=$(clipboard_text)
    [[ $got == "$expected" ]] && return 0
    sleep 0.25
  done
  fail "$(printf 'dialog copied\n%s\nexpected\n%s' "$got" "$expected")"
}

# The dump the program's own dialog copies: caption, text, buttons.
dialog_dump() {
  local caption=$1 text=$2 buttons=$3
  printf '%s\n%s\n%s\n%s\n%s\n%s\n%s' "$DASHES" "$caption" "$DASHES" "$text" "$DASHES" \
    "$buttons" "$DASHES"
}

# The top-level ancestor of a client window: the frame the window manager
# put around it.
frame_of() {
  local w=$1 parent root
  root=$(xwininfo -root | awk '/Window id:/ {print $4}')
  for _ in $(seq 10); do
    parent=$(xwininfo -tree -id "$w" | awk '/Parent window id:/ {print $4}')
    [[ -z $parent || $((parent)) == $((root)) ]] && break
    w=$parent
  done
  printf '%s' "$w"
}

colours() { convert "$@" -format '%k' info:; }

# Saves the window with its frame as PNG. Qt maps a window before it has
# painted all of it, so the picture is taken once the window is no longer
# one flat colour and a second of grabs has not changed.
screenshot() {
  local w=$1 out=$2 frame same=0 painted='' geo cw ch cx cy fx fy
  local f0=$IT_TMP/frame.0 f1=$IT_TMP/frame.1 c0=$IT_TMP/client.0 c1=$IT_TMP/client.1
  frame=$(frame_of "$w")
  mkdir -p "$(dirname "$out")"
  : >"$f0"
  : >"$c0"
  for _ in $(seq 100); do
    if ! xwd -silent -id "$frame" >"$f1" || ! xwd -silent -id "$w" >"$c1"; then
      fail "could not grab window $w"
    fi
    [[ -z $painted ]] && (($(colours "xwd:$c1") > 1)) && painted=1
    if [[ -n $painted ]] && cmp -s "$f0" "$f1" && cmp -s "$c0" "$c1"; then
      ((++same >= 4)) && break
    else
      same=0
    fi
    mv "$f1" "$f0"
    mv "$c1" "$c0"
    sleep 0.25
  done
  [[ -n $painted ]] || fail "window $w was never painted"
  # Still changing after all that (an animation): the last grab will do.
  [[ -e $f1 ]] || { f1=$f0; c1=$c0; }

  # Where the window sits inside its frame.
  geo=$(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print w, h, x, y}')
  read -r cw ch cx cy <<<"$geo"
  read -r fx fy < <(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4}
      /Absolute upper-left Y/ {y=$4} END {print x, y}')
  local at="+$((cx - fx))+$((cy - fy))"
  if (($(colours "xwd:$f1" -crop "${cw}x${ch}$at" +repage) == 1)); then
    # On Xvfb with openbox some windows stay blank on the screen until they
    # are exposed again, though the window itself has drawn: say so, and
    # show what it drew inside the frame.
    echo "WARNING: window \"$(xdotool getwindowname "$w")\" is blank on the screen;" \
      "$out shows its own contents in the frame" >&2
    convert "xwd:$f1" "xwd:$c1" -geometry "$at" -composite "$out" || fail "could not write $out"
  else
    convert "xwd:$f1" "$out" || fail "could not write $out"
  fi
  log "screenshot $out"
}
