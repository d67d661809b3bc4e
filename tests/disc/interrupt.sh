#!/usr/bin/env bash
# An image interrupted by SIGTERM or SIGHUP while xorriso writes it (SIGINT
# takes the same way, but a background job ignores it): skddisc ends by the
# signal, xorriso is gone, and neither the half-written image nor the
# scratch folder is left; a TMPDIR inside the disc folder is not used.
#   bash tests/disc/interrupt.sh SKDDISC
set -euo pipefail
skddisc=$(realpath "$1")
command -v xorriso >/dev/null || { echo "no xorriso (scripts/deps.sh xorriso)" >&2; exit 1; }
tmp=$(mktemp -d "${TMPDIR:-/tmp}/skd-interrupt.XXXXXX")
pid=
cleanup() {
  [[ -n $pid ]] && kill -KILL "$pid" 2>/dev/null
  [[ -n ${writer:-} ]] && kill -KILL "$writer" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

disc=$tmp/disc payload=$tmp/payload
mkdir -p "$disc/Install" "$payload/linux" "$tmp/out"
printf '[PRG]\r\nName=P\r\nLocation=Install\\run.sh\r\n' >"$disc/setup.ini"
printf '#!/bin/sh\n' >"$disc/Install/run.sh" && chmod +x "$disc/Install/run.sh"
# Large enough that xorriso is still writing when the signal comes.
truncate -s 1G "$disc/Install/data.bin"
for f in skdsetup.exe skdsetup; do echo x >"$payload/$f"; done
# Scratch asked for inside the disc folder goes elsewhere (/tmp).
mkdir "$disc/tmp"

for run in TERM:143 HUP:129; do
  sig=${run%:*} status=${run#*:}
  TMPDIR=$disc/tmp "$skddisc" image "$disc" "$tmp/out/disc.iso" --payload "$payload" \
    >"$tmp/out.txt" 2>&1 &
  pid=$!
  for _ in $(seq 200); do
    writer=$(pgrep -P "$pid" -x xorriso || true)
    [[ -n $writer ]] && break
    sleep 0.05
  done
  [[ -n $writer ]] || fail "xorriso never started: $(cat "$tmp/out.txt")"
  # The scratch folder: where xorriso is told to take autorun.sh from.
  scratch=$(tr '\0' '\n' <"/proc/$writer/cmdline" | sed -n 's|^\(/.*\)/autorun\.sh$|\1|p' | head -1)
  [[ $scratch == /tmp/skddisc.* && -d $scratch ]] || fail "no scratch folder in /tmp: '$scratch'"
  [[ -z $(ls -A "$disc/tmp") ]] || fail "scratch inside the disc folder: $(ls -A "$disc/tmp")"
  sleep 0.1
  kill -"$sig" "$pid"
  rc=0
  wait "$pid" 2>/dev/null || rc=$?
  pid=
  [[ $rc == "$status" ]] || fail "exit status $rc, not by SIG$sig: $(cat "$tmp/out.txt")"
  for _ in $(seq 50); do kill -0 "$writer" 2>/dev/null || break; sleep 0.05; done
  ! kill -0 "$writer" 2>/dev/null || fail "xorriso $writer still running"
  writer=
  left=$(ls -A "$tmp/out")
  [[ -z $left ]] || fail "left beside the image: $left"
  [[ ! -e $scratch ]] || fail "scratch folder left: $scratch: $(ls -A "$scratch")"
  echo "SIG$sig: xorriso ended, nothing left"
done
echo "interrupt: ok"
