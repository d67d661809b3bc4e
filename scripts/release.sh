#!/usr/bin/env bash
# Builds the release files into dist/ (or --out DIR):
#   skdsetup-VERSION-windows.zip       skdsetup.exe, skddisc.exe, the sample disc,
#                                      the disc authors' part of the README
#   skdsetup-VERSION-linux-x86_64.tar.gz  skddisc with its payload: the Linux
#                                      menu as a bundle and skdsetup.exe
#   skdsetup-VERSION-sample.iso        the disc image of the sample disc
#   SHA256SUMS                         the files above
#   SHA256SUMS.unsigned                the Windows programs before signing
#
# Signing (Authenticode, osslsigncode): SKD_SIGN_CERT names a PKCS#12 file;
# its password comes from SKD_SIGN_PASSWORD_FILE or SKD_SIGN_PASSWORD, never
# from the command line. SKD_TIMESTAMP_URL names a timestamp server
# (optional). Without a certificate the release is unsigned and says so.
#
# Reproducible: every date is SOURCE_DATE_EPOCH (default: the commit's
# time), so two builds of one commit give the same bytes, signatures apart.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=dist
while (($#)); do
  case $1 in
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--out DIR]" >&2; exit 2 ;;
  esac
done

# The password stays in this shell: no build or tool started from here inherits it.
export -n SKD_SIGN_PASSWORD 2>/dev/null || true
scripts/deps.sh xorriso patchelf zip osslsigncode g++-mingw-w64-i686-posix libz-mingw-w64-dev
version=$(sed -n 's/^project(skdsetup VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
: "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct)}"
export SOURCE_DATE_EPOCH
# Qt's resource compiler stamps file dates into the program otherwise.
export QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH
export TZ=UTC LC_ALL=C.UTF-8
umask 022

work=$(mktemp -d "${TMPDIR:-/tmp}/skd-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
payload=$work/payload
scripts/payload.sh "$payload"
skddisc=$root/build/release/src/disc/skddisc
skddisc_exe=$root/build/mingw/src/disc/skddisc.exe

# The sample disc must pass the check before anything is made of it.
set +e
"$skddisc" check examples/disc >"$work/check.txt"
check=$?
set -e
if ((check == 2)); then
  cat "$work/check.txt" >&2
  echo "release: the sample disc has errors" >&2
  exit 1
fi

win=$work/windows
mkdir -p "$win"
cp "$payload/skdsetup.exe" "$skddisc_exe" "$win/"
(cd "$win" && sha256sum skddisc.exe skdsetup.exe) >"$work/SHA256SUMS.unsigned"

cert=()
if [[ -n ${SKD_SIGN_CERT:-} ]]; then
  if [[ -n ${SKD_SIGN_PASSWORD_FILE:-} ]]; then
    pass=$SKD_SIGN_PASSWORD_FILE
  elif [[ -n ${SKD_SIGN_PASSWORD+set} ]]; then
    pass=$work/password
    (umask 077 && printf '%s' "$SKD_SIGN_PASSWORD" >"$pass")
  else
    echo "release: SKD_SIGN_CERT without SKD_SIGN_PASSWORD_FILE or SKD_SIGN_PASSWORD" >&2
    exit 1
  fi
  stamp=()
  [[ -n ${SKD_TIMESTAMP_URL:-} ]] && stamp=(-ts "$SKD_TIMESTAMP_URL")
  for exe in skdsetup.exe skddisc.exe; do
    osslsigncode sign -pkcs12 "$SKD_SIGN_CERT" -readpass "$pass" -h sha256 -n "${exe%.exe}" \
      "${stamp[@]}" -in "$win/$exe" -out "$win/$exe.signed" >/dev/null
    mv "$win/$exe.signed" "$win/$exe"
  done
  # The image gets the menu signed by skddisc itself, with the same key.
  export SKD_SIGN_PASSWORD_FILE=$pass
  cert=(--cert "$SKD_SIGN_CERT")
  echo "release: signed with $SKD_SIGN_CERT"
else
  echo "release: unsigned (no SKD_SIGN_CERT)"
fi

# Every file dated alike, modes as git gives them, names in one order.
normalise() {  # normalise <dir>
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f ! -perm /111 -exec chmod 644 {} +
  find "$1" -type f -perm /111 -exec chmod 755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

stage=$work/stage
name=skdsetup-$version
mkdir -p "$stage/windows/$name" "$stage/linux/$name-linux-x86_64" "$out"
out=$(realpath "$out")
cp "$win"/*.exe "$stage/windows/$name/"
cp -r examples/disc "$stage/windows/$name/disc"
# The README's section for disc authors, up to the next section.
sed -n '/^## For disc authors$/,/^## /{/^## [^F]/!p}' README.md >"$stage/windows/$name/README-disc.md"
lin=$stage/linux/$name-linux-x86_64
cp -r "$payload" "$lin/payload"
cp "$win/skdsetup.exe" "$lin/payload/skdsetup.exe"
cp "$skddisc" "$lin/"
normalise "$stage"

zipfile=$out/$name-windows.zip
tarfile=$out/$name-linux-x86_64.tar.gz
iso=$out/$name-sample.iso
rm -f "$zipfile" "$tarfile" "$iso"
(cd "$stage/windows" && find "$name" | sort | zip -X -D -q -@ "$zipfile")
tar --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner \
  --format=gnu -C "$stage/linux" -cf - "$name-linux-x86_64" | gzip -9n >"$tarfile"
"$skddisc" image examples/disc "$iso" --payload "$lin/payload" --label "SKDSETUP $version" \
  "${cert[@]}" >"$work/image.txt" || { cat "$work/image.txt" >&2; exit 1; }

cp "$work/SHA256SUMS.unsigned" "$out/SHA256SUMS.unsigned"
(cd "$out" && sha256sum "$name-windows.zip" "$name-linux-x86_64.tar.gz" "$name-sample.iso") \
  >"$out/SHA256SUMS"
echo "release $version (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH) in $out:"
(cd "$out" && ls -l --time-style=+ -- * | awk '{print "  " $5 "  " $NF}')
