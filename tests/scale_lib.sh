# shellcheck shell=bash
# Sourced: compares a window drawn at a screen scale with the same window at
# 100 %. Only the client area counts: the window manager's frame does not
# scale with the program.
#
# client_area WINDOW
#   The window's client area inside the screenshot tests/integration/lib.sh's
#   `screenshot` takes of it (window plus frame), as WxH+X+Y. Needs lib.sh's
#   frame_of.
#
# scale_rmse SHOT SHOT100 SCALE [AREA AREA100]
#   SHOT shows the window at SCALE (1.25 for 125 %), SHOT100 at 100 %; AREA
#   and AREA100 are their client areas (WxH+X+Y), the whole pictures when
#   left out. Prints the normalised RMSE (0 same .. 1 opposite, as
#   `compare -metric RMSE` gives it in parentheses) between SHOT's area
#   scaled down to AREA100's size and SHOT100's area, both softened by a
#   Gaussian blur of one pixel first: text hinted anew at each size and
#   half-pixel shifts then weigh little, a picture of the wrong size still
#   much. Fails, saying why on stderr, when SHOT's area is not SCALE times
#   AREA100 within SCALE_SIZE_SLACK pixels (default 3) each way: a window
#   that did not grow would otherwise compare well.

client_area() {
  local w=$1 frame cw ch cx cy fx fy
  frame=$(frame_of "$w")
  read -r cw ch cx cy < <(xwininfo -id "$w" | awk '/Absolute upper-left X/ {x=$4}
      /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print w, h, x, y}')
  read -r fx fy < <(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4}
      /Absolute upper-left Y/ {y=$4} END {print x, y}')
  printf '%sx%s+%s+%s' "$cw" "$ch" "$((cx - fx))" "$((cy - fy))"
}

# The size part of a WxH+X+Y geometry, as "W H".
_scale_size() {
  local g=${1%%+*}
  printf '%s %s' "${g%x*}" "${g#*x}"
}

scale_rmse() {
  local shot=$1 shot100=$2 scale=$3 area=${4:-} area100=${5:-}
  local slack=${SCALE_SIZE_SLACK:-3} w h w100 h100 out='' rc=0 tmp
  [[ -n $area ]] || area=$(identify -format '%wx%h+0+0' "$shot") || return 1
  [[ -n $area100 ]] || area100=$(identify -format '%wx%h+0+0' "$shot100") || return 1
  read -r w h <<<"$(_scale_size "$area")"
  read -r w100 h100 <<<"$(_scale_size "$area100")"
  if ! awk -v w="$w" -v h="$h" -v w0="$w100" -v h0="$h100" -v s="$scale" -v k="$slack" \
    'function abs(x) { return x < 0 ? -x : x }
     BEGIN { exit !(abs(w - w0 * s) <= k && abs(h - h0 * s) <= k) }'; then
    echo "scale_rmse: $shot is ${w}x$h, expected about ${w100}x$h100 times $scale" >&2
    return 1
  fi
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/scale-rmse.XXXXXX") || return 1
  convert "$shot" -crop "$area" +repage -alpha off -resize "${w100}x${h100}!" -blur 0x1 \
    "$tmp/a.png" &&
    convert "$shot100" -crop "$area100" +repage -alpha off -blur 0x1 "$tmp/b.png" || rc=2
  # compare prints "absolute (normalised)" on stderr and exits 1 when the
  # pictures differ at all, 2 on an error.
  ((rc == 0)) && { out=$(compare -metric RMSE "$tmp/a.png" "$tmp/b.png" null: 2>&1) || rc=$?; }
  rm -rf "$tmp"
  if ((rc > 1)) || [[ $out != *'('*')'* ]]; then
    echo "scale_rmse: could not compare $shot with $shot100: $out" >&2
    return 1
  fi
  out=${out#*(}
  printf '%s\n' "${out%%)*}"
}

# shoot_and_close PID NAME PCT
#   Screenshots the main window of the menu PID and its close question as
#   $SHOT_DIR/NAME_PCT_main.png and NAME_PCT_dialog.png, keeps their client
#   areas in the caller's global array `area` (keys PCT.main, PCT.dialog),
#   answers No, then closes the menu with Yes. Needs lib.sh.
shoot_and_close() {
  local pid=$1 name=$2 pct=$3 main q
  main=$(wait_window "$DISC_NAME" "$WAIT" "$pid")
  screenshot "$main" "$SHOT_DIR/${name}_${pct}_main.png"
  area[$pct.main]=$(client_area "$main")
  send_keys "$main" alt+F4
  q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$pid")
  screenshot "$q" "$SHOT_DIR/${name}_${pct}_dialog.png"
  area[$pct.dialog]=$(client_area "$q")
  send_keys "$q" Escape
  wait_no_window "$CLOSE_CAPTION"
  assert_running "$pid" "after No"
  send_keys "$main" alt+F4
  q=$(wait_window "$CLOSE_CAPTION" "$WAIT" "$pid")
  send_keys "$q" Return
  assert_exit "$pid" 0
}
