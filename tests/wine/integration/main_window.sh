#!/usr/bin/env bash
# The sample disc's main window: its caption, its fixed client size, centred,
# and no resizing by the window manager.
set -euo pipefail
# shellcheck source=../../integration/launcher.sh
source "$(dirname "$0")/../../integration/launcher.sh"
session

stage_disc "$IT_TMP/disc"
start_prog "${RUN[@]}" "$IT_TMP/disc/$MENU"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
[[ $(find_windows "$DISC_NAME" | wc -l) == 1 ]] || fail "more than one main window"
[[ -z $(find_windows 'Ошибка') ]] || fail "an error dialog came up"

# Wine leaves the caption and the outer frame of a WS_CAPTION window to the
# window manager and gives its own X window the rest of the Win32 window
# rect, with no child X window for the client area. That rest is the client
# area plus the 2-pixel inner border the form paints as non-client area
# (the layout's InnerBorder), so the 482 x 281 client shows as 486 x 285.
border=2
want="$((482 + 2 * border)) $((281 + 2 * border))"
size=$(window_size "$main")
[[ $size == "$want" ]] || fail "X window is $size, expected $want (client 482 x 281)"
# That the frame is the window manager's, not Wine's: it reports a caption.
extents=$(xprop -id "$main" _NET_FRAME_EXTENTS | sed -n 's/.*= //p')
read -r _ _ top _ <<<"${extents//,/ }"
((${top:-0} > 0)) || fail "the window manager draws no caption (frame extents: '$extents')"

log "centred on the screen"
frame=$(frame_of "$main")
read -r sw sh < <(xwininfo -root | awk '/^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print w, h}')
read -r fx fy fw fh < <(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4}
    /Absolute upper-left Y/ {y=$4} /^ *Width:/ {w=$2} /^ *Height:/ {h=$2} END {print x, y, w, h}')
# Wine's idea of the caption height may differ from openbox's by a few pixels.
dx=$((2 * fx + fw - sw)) dy=$((2 * fy + fh - sh))
((${dx#-} <= 20 && ${dy#-} <= 20)) ||
  fail "frame at $fx,$fy size ${fw}x$fh is not centred on ${sw}x$sh"

log "not resizable"
actions=$(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)
[[ $actions != *_NET_WM_ACTION_RESIZE* ]] || fail "the window manager offers resizing: $actions"
[[ $actions != *_NET_WM_ACTION_MAXIMIZE* ]] || fail "the window manager offers maximizing: $actions"
hints=$(xprop -id "$main" WM_NORMAL_HINTS)
if ! grep -q "minimum size: ${want/ / by }" <<<"$hints" ||
  ! grep -q "maximum size: ${want/ / by }" <<<"$hints"; then
  fail "size hints do not fix the size: $hints"
fi
for request in "700 500" "300 200"; do
  read -r w h <<<"$request"
  read -r x0 _ < <(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4}
      /Absolute upper-left Y/ {y=$4} END {print x, y}')
  # Both go to the window manager as requests, in order: once the move
  # shows, the resize has been dealt with.
  xdotool windowsize "$main" "$w" "$h"
  xdotool windowmove "$main" $((x0 + 10)) "$fy"
  moved=
  for _ in $(seq $((WAIT * 10))); do
    read -r x1 _ < <(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4}
        /Absolute upper-left Y/ {y=$4} END {print x, y}')
    [[ $x1 != "$x0" ]] && { moved=1; break; }
    sleep 0.1
  done
  [[ -n $moved ]] || fail "the window did not move after the resize request"
  # And a little longer for Wine to answer the size change, if it would.
  for _ in $(seq 10); do
    size=$(window_size "$main")
    [[ $size == "$want" ]] || fail "asked for $w x $h, the window became $size"
    sleep 0.1
  done
done
assert_running "$menu" "after the resize attempts"

close_menu "$main" "$menu"
log ok
