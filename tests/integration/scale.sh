#!/usr/bin/env bash
# The menu and its close question at 100, 125, 150 and 200 % screen scale.
# Scaled back down, each window's client area must look like its 100 % self:
# a picture left at its 96-dpi size, a control out of place or a window that
# did not grow all push the difference over the limit.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
# shellcheck source=../scale_lib.sh
source "$SOURCE_DIR/tests/scale_lib.sh"

# Normalised RMSE allowed: twice what a correct window measures (up to 0.018,
# the text being hinted anew at each size), half what the main window
# measures with its pictures left at their 96-dpi size (0.067 and more).
MAX_RMSE=0.035

unset QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
it_xsession
mkdir -p "$SHOT_DIR"
stage_disc "$IT_TMP/disc"
# The pointer rests off every window, so no button shows its hover frame.
xdotool mousemove 1023 767

scales=(1 1.25 1.5 2)
declare -A area
for scale in "${scales[@]}"; do
  pct=$(awk -v s="$scale" 'BEGIN { printf "%d", s * 100 }')
  log "at $pct %"
  start_prog env QT_SCALE_FACTOR="$scale" "$IT_TMP/disc/skdsetup"
  shoot_and_close "$LAST_PID" qt_scale "$pct"
done

over=()
for scale in "${scales[@]:1}"; do
  pct=$(awk -v s="$scale" 'BEGIN { printf "%d", s * 100 }')
  for win in main dialog; do
    rmse=$(scale_rmse "$SHOT_DIR/qt_scale_${pct}_$win.png" "$SHOT_DIR/qt_scale_100_$win.png" \
      "$scale" "${area[$pct.$win]}" "${area[100.$win]}") || fail "$win window at $pct %"
    log "$pct % $win: RMSE $rmse (limit $MAX_RMSE)"
    awk -v r="$rmse" -v m="$MAX_RMSE" 'BEGIN { exit !(r > m) }' && over+=("$win at $pct %: $rmse")
  done
done
((${#over[@]} == 0)) || fail "scaled down, these differ from 100 % by more than $MAX_RMSE: ${over[*]}"
log ok
