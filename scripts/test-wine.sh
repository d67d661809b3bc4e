#!/usr/bin/env bash
# The Windows lane: cross-builds the mingw preset (libraries, core_tests.exe,
# profile_diff.exe), runs every test under Wine through ctest, and checks that
# the programs need no MinGW runtime DLLs on the target machine.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$(date +%s)

# The 64-bit C compiler builds the 64-bit stand-in client library that the
# 32-bit probe must refuse.
scripts/deps.sh g++-mingw-w64-i686-posix libz-mingw-w64-dev gcc-mingw-w64-x86-64-posix wine64 wine32:i386 fonts-wine locales ||
  exit 1

build=$root/build/mingw
mkdir -p "$root/build"
# The disc lane and the benchmark build this folder too (one at a time).
{ flock 9 && cmake --preset mingw >/dev/null && cmake --build --preset mingw; } \
  9>"$root/build/.mingw.lock" || exit 1

# SKD_WINE_WAIT_FOR: a file to wait for before the tests (test-all.sh's
# mark that the default build, whose dialog_gallery reads the X clipboard
# for the end-to-end tests, is done).
if [[ -n ${SKD_WINE_WAIT_FOR:-} ]]; then
  while [[ ! -e $SKD_WINE_WAIT_FOR ]]; do sleep 1; done
fi

status=0
log=$build/ctest.log
# A machine that runs no 32-bit program cannot run Wine's loader: the
# programs are built and their imports checked, and the summary says what
# was not run.
check=0
scripts/wine.sh --check 2>"$log" || check=$?
if ((check == 77)); then
  cat "$log"
  echo "Windows tests: not run here: $(sed 's/^wine.sh: //' "$log") (built; imports checked)" >"$log"
elif ((check)); then
  cat "$log" >&2
  exit 1
else
  # Make the Wine prefix now, so that no test's time limit pays for it.
  SKD_WINEPREFIX=$build/wineprefix scripts/wine.sh --init || exit 1
  # Wine itself now and then crashes while a finished program exits
  # (ld.so "dl-fini.c"); such a test gets one more run.
  ctest --preset mingw -j2 --repeat until-pass:2 2>&1 | tee "$log"
  [[ ${PIPESTATUS[0]} -eq 0 ]] || status=1
fi

# Wine keeps a session alive for a while after its last program; end them.
for prefix in "$build"/wineprefix*; do
  [[ -d $prefix ]] || continue
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$prefix timeout 30 /usr/lib/wine/wineserver -w </dev/null >/dev/null 2>&1 || true
done

# Only DLLs that every Windows (7 and later) has: libgcc, libstdc++ and
# winpthread must be linked in, not shipped. The universal C runtime
# (ucrtbase, api-ms-win-crt-*) is not there on a fresh Windows 7.
system_dll='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|shlwapi|version|ws2_32|msvcrt|ntdll|bcrypt|crypt32|rpcrt4|secur32|winmm|imm32|uxtheme|dwmapi|setupapi|userenv|msimg32|windowscodecs)\.dll$'
# The front-end tests save their windows as BMP; PNG like the others.
for bmp in "$build"/screenshots/*.bmp; do
  [[ -e $bmp ]] && convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done

echo
echo "=== imports"
for exe in "$build/src/frontend/win32/skdsetup.exe" "$build/tests/core/core_tests.exe" "$build/tests/wine/profile_diff.exe"; do
  # A program objdump cannot read (missing, or not 32-bit) must not pass
  # with an empty list.
  if ! dump=$(i686-w64-mingw32-objdump -p "$exe" 2>&1) || ! grep -q 'file format pei-i386$' <<<"$dump"; then
    echo "$(basename "$exe"): not a readable 32-bit program: $(head -3 <<<"$dump")" >&2
    status=1
    continue
  fi
  dlls=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | sort -fu)
  echo "$(basename "$exe"): $(tr '\n' ' ' <<<"$dlls")"
  while read -r dll; do
    [[ -z $dll ]] && continue
    if ! grep -qiE "$system_dll" <<<"$dll"; then
      echo "  not a system DLL: $dll" >&2
      status=1
    fi
  done <<<"$dlls"
done

echo "skdsetup.exe: $(stat -c %s "$build/src/frontend/win32/skdsetup.exe") bytes"

echo
echo "=== summary"
grep -E 'tests passed|tests failed out of|not run here' "$log" | tail -1
echo "lane time: $(($(date +%s) - start)) s"
[[ $status -eq 0 ]] && echo "WINE LANE PASSED" || echo "WINE LANE FAILED"
exit $status
