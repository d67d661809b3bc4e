#!/usr/bin/env bash
# The disc image of a copy of the sample disc: its names as Windows (Joliet)
# and Linux (Rock Ridge) read them, the run bits, the files skddisc adds, a
# file of the author's kept, a disc with an error refused. Then both menus
# from the extracted image: the Linux one with no Qt but the bundle's, the
# Windows one under Wine from a drive letter, whose install button starts
# the sample installer.
#   bash tests/disc/image.sh SKDDISC PAYLOAD_DIR SHOT_DIR
# PAYLOAD_DIR comes from scripts/payload.sh. The Wine prefix is the test's own
# (SKD_WINEPREFIX, default build/payload/wineprefix).
set -euo pipefail
src=$(realpath "$(dirname "$0")/../..")
skddisc=$(realpath "$1")
payload=$(realpath "$2")
prefix=${SKD_WINEPREFIX:-$src/build/payload/wineprefix}
source "$src/tests/integration/lib.sh" "$payload/skdsetup" "$payload/skdsetup" /dev/null "$src" "$3"
command -v xorriso >/dev/null || fail "no xorriso (scripts/deps.sh xorriso)"

# lib.sh's cleanup ends the Wine session and the installer it started.
IT_WINEPREFIX=$prefix

# "mode path" of each file in the image, as Linux (default) or Windows
# (norock: the Joliet tree) reads it.
listing() {
  xorriso -no_rc -read_fs "${2:-any}" -indev "$1" -find / -exec lsdl -- 2>/dev/null |
    sed -E "s/^(\S+) .* '(.*)'$/\1 \2/"
}
extract() { xorriso -no_rc -osirrox on -indev "$1" -extract "$2" "$3" >/dev/null 2>&1; }

disc=$IT_TMP/disc
manual='Docs/Руководство оператора — версия 4.2.txt'
cp -r "$SOURCE_DIR/examples/disc" "$disc"
echo 'Руководство' >"$disc/$manual"

log "the image, with the payload found beside skddisc"
kit=$IT_TMP/kit
mkdir "$kit"
cp "$skddisc" "$kit/"
ln -s "$payload" "$kit/payload"
iso=$IT_TMP/disc.iso
env -u SKD_PAYLOAD "$kit/skddisc" image "$disc" "$iso" >"$IT_TMP/image.out" ||
  fail "skddisc image: $(cat "$IT_TMP/image.out")"
tail -2 "$IT_TMP/image.out"

log "names and modes as Linux reads them; Windows reads the same names"
listing "$iso" >"$IT_TMP/rr"
while read -r line; do
  grep -qxF -e "$line" "$IT_TMP/rr" || fail "not in the image: $line"
done <<EOF
-r-xr-xr-x /skdsetup
-r-xr-xr-x /autorun.sh
-r-xr-xr-x /skdsetup.exe
-r-xr-xr-x /Install/setup.sh
-r--r--r-- /autorun.inf
-r--r--r-- /setup.ini
-r--r--r-- /linux/libQt6Core.so.6
-r--r--r-- /linux/plugins/platforms/libqxcb.so
-r--r--r-- /$manual
EOF
diff <(cut -d' ' -f2- "$IT_TMP/rr") <(listing "$iso" norock | cut -d' ' -f2-) ||
  fail "Joliet names differ from the Rock Ridge names"
label=$(blkid -p -o value -s LABEL "$iso")
[[ $label == 'СКУД "Ловерин".' ]] || fail "volume label: $label"

log "autorun.inf: UTF-16 LE with a byte-order mark, CR LF"
extract "$iso" /autorun.inf "$IT_TMP/autorun.inf"
cmp "$IT_TMP/autorun.inf" <(printf '\xff\xfe'
  printf '[autorun]\r\nopen=skdsetup.exe\r\nicon=skdsetup.exe,0\r\nlabel=%s\r\n' "$DISC_NAME" |
    iconv -f UTF-8 -t UTF-16LE) || fail "autorun.inf differs"

log "the author's own autorun.inf stays, whatever its letter case; a name too long for Windows"
own=$IT_TMP/own
cp -r "$disc" "$own"
printf '[autorun]\r\nopen=own.exe\r\n' >"$own/AUTORUN.INF"
long=Docs/$(printf 'Очень%.0s' {1..21}).txt
touch "$own/$long"
SKD_PAYLOAD=$payload "$skddisc" image "$own" "$IT_TMP/own.iso" --label 'Своя метка' >"$IT_TMP/own.out" ||
  fail "skddisc image: $(cat "$IT_TMP/own.out")"
grep -q '^В папке диска уже есть AUTORUN.INF' "$IT_TMP/own.out" || fail "$(cat "$IT_TMP/own.out")"
grep -qF "Windows покажет имя «$own/$long» как «$(printf 'Очень%.0s' {1..20}).txt»" "$IT_TMP/own.out" ||
  fail "$(cat "$IT_TMP/own.out")"
[[ $(listing "$IT_TMP/own.iso" | grep -ic '^\S* /autorun.inf$') == 1 ]] || fail "two autorun.inf"
extract "$IT_TMP/own.iso" /AUTORUN.INF "$IT_TMP/own.inf"
cmp -s "$IT_TMP/own.inf" "$own/AUTORUN.INF" || fail "the author's autorun.inf was changed"
[[ $(blkid -p -o value -s LABEL "$IT_TMP/own.iso") == 'Своя метка' ]] || fail "--label not taken"

log "a disc with an error gets no image"
bad=$IT_TMP/bad
mkdir "$bad"
printf '[SETUP]\r\nWindowName=Диск\r\n' >"$bad/setup.ini"
rc=0
"$skddisc" image "$bad" "$IT_TMP/bad.iso" --payload "$payload" 2>"$IT_TMP/bad.err" || rc=$?
[[ $rc == 2 ]] || fail "exit status $rc for a disc without [PRG]"
grep -q '^Образ не записан' "$IT_TMP/bad.err" || fail "$(cat "$IT_TMP/bad.err")"
! compgen -G "$IT_TMP/bad.iso*" >/dev/null || fail "a refused image left $(ls "$IT_TMP"/bad.iso*)"

# Extracted where a careless script would break: blanks, quotes, $( ).
tree="$IT_TMP/диск \"\$(touch pwned)\" 1"
extract "$iso" / "$tree"
chmod -R u+w "$tree"

log "ldd: the Qt libraries come from the bundle"
for elf in "$tree/skdsetup" "$tree/linux/libskdsetup.so" "$tree/linux/plugins/platforms/libqxcb.so"; do
  deps=$(env -i PATH=/usr/bin:/bin ldd "$elf")
  ! grep -q 'not found' <<<"$deps" || fail "$(basename "$elf"): $(grep 'not found' <<<"$deps")"
  while IFS=$'\t' read -r name path; do
    [[ -e $tree/linux/$name || $name == libQt6* ]] && [[ $path != "$tree/linux/"* ]] &&
      fail "$name from $path"
  done < <(sed -nE 's/^\s*(\S+) => (.*) \(0x[0-9a-f]+\)$/\1\t\2/p' <<<"$deps")
done
grep -E 'libQt6(Core|XcbQpa)' <<<"$deps"

# The menu as the desktop starts it, with RUNTIME as its runtime folder.
menu_from() {
  start_prog env -i -C "$IT_TMP" PATH=/usr/bin:/bin HOME="$IT_TMP" LANG=C.UTF-8 DISPLAY="$DISPLAY" \
    XDG_RUNTIME_DIR="$1" ${SKD_TEST_RUN:+SKD_TEST_RUN=$SKD_TEST_RUN} "$tree/autorun.sh"
}
maps() { awk '{$1=$2=$3=$4=$5=""; sub(/^ +/, ""); print}' "/proc/$1/maps" | sort -u; }
# The bundle's libraries in PID all from DIR, ICU's data from the disc.
bundle_from() {
  local m foreign
  m=$(maps "$1")
  grep -qxF "$2/plugins/platforms/libqxcb.so" <<<"$m" || fail "xcb plugin not from $2"
  foreign=$(grep -E 'libskdsetup|libQt6|qxcb|libicu|libxcb-|libxkbcommon' <<<"$m" |
    grep -vF -e "$2/" -e "$tree/linux/libicudata.so." || true)
  [[ -z $foreign ]] || fail "loaded from outside $2: $foreign"
  grep -qF "$tree/linux/libicudata.so." <<<"$m" || fail "ICU's data not from the disc"
}
unpack_of() { maps "$1" | sed -n "s|^\($rt/skdsetup-[^/]*\)/linux/libQt6Core\.so.*|\1|p" | head -1; }
close_it() {  # close_it PID WINDOW
  local q
  q=$(ask_close "$2")
  send_keys "$q" Return
  assert_exit "$1" 0
}
# The helper that removes a menu's unpack when the menu ends.
waits_empty() {
  for _ in $(seq $((WAIT * 10))); do
    [[ -z $(ls -A "$1") ]] && return 0
    sleep 0.1
  done
  fail "left in $1: $(ls -A "$1")"
}

log "the Linux menu from the image, started as the desktop starts it; a runtime folder on disk: all from the disc"
it_xsession
menu_from "$XDG_RUNTIME_DIR"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
[[ ! -e $IT_TMP/pwned ]] || fail "autorun.sh ran a command from the folder name"
bundle_from "$menu" "$tree/linux"
[[ -z $(ls -A "$XDG_RUNTIME_DIR") ]] || fail "unpacked outside memory: $(ls -A "$XDG_RUNTIME_DIR")"
screenshot "$main" "$SHOT_DIR/disc-image-linux.png"
close_it "$menu" "$main"

log "runtime folders in memory the libraries do not fit in or may not run from: all from the disc"
# Each a tmpfs of a mount namespace of its own, gone with the menu.
for opts in noexec size=4m; do
  mkdir -p "$IT_TMP/rt-$opts"
  # shellcheck disable=SC2016 # the inner shell's arguments
  start_prog unshare -m bash -c 'mount -t tmpfs -o "mode=700,$1" none "$2" && shift 2 && exec "$@"' \
    - "$opts" "$IT_TMP/rt-$opts" env -i -C "$IT_TMP" PATH=/usr/bin:/bin HOME="$IT_TMP" LANG=C.UTF-8 \
    DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$IT_TMP/rt-$opts" ${SKD_TEST_RUN:+SKD_TEST_RUN=$SKD_TEST_RUN} \
    "$tree/autorun.sh"
  menu=$LAST_PID
  main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
  bundle_from "$menu" "$tree/linux"
  close_it "$menu" "$main"
done

log "a runtime folder in memory: two menus at once, each from an unpack of its own; none left after"
rt=$(mktemp -d /dev/shm/skd-it.XXXXXX)
# lib.sh's cleanup after, with the test's exit status (set -e off first).
trap 'rc=$?; set +e; rm -rf "$rt"; (exit "$rc"); it_cleanup' EXIT
menu_from "$rt"
menu=$LAST_PID
menu_from "$rt"
second=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
main2=$(wait_window "$DISC_NAME" "$WAIT" "$second")
one=$(unpack_of "$menu") two=$(unpack_of "$second")
[[ -n $one && -n $two && $one != "$two" ]] || fail "unpacks: '$one' and '$two'"
bundle_from "$menu" "$one/linux"
bundle_from "$second" "$two/linux"
close_it "$menu" "$main"
close_it "$second" "$main2"
waits_empty "$rt"

log "a menu killed with its helper: the next start removes the unpack left"
menu_from "$rt"
menu=$LAST_PID
wait_window "$DISC_NAME" "$WAIT" "$menu" >/dev/null
left=$(unpack_of "$menu")
helper=
for p in /proc/[0-9]*; do
  [[ ${p#/proc/} != "$menu" && $(readlink "$p/exe" 2>/dev/null) == "$tree/skdsetup" ]] && helper=${p#/proc/}
done
[[ -n $helper ]] || fail "no helper beside the menu"
kill -KILL "$menu" "$helper"
assert_exit "$menu" 137
[[ -d $left ]] || fail "nothing left to remove: the test proves nothing"
menu_from "$rt"
menu=$LAST_PID
main=$(wait_window "$DISC_NAME" "$WAIT" "$menu")
[[ ! -e $left ]] || fail "the unpack of the killed menu is still there"
bundle_from "$menu" "$(unpack_of "$menu")/linux"
# Its installer starts from the disc, and holds nothing of the unpack: it
# goes when the menu does, the installer still running.
installer=
for _ in $(seq 60); do
  xdotool mousemove --window "$main" 91 149 click 1
  for _ in $(seq 20); do
    installer=$(pgrep -P "$menu" | head -1) && break 2
    sleep 0.1
  done
done
[[ -n $installer ]] || fail "the menu from memory started no installer"
grep -qF "$tree/Install/setup.sh" "/proc/$installer/cmdline" ||
  fail "installer: $(tr '\0' ' ' <"/proc/$installer/cmdline")"
close_it "$menu" "$main"
waits_empty "$rt"
is_running "$installer" || log "(the installer ended before the menu did: its hold proved nothing)"

log "the Windows menu from drive D: (the image's root); install starts Install\\setup.sh"
if ! why=$("$src/scripts/wine.sh" --check 2>&1); then
  log "not run here: the Windows menu (${why#wine.sh: })"
  log ok
  exit 0
fi
SKD_WINEPREFIX=$prefix "$src/scripts/wine.sh" --init
ln -sfn "$tree" "$prefix/dosdevices/d:"
export SKD_WINEPREFIX=$prefix SKD_WINE_DISPLAY=$DISPLAY SKD_WINE_LOCALE=ru_RU.UTF-8
wine_stop  # a session of an earlier run draws on its own display
start_prog "$src/scripts/wine.sh" 'D:\skdsetup.exe'
wmenu=$LAST_PID
wmain=$(wait_window "$DISC_NAME" 60 "$wmenu")
# Wine runs a Unix script as a Unix process, through the drive's link; it
# gives the menu no handle of it, so the button stays grey for good.
installer=
for _ in $(seq 60); do
  xdotool mousemove --window "$wmain" 91 149 click 1
  for _ in $(seq 20); do
    for pid in $(pgrep -f 'Install/setup\.sh$' || true); do
      script=$(tr '\0' '\n' <"/proc/$pid/cmdline" 2>/dev/null | tail -1)
      [[ $(realpath "$script" 2>/dev/null) == "$tree/Install/setup.sh" ]] && installer=$pid
    done
    [[ -n $installer ]] && break 2
    sleep 0.1
  done
done
[[ -n $installer ]] || fail "no installer started from $tree/Install"
log "installer $installer: $(tr '\0' ' ' <"/proc/$installer/cmdline")"
assert_running "$wmenu" "after the installer started"
xdotool mousemove --window "$wmain" 300 270
screenshot "$wmain" "$SHOT_DIR/disc-image-wine.png"
log ok
