#!/usr/bin/env bash
# The release files: two builds of the commit by scripts/release.sh with one
# SOURCE_DATE_EPOCH in folders of different names (a clean clone, and the
# tree itself or a second clone) give the same bytes; the version the
# programs carry is the project's; a release signed with a throwaway certificate verifies against
# it, fails once a byte is changed, gives back the unsigned bytes when the
# signature is taken off, and its skdsetup.exe still starts under Wine.
#   bash tests/release/release.sh SHOT_DIR
set -euo pipefail
src=$(realpath "$(dirname "$0")/../..")
prefix=${SKD_WINEPREFIX:-$src/build/payload/wineprefix}
source "$src/tests/integration/lib.sh" /dev/null /dev/null /dev/null "$src" "$1"

# lib.sh's cleanup ends the Wine session.
IT_WINEPREFIX=$prefix

version=$(sed -n 's/^project(skdsetup VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
epoch=$(git -C "$src" log -1 --format=%ct)
name=skdsetup-$version
export SOURCE_DATE_EPOCH=$epoch

# A clean clone built from nothing, against a second build of the commit in
# another folder: the tree's own, whose builds the other lanes made, when it
# holds nothing beyond the commit; otherwise a second clean clone.
if [[ -z $(git -C "$src" status --porcelain) ]]; then
  log "a clean clone, built apart, against the tree's own build"
  (cd "$src" && scripts/release.sh --out "$IT_TMP/tree/dist" >"$IT_TMP/release-tree.log" 2>&1) ||
    fail "release.sh in the tree: $(tail -20 "$IT_TMP/release-tree.log")"
  b=$IT_TMP/tree/dist
  clones=(a)
else
  log "two clean clones, built apart (the tree holds changes)"
  b=$IT_TMP/elsewhere/b/dist
  clones=(a elsewhere/b)
fi
for clone in "${clones[@]}"; do
  git clone -q "$src" "$IT_TMP/$clone"
  # Compiled for real, not from the cache the tree's build filled: a build
  # that does not give the same bytes twice must show here.
  (cd "$IT_TMP/$clone" && CCACHE_DISABLE=1 scripts/release.sh --out dist \
    >"$IT_TMP/release-${clone##*/}.log" 2>&1) ||
    fail "release.sh in $clone: $(tail -20 "$IT_TMP/release-${clone##*/}.log")"
done
a=$IT_TMP/a/dist
differ=()
for f in "$a"/* "$b"/*; do
  cmp -s "$a/${f##*/}" "$b/${f##*/}" || differ+=("${f##*/}")
done
((${#differ[@]} == 0)) || fail "not reproducible: $(printf '%s\n' "${differ[@]}" | sort -u | tr '\n' ' ')"
cat "$a/SHA256SUMS" "$a/SHA256SUMS.unsigned"
grep -q 'unsigned (no SKD_SIGN_CERT)' "$IT_TMP/release-a.log" || fail "an unsigned release does not say so"

log "the version is $version everywhere"
mkdir "$IT_TMP/zip" "$IT_TMP/tar"
unzip -q "$a/$name-windows.zip" -d "$IT_TMP/zip"
tar -xzf "$a/$name-linux-x86_64.tar.gz" -C "$IT_TMP/tar"
for exe in skdsetup skddisc; do
  rc=$(i686-w64-mingw32-windres -i "$IT_TMP/zip/$name/$exe.exe" -J coff -O rc)
  grep -q "VALUE \"FileVersion\", \"$version\"" <<<"$rc" || fail "$exe.exe: file version"
  grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$rc" || fail "$exe.exe: product version"
  grep -q "FILEVERSION ${version//./, }, 0" <<<"$rc" || fail "$exe.exe: numeric version"
done
[[ $("$IT_TMP/tar/$name-linux-x86_64/skddisc" --version) == "skddisc $version" ]] ||
  fail "skddisc --version"
grep -q "Version $version" "$src/README.md" || fail "README does not name version $version"
xorriso -no_rc -indev "$a/$name-sample.iso" -pvd_info 2>/dev/null | grep -q "Volume Id *: SKDSETUP $version" ||
  fail "volume label"

log "signed with a throwaway certificate"
keys=$IT_TMP/keys
mkdir -m 700 "$keys"
printf 'пароль "$(x)"' >"$keys/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=SKD release test' \
  -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -out "$keys/cert.p12" \
  -passout "file:$keys/password"
(cd "$IT_TMP/a" && SKD_SIGN_CERT=$keys/cert.p12 SKD_SIGN_PASSWORD="$(cat "$keys/password")" \
  scripts/release.sh --out signed >"$IT_TMP/release-signed.log" 2>&1) ||
  fail "signed release: $(tail -20 "$IT_TMP/release-signed.log")"
signed=$IT_TMP/a/signed
mkdir "$IT_TMP/szip"
unzip -q "$signed/$name-windows.zip" -d "$IT_TMP/szip"
xorriso -no_rc -osirrox on -indev "$signed/$name-sample.iso" -extract /skdsetup.exe "$IT_TMP/iso.exe" \
  >/dev/null 2>&1
for exe in "$IT_TMP/szip/$name/skdsetup.exe" "$IT_TMP/szip/$name/skddisc.exe" "$IT_TMP/iso.exe"; do
  osslsigncode verify -CAfile "$keys/cert.pem" -in "$exe" >/dev/null 2>&1 || fail "$exe: not verified"
  osslsigncode remove-signature -in "$exe" -out "$IT_TMP/bare.exe" >/dev/null 2>&1
  grep -q "^$(sha256sum <"$IT_TMP/bare.exe" | cut -d' ' -f1)  " "$signed/SHA256SUMS.unsigned" ||
    fail "$exe without its signature is not the unsigned build"
  rm "$IT_TMP/bare.exe"
done
cmp -s "$signed/SHA256SUMS.unsigned" "$a/SHA256SUMS.unsigned" || fail "signing changed the build"
tampered=$IT_TMP/tampered.exe
cp "$IT_TMP/szip/$name/skdsetup.exe" "$tampered"
printf '\x5a' | dd of="$tampered" bs=1 seek=4096 conv=notrunc status=none
! osslsigncode verify -CAfile "$keys/cert.pem" -in "$tampered" >/dev/null 2>&1 ||
  fail "a changed byte still verifies"
! grep -rqF "$(cat "$keys/password")" "$signed" 2>/dev/null ||
  fail "the password was left in the release"

log "the signed menu starts under Wine"
if ! why=$("$src/scripts/wine.sh" --check 2>&1); then
  log "not run here: the signed menu under Wine (${why#wine.sh: })"
  echo "release: tests passed"
  exit 0
fi
disc=$IT_TMP/szip/$name/disc
cp "$IT_TMP/szip/$name/skdsetup.exe" "$disc/"
it_xsession
SKD_WINEPREFIX=$prefix "$src/scripts/wine.sh" --init
export SKD_WINEPREFIX=$prefix SKD_WINE_DISPLAY=$DISPLAY SKD_WINE_LOCALE=ru_RU.UTF-8
wine_stop
start_prog "$src/scripts/wine.sh" "$disc/skdsetup.exe"
main=$(wait_window "$DISC_NAME" 60 "$LAST_PID")
screenshot "$main" "$SHOT_DIR/release-signed-wine.png"
echo "release: tests passed"
