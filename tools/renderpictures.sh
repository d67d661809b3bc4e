#!/usr/bin/env bash
# Renders the program's pictures from their drawings in assets/pictures/src
# into OUT_DIR (1x) and OUT_DIR/2x, in the formats the program reads:
#   tools/renderpictures.sh OUT_DIR [SRC_DIR [NAME...]]
# NAMEs (SoftSetup.bmp, ...) render only those pictures.
# rsvg-convert draws, ImageMagick reduces the colours and writes BMP, PNG and
# ICO. The output is byte-for-byte the same on every machine with Debian's
# packages: one font folder, pixman's plain C paths, one thread.
set -euo pipefail
out=${1:?usage: renderpictures.sh OUT_DIR [SRC_DIR [NAME...]]}
src=${2:-$(cd "$(dirname "$0")/.." && pwd)/assets/pictures/src}
only=" ${*:3} "
for tool in rsvg-convert convert-im6.q16; do
  command -v "$tool" >/dev/null || {
    echo "renderpictures: $tool is missing (packages librsvg2-bin, imagemagick)" >&2
    exit 1
  }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Only DejaVu Sans and its bold, the two every machine has with
# fonts-dejavu-core, set the same way whatever the machine's own
# configuration says; a drawing that asks for another font gets these.
mkdir "$work/fonts"
for face in DejaVuSans DejaVuSans-Bold; do
  file=/usr/share/fonts/truetype/dejavu/$face.ttf
  [[ -f $file ]] || {
    echo "renderpictures: $file is missing (package fonts-dejavu-core)" >&2
    exit 1
  }
  ln -s "$file" "$work/fonts/"
done
cat >"$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>$work/fonts</dir>
  <cachedir>$work/fontcache</cachedir>
  <match target="font">
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
    <edit name="hinting" mode="assign"><bool>false</bool></edit>
    <edit name="rgba" mode="assign"><const>none</const></edit>
    <edit name="embeddedbitmap" mode="assign"><bool>false</bool></edit>
  </match>
</fontconfig>
EOF
export FONTCONFIG_FILE=$work/fonts.conf
export MAGICK_THREAD_LIMIT=1 LC_ALL=C
# BMPs uncompressed: the program reads no RLE.
im() { convert-im6.q16 "$@"; }

# The 16 colours of the VGA palette, for the one 4-bit picture.
vga=(000000 800000 008000 808000 000080 800080 008080 C0C0C0
  808080 FF0000 00FF00 FFFF00 0000FF FF00FF 00FFFF FFFFFF)
im $(printf 'xc:#%s ' "${vga[@]}") +append "$work/vga16.png"

# name            colours  ground  key below this alpha (per cent)
# colours: 24 (true colour), 256 or vga16 (palette), rgba, icon.
# ground: the colour edges are blended with; "-" for a picture that covers
# itself. The menu leaves a BMP's key colour, magenta, undrawn.
table='
SoftSetup.bmp    vga16  F4EEFA  50
View.bmp         24     F4EEFA  6
Doc.bmp          256    F4EEFA  6
Image2.bmp       24     F4EEFA  6
Image1.png       rgba   -       -
Uac.png          256    -       -
Close21.bmp      256    EDE4F5  6
Server.bmp       24     -       -
Firebird.bmp     256    EDE4F5  6
CopyFiles.png    256    -       -
skdsetup.ico     icon   -       -
'

# PNGs without dates or other text, so that the bytes depend on the pixels only.
png_opts=(-strip -define png:exclude-chunks=date,time -define png:compression-level=9)

# Pixman picks SIMD paths by the CPU; the plain ones round the same
# everywhere. It says which it left out (on stdout); only other news is shown.
rsvg() {
  local status=0
  PIXMAN_DISABLE="mmx sse2 ssse3 avx2" rsvg-convert "$@" >"$work/err" 2>&1 || status=$?
  grep -v '^pixman: Disabled' "$work/err" >&2 || true
  return $status
}

# convert RGBA_PNG NAME COLOURS GROUND THRESHOLD OUT_FILE
convert_one() {
  local in=$1 name=$2 colours=$3 ground=$4 threshold=$5 dest=$6 flat=$work/flat.png
  if [[ $ground == - ]]; then
    im "$in" -background white -flatten -alpha off "$flat"
  else
    local size
    size=$(im "$in" -format '%wx%h' info:)
    # Nearly empty pixels become the key; the rest is blended with the ground,
    # never with the key.
    im -size "$size" xc:'#FF00FF' \( "$in" -background "#$ground" -flatten \) \
      \( "$in" -alpha extract -threshold "$threshold%" \) -composite -alpha off "$flat"
  fi
  case $name:$colours in
  *.bmp:24) im "$flat" -type TrueColor -compress None "BMP3:$dest" ;;
  *.bmp:256) im "$flat" +dither -colors 256 -type Palette -compress None "BMP3:$dest" ;;
  *.bmp:vga16) im "$flat" +dither -remap "$work/vga16.png" -type Palette -compress None "BMP3:$dest" ;;
  *.png:256) im "$flat" +dither -colors 256 "${png_opts[@]}" "PNG8:$dest" ;;
  *.png:rgba) im "$in" "${png_opts[@]}" "PNG32:$dest" ;;
  *)
    echo "renderpictures: no way to write $name as $colours" >&2
    return 1
    ;;
  esac
}

mkdir -p "$out/2x"
while read -r name colours ground threshold; do
  [[ -n $name ]] || continue
  [[ $only == "  " || $only == *" $name "* ]] || continue
  svg=$src/${name%.*}.svg
  [[ -f $svg ]] || {
    echo "renderpictures: $svg is missing" >&2
    exit 1
  }
  if [[ $colours == icon ]]; then
    # The program icon: 16, 32 and 48 pixels from one drawing.
    for px in 16 32 48; do
      rsvg --width $px --height $px --format png --output "$work/icon$px.png" "$svg"
    done
    im "$work/icon16.png" "$work/icon32.png" "$work/icon48.png" "ICO:$out/$name"
    continue
  fi
  for zoom in 1 2; do
    dir=$out
    [[ $zoom == 1 ]] || dir=$out/2x
    rsvg --zoom "$zoom" --format png --output "$work/render.png" "$svg"
    convert_one "$work/render.png" "$name" "$colours" "$ground" "$threshold" "$dir/$name"
  done
  # The 2x picture must be exactly twice the 1x one and, for a BMP, leave the
  # same colour undrawn (its bottom-left pixel).
  one=$(im "$out/$name" -format '%w %h %[pixel:p{0,h-1}]' info:)
  two=$(im "$out/2x/$name" -format '%w %h %[pixel:p{0,h-1}]' info:)
  read -r w1 h1 k1 <<<"$one"
  read -r w2 h2 k2 <<<"$two"
  if ((w2 != 2 * w1 || h2 != 2 * h1)) || [[ $name == *.bmp && $k1 != "$k2" ]]; then
    echo "renderpictures: the 2x $name ($two) does not match the 1x one ($one)" >&2
    exit 1
  fi
done <<<"$table"
