#!/usr/bin/env bash
# The exe at each screen scale (Wine's LogPixels 96, 120, 144, 192): the
# main window and the close question, pictured as
# win32_scale_<percent>_{main,dialog}.png and compared with the 100 % ones
# scaled down to their size. Text and pictures drawn for the scale come out
# close to the 100 % window; a picture left at its 100 % size, a cut label or
# a button out of place does not. The prefix is back at 96 afterwards.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
# shellcheck source=../../scale_lib.sh
source "$SOURCE_DIR/tests/scale_lib.sh"

# Largest normalised RMSE (after scale_lib's blur) at 125, 150 and 200 %.
# Measured: the main window 0.028-0.038, with its pictures left at their
# 100 % size 0.075-0.083; the dialog 0.034-0.052 (its stepwise growth costs
# a little at 125 %), with its icon left at 32 pixels 0.109-0.132, and at
# 200 % too low for the size check.
declare -A max_rmse=([main]=${SKD_SCALE_MAX_RMSE_MAIN:-0.058} [dialog]=${SKD_SCALE_MAX_RMSE_DIALOG:-0.08})

set_log_pixels() {
  local rc=0
  "$WINE_SH" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    </dev/null >/dev/null 2>&1 || rc=$?
  # A running session keeps the scale it started with.
  wine_stop
  return "$rc"
}

scale_cleanup() {
  local rc=$?
  set +e
  set_log_pixels 96 || echo "WARNING: could not put LogPixels back to 96 in $SKD_WINEPREFIX" >&2
  (exit "$rc")
  wine_cleanup
}
trap scale_cleanup EXIT

wine_xsession
mkdir -p "$SHOT_DIR"
stage_disc "$IT_TMP/disc"
exe=$IT_TMP/disc/$(basename "$SKDSETUP")

declare -A area
for dpi in 96 120 144 192; do
  pct=$((dpi * 100 / 96))
  log "LogPixels $dpi ($pct %)"
  set_log_pixels "$dpi" || fail "could not set LogPixels to $dpi"
  start_exe "$exe"
  shoot_and_close "$LAST_PID" win32_scale "$pct"
done

# The main window is its layout times the scale (and a few pixels of
# rounding); the dialog is laid out in units of its font's average character,
# a whole number of pixels, so it grows in steps rather than with the scale.
declare -A slack=([main]=3 [dialog]=20)
failed=
for pct in 125 150 200; do
  scale=$(awk -v p="$pct" 'BEGIN { print p / 100 }')
  for what in main dialog; do
    rmse=$(SCALE_SIZE_SLACK=${slack[$what]} scale_rmse "$SHOT_DIR/win32_scale_${pct}_$what.png" \
      "$SHOT_DIR/win32_scale_100_$what.png" "$scale" "${area[$pct.$what]}" "${area[100.$what]}") ||
      fail "$pct % $what: no comparison"
    verdict=ok
    if awk -v r="$rmse" -v m="${max_rmse[$what]}" 'BEGIN { exit !(r > m) }'; then
      verdict="ABOVE ${max_rmse[$what]}"
      failed=1
    fi
    printf 'scale %3s %%  %-6s  client %-12s  rmse %s  %s\n' "$pct" "$what" "${area[$pct.$what]%%+*}" \
      "$rmse" "$verdict"
  done
done
[[ -z $failed ]] || fail "a window at some scale differs too much from the 100 % one"
log ok
