#!/usr/bin/env bash
# skddisc preview of the sample disc, from its image and from its folder:
# at 100 and 150 per cent a picture of each menu, of the main window's size
# at that scale and not blank; nothing it started still running after it.
#   bash tests/disc/preview.sh SKDDISC PAYLOAD_DIR SHOT_DIR
# The Wine prefix is build/payload/preview-wine (SKD_PREVIEW_WINEPREFIX).
set -euo pipefail
src=$(realpath "$(dirname "$0")/../..")
skddisc=$(realpath "$1")
payload=$(realpath "$2")
source "$src/tests/integration/lib.sh" "$payload/skdsetup" "$payload/skdsetup" /dev/null "$src" "$3"
mkdir -p "$SHOT_DIR"
export SKD_PREVIEW_WINEPREFIX=${SKD_PREVIEW_WINEPREFIX:-$src/build/payload/preview-wine}
IT_WINEPREFIX=$SKD_PREVIEW_WINEPREFIX
# Every program the preview starts inherits the mark.
export SKD_PREVIEW_TEST=$$.$RANDOM

# "WIDTH HEIGHT COLOURS" of a PNG (colours counted up to 50).
png_facts() {
  python3 - "$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
assert data[:8] == b'\x89PNG\r\n\x1a\n'
w, h = struct.unpack('>II', data[16:24])
at, idat = 8, b''
while at < len(data):
    n, kind = struct.unpack('>I4s', data[at:at + 8])
    if kind == b'IDAT':
        idat += data[at + 8:at + 8 + n]
    at += 12 + n
raw = zlib.decompress(idat)
row = 1 + 3 * w
colours = set()
for y in range(0, h, 3):
    line = raw[y * row + 1:(y + 1) * row]
    colours.update(line[i:i + 3] for i in range(0, len(line), 3))
print(w, h, min(len(colours), 50))
PY
}

left_running() { grep -las "SKD_PREVIEW_TEST=$SKD_PREVIEW_TEST" /proc/[0-9]*/environ || true; }

iso=$IT_TMP/disc.iso
"$skddisc" image "$SOURCE_DIR/examples/disc" "$iso" --payload "$payload" >"$IT_TMP/image.out" 2>&1 ||
  fail "skddisc image: $(cat "$IT_TMP/image.out")"
# The 32-bit loader must run: some kernels run no 32-bit program at all.
have_wine=0
"$src/scripts/wine.sh" --check 2>/dev/null && have_wine=1

for source in "$iso" folder; do
  for scale in 100 150; do
    out=$IT_TMP/shots
    rm -rf "$out"
    if [[ $source == folder ]]; then
      ((scale == 100)) || continue
      log "preview of the folder, the payload's programs beside it"
      args=("$SOURCE_DIR/examples/disc" "$out" --payload "$payload")
    else
      log "preview of the image at $scale per cent"
      args=("$iso" "$out" --scale "$scale")
    fi
    "$skddisc" preview "${args[@]}" >"$IT_TMP/preview.out" 2>&1 ||
      fail "skddisc preview: $(cat "$IT_TMP/preview.out")"
    [[ -z $(left_running) ]] || fail "left running after the preview: $(left_running)"
    for menu in linux windows; do
      [[ $menu == windows ]] && ((!have_wine)) && continue
      shot=$out/$menu-$scale.png
      [[ -f $shot ]] || fail "no $shot: $(cat "$IT_TMP/preview.out")"
      read -r w h colours < <(png_facts "$shot")
      # The client area is 482 x 281 at 100 per cent, 2 pixels of border round it.
      want_w=$((482 * scale / 100)) want_h=$((281 * scale / 100))
      ((w >= want_w && w <= want_w + 40 && h >= want_h && h <= want_h + 60)) ||
        fail "$shot: $w x $h, the window is $want_w x $want_h"
      ((colours >= 20)) || fail "$shot: $colours colours, a blank window"
      [[ $source == folder ]] || cp "$shot" "$SHOT_DIR/preview-$menu-$scale.png"
    done
  done
done
((have_wine)) || log "not run here: the Windows pictures (no Wine that runs on this machine)"

log "refusals: a scale out of range, a source that is not there"
for bad in "--scale 250" "--scale x"; do
  # shellcheck disable=SC2086 # two words
  if "$skddisc" preview "$iso" "$IT_TMP/bad" $bad >"$IT_TMP/bad.out" 2>&1; then fail "accepted $bad"; fi
  grep -q 'от 100 до 200' "$IT_TMP/bad.out" || fail "$bad: $(cat "$IT_TMP/bad.out")"
done
if "$skddisc" preview "$IT_TMP/nowhere" "$IT_TMP/bad" >"$IT_TMP/bad.out" 2>&1; then fail "accepted a missing disc"; fi
grep -q 'Нет ни папки диска, ни образа' "$IT_TMP/bad.out" || fail "$(cat "$IT_TMP/bad.out")"
echo "preview: tests passed"
