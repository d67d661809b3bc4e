#!/usr/bin/env bash
# The README's "Before burning" commands, as they are written there, from the
# top of the tree: the first two blocks (make, check, image, preview; sign and
# verify) must all succeed; the third (list, extract, run both menus) runs on
# a private X display, each menu closed once its window shows.
#   bash tests/disc/before_burning.sh SHOT_DIR
set -euo pipefail
src=$(realpath "$(dirname "$0")/../..")
cd "$src"
source tests/integration/lib.sh /dev/null /dev/null /dev/null "$src" "$1"
IT_WINEPREFIX=$src/build/author-wine
# The preview shares its Wine prefix with tests/disc/preview.sh.
export SKD_PREVIEW_WINEPREFIX=$src/build/payload/preview-wine

# The ```sh blocks of the section, one file each.
awk -v dir="$IT_TMP" '
  /^### Before burning/ { inside = 1; next }
  inside && /^##/ { exit }
  inside && /^```sh$/ { n++; file = dir "/block" n; next }
  inside && /^```$/ { file = ""; next }
  file != "" { print > file }
' README.md
for n in 1 2 3; do [[ -s $IT_TMP/block$n ]] || fail "README: no block $n under \"Before burning\""; done

log "make, check, image, preview; sign and verify"
cat "$IT_TMP/block1" "$IT_TMP/block2" >"$IT_TMP/first"
bash -euo pipefail "$IT_TMP/first" >"$IT_TMP/first.out" 2>&1 || fail "$(tail -30 "$IT_TMP/first.out")"
grep -q 'Signature verification: ok' "$IT_TMP/first.out" || fail "$(tail -30 "$IT_TMP/first.out")"
[[ -f build/preview/linux-150.png ]] || fail "no build/preview/linux-150.png"
# The 32-bit loader must run: some kernels run no 32-bit program at all.
have_wine=0
"$src/scripts/wine.sh" --check 2>/dev/null && have_wine=1
if ((have_wine)); then
  [[ -f build/preview/windows-150.png ]] || fail "no build/preview/windows-150.png"
fi

log "list, extract and run both menus, as the author does on a desktop"
it_xsession
# As typed at a prompt: one command after another, whatever each returns.
start_prog bash "$IT_TMP/block3"
block=$LAST_PID
wait_window "$DISC_NAME" 120 >/dev/null
# autorun.sh runs it by the path it was given, relative to the tree.
menu=
for pid in $(pgrep -f 'build/disc-files/skdsetup$' || true); do
  [[ $(readlink "/proc/$pid/cwd") == "$src" ]] && menu=$pid
done
[[ -n $menu ]] || fail "the Linux menu from build/disc-files is not running"
kill "$menu"
wait_no_window "$DISC_NAME" 60
# Then wine.sh makes the prefix once and starts the Windows menu from D:\.
if ((!have_wine)); then
  log "not run here: the Windows menu of Before burning (no Wine that runs on this machine)"
  for _ in $(seq 600); do is_running "$block" || break; sleep 0.1; done
fi
for _ in $(seq 3000); do
  ((have_wine)) || break
  [[ -n $(find_windows "$DISC_NAME") ]] && pgrep -f 'D:\\skdsetup.exe' >/dev/null && break
  is_running "$block" || fail "the block ended before the Windows menu showed: $(tail -20 "$LAST_OUT.err")"
  sleep 0.1
done
((!have_wine)) || [[ -n $(find_windows "$DISC_NAME") ]] || fail "no Windows menu within 300 s"
wine_stop
for _ in $(seq 600); do is_running "$block" || break; sleep 0.1; done
is_running "$block" && fail "the block did not end with the Windows menu"
grep -q "/skdsetup.exe'$" "$LAST_OUT" || fail "the listing: $(head -20 "$LAST_OUT")"
echo "before burning: tests passed"
