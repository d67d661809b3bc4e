#!/usr/bin/env bash
# DLLs planted beside the menu and in the folder it is started from are
# never loaded into it: each planted DLL, once loaded into the menu, leaves
# a mark beside itself. Wine prefers its own DLLs unless told "n,b", and
# then searches as Windows does; it has no KnownDLLs, so every name counts.
# The menu is started, shows a tooltip (the common controls), opens the disc
# in the shell (shell32, COM) and closes. Prints the table either way.
#   CASE: the planted DLL (planted_dll.c)
set -euo pipefail
# shellcheck source=../../integration/launcher.sh
source "$(dirname "$0")/../../integration/launcher.sh"
session

planted=${CASE:?the planted DLL}
# What the menu and the system DLLs it uses load by name while it runs.
# Not imm32 and version: Wine's user32 imports them before the menu's first
# line runs, where Windows takes imm32 from KnownDLLs (and version proves
# nothing either way).
names=(uxtheme dwmapi comctl32 shell32 ole32 oleaut32 shlwapi propsys
       windowscodecs msimg32 cryptbase profapi userenv apphelp oleacc gds32)
disc=$IT_TMP/disc
here=$IT_TMP/started_from
stage_disc "$disc"
mkdir -p "$here"
for n in "${names[@]}"; do
  cp "$planted" "$disc/$n.dll"
  cp "$planted" "$here/$n.dll"
done
# The session first, from elsewhere: Wine's own programs would load them too.
"${RUN[@]}" cmd.exe /c exit >/dev/null 2>&1 || true

overrides="mscoree,mshtml=;$(IFS=,; echo "${names[*]}")=n,b"
cd "$here"
start_prog env WINEDLLOVERRIDES="$overrides" "${RUN[@]}" "$disc/$MENU"
menu=$LAST_PID
cd "$IT_TMP"
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")

log "a tooltip, then the disc in the shell"
xdotool mousemove --window "$main" 91 149
sleep 2
xdotool mousemove --window "$main" 187 241 click 1
sleep 3
mapped=$(grep -oE "($disc|$here)/[a-z0-9]+\.dll" "/proc/$menu/maps" 2>/dev/null | sort -u || true)
close_menu "$main" "$menu"

status=0
printf '%-16s %-14s %s\n' DLL "beside it" "started from"
for n in "${names[@]}"; do
  row=()
  for dir in "$disc" "$here"; do
    if [[ -e $dir/$n.dll.ran ]]; then
      row+=(RAN) status=1
    elif grep -qx "$dir/$n.dll" <<<"$mapped"; then
      row+=(mapped) status=1
    else
      row+=(-)
    fi
  done
  printf '%-16s %-14s %s\n' "$n.dll" "${row[0]}" "${row[1]}"
done
((status == 0)) || fail "a planted DLL was loaded into the menu"
log ok
