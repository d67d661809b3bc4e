#!/usr/bin/env bash
# Runs a Windows program under Wine: scripts/wine.sh <exe> [args...]
# Exits with the program's exit code.
#
# Environment:
#   SKD_WINEPREFIX   the Wine prefix (default: $PWD/build/mingw/wineprefix);
#                    made on first use, or by "wine.sh --init"
#   SKD_WINE_LOCALE  a Linux locale such as ru_RU.UTF-8 for the program; Wine
#                    takes its ANSI code page from it. Compiled into the
#                    prefix's parent directory when the system lacks it.
#   SKD_WINE_XVFB=1  give the program a private X server (console programs
#                    need none)
#   SKD_WINE_DISPLAY an X display of the caller's for the program, such as :91
#                    (ignored with SKD_WINE_XVFB=1). A session keeps the display
#                    it started with: the caller ends it ("wineserver -k")
#                    before switching displays.
set -euo pipefail

if (($# < 1)); then
  echo "usage: $0 <program.exe> [args...]   or   $0 --init (only make the prefix)" >&2
  echo "   or   $0 --check (exit 0 if Windows programs can run on this machine, else 77)" >&2
  exit 2
fi

# The loader that runs 32-bit programs (and 64-bit ones) in a 64-bit prefix,
# as 64-bit Windows does; it needs wine32:i386 beside wine64.
wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver
[[ -x $wine ]] || { echo "wine.sh: $wine not found (apt-get install wine64 wine32:i386)" >&2; exit 2; }
[[ -x $wineserver ]] || wineserver=$(command -v wineserver)

# The loader is a 32-bit program, and some kernels run none at all (no IA32
# emulation: "Exec format error"). Nothing Windows can run on such a machine;
# that is said, with 77, the exit code the tests take for "not run here".
if ! version=$("$wine" --version 2>&1) || [[ $version != wine-* ]]; then
  echo "wine.sh: this machine runs no 32-bit program ($wine: $(tail -1 <<<"${version##*: }")); Windows programs cannot run here" >&2
  exit 77
fi
[[ $1 == --check ]] && exit 0

prefix=${SKD_WINEPREFIX:-$PWD/build/mingw/wineprefix}
mkdir -p "$(dirname "$prefix")"
prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
export DISPLAY=${SKD_WINE_DISPLAY:-}

# The locale must exist for glibc, or Wine silently falls back to English.
# Set for Wine only: this shell need not know it.
wine_env=()
if [[ -n ${SKD_WINE_LOCALE:-} ]]; then
  loc=$SKD_WINE_LOCALE
  norm() { tr 'A-Z' 'a-z' | tr -d '_.-'; }
  if ! locale -a 2>/dev/null | norm | grep -qx "$(norm <<<"$loc")"; then
    locdir=$(dirname "$prefix")/locales
    if [[ ! -e $locdir/$loc/LC_CTYPE ]]; then
      mkdir -p "$locdir"
      exec 8>"$locdir/.lock"
      flock 8
      if [[ ! -e $locdir/$loc/LC_CTYPE ]]; then
        lang=${loc%%.*} charset=${loc#*.}
        [[ $charset == "$loc" ]] && charset=UTF-8
        # localedef exits 1 on mere warnings; the files tell.
        localedef -i "$lang" -f "$charset" "$locdir/$loc" >/dev/null 2>&1 || true
        [[ -e $locdir/$loc/LC_CTYPE ]] ||
          { echo "wine.sh: cannot make locale $loc (apt-get install locales)" >&2; exit 2; }
      fi
      exec 8>&-
    fi
    wine_env+=("LOCPATH=$locdir")
  fi
  wine_env+=("LANG=$loc" "LC_ALL=$loc")
fi

# A private X server when asked. Wine's desktop takes its display when a
# session starts, so such a run gets a session of its own, ended with it
# (do not run it in parallel with other programs in the same prefix).
xvfb=
if [[ ${SKD_WINE_XVFB:-0} == 1 ]]; then
  displayfile=$(mktemp)
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$displayfile" >/dev/null 2>&1 &
  xvfb=$!
  trap '"$wineserver" -k >/dev/null 2>&1; kill "$xvfb" 2>/dev/null; rm -f "$displayfile"' EXIT
  for _ in $(seq 100); do
    [[ -s $displayfile ]] && break
    sleep 0.1
  done
  [[ -s $displayfile ]] || { echo "wine.sh: Xvfb did not start" >&2; exit 2; }
  export DISPLAY=:$(cat "$displayfile")
fi

# Wine's background programs (services.exe, explorer.exe, ...) start with the
# first program of a session and keep its stderr until the session ends,
# which would hold ctest's pipes open. So this script starts each session
# itself, detached, with a program whose output goes nowhere. The lock keeps
# parallel runs from racing, here and when the prefix is made.
# (What starts here must not inherit the lock, fd 9, or it would hold it.)
session() {
  # Exit code 0: a new server; 2: one is running. It stays 30 s after the
  # last program, so back-to-back tests share one session.
  local rc=0
  "$wineserver" -p30 </dev/null >/dev/null 2>&1 9>&- || rc=$?
  if ((rc == 0)); then
    env "${wine_env[@]}" "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
  fi
}

mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
if [[ ! -e $prefix/.skd-ready ]]; then
  # First use: make the prefix (Mono and Gecko are switched off above).
  "$wineserver" -k </dev/null >/dev/null 2>&1 9>&- || true
  "$wine" wineboot --init </dev/null >/dev/null 2>&1 9>&- || true
  "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
  [[ -e $prefix/system.reg ]] ||
    { echo "wine.sh: could not make the Wine prefix $prefix" >&2; exit 2; }
  touch "$prefix/.skd-ready"
fi
if [[ -n $xvfb ]]; then
  "$wineserver" -k </dev/null >/dev/null 2>&1 9>&- || true
  "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
fi
session
exec 9>&-
[[ $1 == --init ]] && exit 0

if [[ -n $xvfb ]]; then
  set +e
  env "${wine_env[@]}" "$wine" "$@"
  rc=$?
  exit "$rc"
fi
exec env "${wine_env[@]}" "$wine" "$@"
