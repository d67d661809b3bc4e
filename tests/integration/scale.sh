#!/usr/bin/env bash
# The menu and its close question at 100, 125, 150 and 200 % screen scale,
# pictured as <qt|win32>_scale_<percent>_{main,dialog}.png. Scaled back down,
# each window's client area must look like its 100 % self: a picture left at
# its 96-dpi size, a cut label, a control out of place or a window that did
# not grow all push the difference over the limit.
set -euo pipefail
source "$(dirname "$0")/launcher.sh"
# shellcheck source=../scale_lib.sh
source "$SOURCE_DIR/tests/scale_lib.sh"

# Per window: the largest normalised RMSE (after scale_lib's blur), and how
# many pixels its size may be off its 100 % size times the scale. The toolkits
# scale differently, so each has limits of its own, measured.
declare -A max_rmse slack
if [[ $LAUNCHER == qt ]]; then
  # Twice what a correct window measures (up to 0.018, the text being hinted
  # anew at each size), half what the main window measures with its pictures
  # left at their 96-dpi size (0.067 and more).
  max_rmse=([main]=0.035 [dialog]=0.035)
  slack=([main]=3 [dialog]=3)
  unset QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
  start_at() {
    local factor
    factor=$(awk -v p="$1" 'BEGIN { print p / 100 }')
    shift
    start_prog env QT_SCALE_FACTOR="$factor" "$@"
  }
else
  # Measured: the main window 0.028-0.038, with its pictures left at their
  # 100 % size 0.075-0.083; the dialog 0.034-0.052 (its stepwise growth costs
  # a little at 125 %), with its icon left at 32 pixels 0.109-0.132, and at
  # 200 % too low for the size check. The dialog is laid out in units of its
  # font's average character, a whole number of pixels, so it grows in steps.
  max_rmse=([main]=${SKD_SCALE_MAX_RMSE_MAIN:-0.058} [dialog]=${SKD_SCALE_MAX_RMSE_DIALOG:-0.08})
  slack=([main]=3 [dialog]=20)
  # Wine's LogPixels; a running session keeps the scale it started with.
  set_log_pixels() {
    local rc=0
    "$WINE_SH" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
      </dev/null >/dev/null 2>&1 || rc=$?
    wine_stop
    return "$rc"
  }
  # The prefix is shared: it is back at 96 afterwards.
  scale_cleanup() {
    local rc=$?
    set +e
    set_log_pixels 96 || echo "WARNING: could not put LogPixels back to 96 in $SKD_WINEPREFIX" >&2
    (exit "$rc")
    it_cleanup
  }
  trap scale_cleanup EXIT
  start_at() {
    set_log_pixels $(($1 * 96 / 100)) || fail "could not set LogPixels for $1 %"
    shift
    start_prog "${RUN[@]}" "$@"
  }
fi

session
mkdir -p "$SHOT_DIR"
stage_disc "$IT_TMP/disc"
# The pointer rests off every window, so no button shows its hover frame.
xdotool mousemove 1023 767

declare -A area
for pct in 100 125 150 200; do
  log "at $pct %"
  start_at "$pct" "$IT_TMP/disc/$MENU"
  shoot_and_close "$LAST_PID" "${SHOTS}_scale" "$pct"
done

over=()
for pct in 125 150 200; do
  scale=$(awk -v p="$pct" 'BEGIN { print p / 100 }')
  for win in main dialog; do
    rmse=$(SCALE_SIZE_SLACK=${slack[$win]} scale_rmse "$SHOT_DIR/${SHOTS}_scale_${pct}_$win.png" \
      "$SHOT_DIR/${SHOTS}_scale_100_$win.png" "$scale" "${area[$pct.$win]}" "${area[100.$win]}") ||
      fail "$win window at $pct %: no comparison"
    log "$pct % $win: client ${area[$pct.$win]%%+*}, RMSE $rmse (limit ${max_rmse[$win]})"
    if awk -v r="$rmse" -v m="${max_rmse[$win]}" 'BEGIN { exit !(r > m) }'; then
      over+=("$win at $pct %: $rmse")
    fi
  done
done
((${#over[@]} == 0)) || fail "scaled down, these differ too much from 100 %: ${over[*]}"
log ok
