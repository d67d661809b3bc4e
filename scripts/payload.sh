#!/usr/bin/env bash
# Builds the programs `skddisc image` adds to a disc and lays them out as its
# payload folder:
#   skdsetup       starts the Linux menu, linux/libskdsetup.so (see
#                  src/frontend/qt/DiscStart.cpp)
#   linux/         the menu, the Qt libraries and what they need beyond a
#                  desktop's own (each finds the others by DT_RPATH), and
#                  libs.tar.zst: all of them but ICU's data, packed, for a
#                  start from memory
#   skdsetup.exe   the 32-bit Windows menu
# Usage: scripts/payload.sh [OUT_DIR]   (default build/payload/out)
# The programs are those of the release and mingw presets (build/release,
# build/mingw: one build serves the tests, the benchmark and the payload);
# the skddisc built there finds the default payload as payload/ beside it (a
# link). Dates in the programs are SOURCE_DATE_EPOCH (default: the commit's
# time), so any build of one commit gives the same payload.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-build/payload/out}

scripts/deps.sh xorriso patchelf zstd g++-mingw-w64-i686-posix libz-mingw-w64-dev

if [[ -z ${SOURCE_DATE_EPOCH:-} ]]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || echo 0)
fi
export SOURCE_DATE_EPOCH
# Qt's resource compiler stamps file dates into the program otherwise.
export QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH

# Other lanes build these folders at the same time; one build at a time each.
mkdir -p build
{ flock 9 && cmake --preset release >/dev/null &&
  cmake --build --preset release --target skdsetup_menu skdsetup_start skddisc; } 9>build/.release.lock
{ flock 9 && cmake --preset mingw >/dev/null &&
  cmake --build --preset mingw --target skdsetup skddisc; } 9>build/.mingw.lock

plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS)
menu=$root/build/release/src/frontend/qt/libskdsetup.so
start=$root/build/release/src/frontend/qt/skdsetup_start
# xcb is the one platform: on Wayland the menu runs through XWayland. The
# compose input context gives dead keys and compose sequences.
roots=("$menu" "$plugins/platforms/libqxcb.so"
  "$plugins/platforminputcontexts/libcomposeplatforminputcontextplugin.so")

# What every desktop Linux has, and what must be the machine's own, stays
# out of the bundle:
# - the C library and its loader, libgcc_s, libstdc++: bound to the system's
#   loader, and the desktop's libraries expect the system's copies;
# - OpenGL/EGL and the driver stack: must match the machine's graphics driver;
# - the X client core, the font stack (fontconfig reads the system's
#   configuration), GLib, D-Bus, systemd and the compression libraries: the
#   desktop and the graphics driver load them too, and one process holds only
#   one copy of a library, so an older one of ours would break theirs.
# Their own needs come with them and are not followed.
base='^(ld-linux.*|libc|libm|libdl|libpthread|librt|libresolv|libutil|libanl|libmvec|libcrypt'
base+='|libgcc_s|libstdc\+\+'
base+='|libGL|libGLX|libEGL|libOpenGL|libGLESv[12].*|libGLdispatch|libglapi|libgbm|libdrm|libvulkan'
base+='|libX11|libX11-xcb|libxcb|libXau|libXdmcp|libXext|libXrender|libICE|libSM'
base+='|libfontconfig|libfreetype|libharfbuzz|libpng16|libexpat|libglib-2\.0|libgthread-2\.0'
base+='|libdbus-1|libsystemd|libz|libzstd|liblzma|libbz2)\.so(\.[0-9]+)*$'

# Laid out beside the old one and swapped in whole.
mkdir -p "$(dirname "$out")"
new=$(mktemp -d "$(dirname "$out")/.payload.XXXXXX")
trap 'rm -rf "$new"' EXIT
lib=$new/linux
mkdir -p "$lib/plugins/platforms" "$lib/plugins/platforminputcontexts"

# Where the system finds each library, by soname.
declare -A where
for r in "${roots[@]}"; do
  while read -r name _ path _; do
    [[ $path == /* ]] && where[$name]=$path
  done < <(ldd "$r")
done

needs() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }

# The needs of the roots, and of what is bundled, not of the base.
declare -A taken
queue=("${roots[@]}")
while ((${#queue[@]})); do
  obj=${queue[0]}
  queue=("${queue[@]:1}")
  for name in $(needs "$obj"); do
    [[ -n ${taken[$name]:-} || $name =~ $base ]] && continue
    [[ -n ${where[$name]:-} ]] || { echo "payload: $name (needed by $obj) not found" >&2; exit 1; }
    taken[$name]=1
    cp -L "${where[$name]}" "$lib/$name"
    queue+=("${where[$name]}")
  done
done

cp "$start" "$new/skdsetup"
cp "$menu" "$lib/"
cp "$plugins/platforms/libqxcb.so" "$lib/plugins/platforms/"
cp "$plugins/platforminputcontexts/libcomposeplatforminputcontextplugin.so" \
  "$lib/plugins/platforminputcontexts/"
# DT_RPATH rather than DT_RUNPATH: it is searched before LD_LIBRARY_PATH, and
# for the needs of libraries and plugins too. Each library also carries its
# own, so that ldd on any one of them shows the bundle.
# shellcheck disable=SC2016 # the loader's, not the shell's
origin='$ORIGIN'
for f in "$lib"/*.so*; do
  if [[ -n $(needs "$f") ]]; then patchelf --force-rpath --set-rpath "$origin" "$f"; fi
done
for f in "$lib"/plugins/*/*.so; do
  patchelf --force-rpath --set-rpath "$origin/../.." "$f"
done
# The pack a start reads in one sweep: everything but ICU's data, of which
# the menu touches a few hundred kB of 31 MB; a link in its place tells the
# start program to leave it on the disc. Made alike from alike libraries.
pack=$(mktemp -d "$(dirname "$out")/.pack.XXXXXX")
trap 'rm -rf "$new" "$pack"' EXIT
cp -a "$lib/." "$pack/"
for f in "$pack"/libicudata.so.*; do
  rm "$f" && ln -s "$(basename "$f")" "$f"
done
tar --format=ustar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
  -C "$pack" -cf "$pack.tar" .
zstd -19 -T1 -q --no-progress "$pack.tar" -o "$lib/libs.tar.zst"
rm -rf "$pack" "$pack.tar"
trap 'rm -rf "$new"' EXIT
cp build/mingw/src/frontend/win32/skdsetup.exe "$new/"

rm -rf "$out"
mv "$new" "$out"
trap - EXIT
chmod 755 "$out"
[[ $out == build/payload/out ]] && ln -sfn "$(realpath "$out")" build/release/src/disc/payload
echo "payload: $out ($(du -sh "$out" | cut -f1), ${#taken[@]} libraries)"
