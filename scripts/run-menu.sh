#!/usr/bin/env bash
# Installs what is missing, builds, and starts the menu from a copy of the
# sample disc. Without a display it runs the menu on Xvfb, saves a screenshot
# and prints where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target skdsetup

stage=$root/build/stage/disc
rm -rf "$stage"
mkdir -p "$(dirname "$stage")"
cp -r examples/disc "$stage"
cp build/default/src/frontend/qt/skdsetup "$stage/"

# Qt wants a private runtime folder, and without one it says so at every
# start.
if [[ -z ${XDG_RUNTIME_DIR:-} || ! -d $XDG_RUNTIME_DIR ]]; then
  export XDG_RUNTIME_DIR=$root/build/xdg-runtime
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

if [[ -n ${DISPLAY:-} ]]; then
  exec "$stage/skdsetup"
fi

source scripts/xsession.sh
xsession_start
trap xsession_stop EXIT
"$stage/skdsetup" &
menu=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name 'Ловерин' 2>/dev/null | head -1) && [[ -n $win ]] && break
  sleep 0.1
done
if [[ -z $win ]]; then
  echo "the menu window did not appear" >&2
  kill "$menu" 2>/dev/null
  exit 1
fi
sleep 0.5
mkdir -p build/screenshots
shot=$root/build/screenshots/menu.png
xwd -silent -id "$win" | convert xwd:- "$shot"
kill "$menu" 2>/dev/null || true
echo "No display: the menu ran on Xvfb; its screenshot is $shot"
