#!/usr/bin/env bash
# Without a display, or with one nobody serves, the menu says so in one line
# on stderr and ends with status 1 (Qt alone would abort).
#   no_display.sh <skdsetup>
set -uo pipefail
status=0
for display in "" :65000; do
  err=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$1" 2>&1 >/dev/null)
  rc=$?
  if ((rc != 1)) || [[ $(wc -l <<<"$err") != 1 || $err != *'нет дисплея'* ]]; then
    echo "DISPLAY='$display': status $rc, stderr:" >&2
    printf '%s\n' "$err" >&2
    status=1
  fi
done
exit $status
