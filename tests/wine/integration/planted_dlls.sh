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

planted=$(realpath "${CASE:?the planted DLL}")
# What the menu and the system DLLs it uses load by name while it runs
# (under Wine: uxtheme, comctl32, shcore, combase), and what they load on
# Windows. Not the KnownDLLs (shell32, ole32, imm32, ...): Windows always
# takes those from System32, and Wine, which has none, loads some of them
# for its own user32 past any search order (version likewise).
names=(uxtheme dwmapi comctl32 shcore combase propsys cryptbase userenv profapi apphelp oleacc)
disc=$IT_TMP/disc
here=$IT_TMP/started_from
stage_disc "$disc"
mkdir -p "$here"
# The session first, from elsewhere: Wine's own programs would load them too.
"${RUN[@]}" cmd.exe /c exit >/dev/null 2>&1 || true
overrides="mscoree,mshtml=;$(IFS=,; echo "${names[*]}")=n,b"

# One run per place: beside the menu, a DLL would hide its twin in the
# folder the menu is started from, which comes later in the search.
declare -A seen
for dir in "$disc" "$here"; do
  for n in "${names[@]}"; do cp "$planted" "$dir/$n.dll"; done
  log "planted in $dir: a tooltip, then the disc in the shell"
  cd "$here"
  start_prog env WINEDLLOVERRIDES="$overrides" "${RUN[@]}" "$disc/$MENU"
  menu=$LAST_PID
  cd "$IT_TMP"
  main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
  xdotool mousemove --window "$main" 91 149
  sleep 2
  xdotool mousemove --window "$main" 187 241 click 1
  sleep 3
  mapped=$(grep -oE "$dir/[a-z0-9]+\.dll" "/proc/$menu/maps" 2>/dev/null | sort -u || true)
  close_menu "$main" "$menu"
  for n in "${names[@]}"; do
    if [[ -e $dir/$n.dll.ran ]]; then
      seen[$dir/$n]=RAN
    elif grep -qx "$dir/$n.dll" <<<"$mapped"; then
      seen[$dir/$n]=mapped
    fi
    rm -f "$dir/$n.dll" "$dir/$n.dll.ran"
  done
done

status=0
printf '%-16s %-14s %s\n' DLL "beside it" "started from"
for n in "${names[@]}"; do
  a=${seen[$disc/$n]:--} b=${seen[$here/$n]:--}
  [[ $a == - && $b == - ]] || status=1
  printf '%-16s %-14s %s\n' "$n.dll" "$a" "$b"
done
((status == 0)) || fail "a planted DLL was loaded into the menu"
log ok
