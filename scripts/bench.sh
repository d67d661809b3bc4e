#!/usr/bin/env bash
# Measures the menu against yardsticks and prints one table: each figure's
# median for ours and for the reference, their ratio and the goal. The two
# sides of a pair run alternately (ours, reference, ours, ...) so that they
# share the machine's noise. It fails only when it cannot measure, never
# because of a figure.
#
#   scripts/bench.sh [--quick] [--only PART[,PART...]]
#
# Parts: linux (start-up and peak memory of the Qt menu), windows (the same
# for skdsetup.exe under Wine), copy, probe, cpu (the menu watching an
# installer), disc (what each menu reads from the disc image before its
# window is up, and what that costs on a CD, a DVD and a USB stick; a table
# of its own). Environment:
#   SKD_BENCH_N        runs of each side of a pair (default 15); start-up
#                      takes three times as many, without the second each
#                      memory run waits (its median moves with the machine)
#   SKD_BENCH_QUICK=1  as --quick: 3 runs, the small copy only, a 5-second
#                      installer
#   SKD_BENCH_CPU_N    installer runs watched (default 3, quick 1)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

quick=${SKD_BENCH_QUICK:-0}
parts=linux,windows,copy,probe,cpu,disc
while (($#)); do
  case $1 in
    --quick) quick=1 ;;
    --only) parts=${2:?--only needs a part}; shift ;;
    *) echo "usage: $0 [--quick] [--only linux,windows,copy,probe,cpu,disc]" >&2; exit 2 ;;
  esac
  shift
done
# The disc's counts do not move from run to run: one run, two for the full bench.
if ((quick)); then
  disc_runs=1
  n=${SKD_BENCH_N:-3} cpu_runs=${SKD_BENCH_CPU_N:-1} installer_seconds=5 copy_sizes=(4) probe_calls=3
else
  disc_runs=2
  n=${SKD_BENCH_N:-15} cpu_runs=${SKD_BENCH_CPU_N:-3} installer_seconds=30 copy_sizes=(256 4)
  probe_calls=6
fi
[[ $n =~ ^[1-9][0-9]*$ && $cpu_runs =~ ^[1-9][0-9]*$ ]] ||
  { echo "bench: SKD_BENCH_N and SKD_BENCH_CPU_N must be positive numbers" >&2; exit 2; }
wants() { [[ ,$parts, == *,$1,* ]]; }
for p in ${parts//,/ }; do
  [[ ,linux,windows,copy,probe,cpu,disc, == *,$p,* ]] || { echo "bench: unknown part $p" >&2; exit 2; }
done

say() { echo "bench: $*" >&2; }
die() { say "cannot measure: $*"; exit 1; }

# --- packages and builds ---------------------------------------------------

packages=()
{ wants linux || wants windows; } && packages+=(libx11-dev)
{ wants windows || wants disc; } &&
  packages+=(g++-mingw-w64-i686-posix libz-mingw-w64-dev wine64 wine32:i386 fonts-wine locales)
wants disc && packages+=(libx11-dev xorriso patchelf zstd fuseiso)
wants probe && packages+=(firebird3.0-utils)
scripts/deps.sh "${packages[@]}" || die "packages missing"

targets=()
{ wants linux || wants windows || wants disc; } && targets+=(mapwait)
{ wants linux || wants cpu; } && targets+=(skdsetup)
{ wants linux || wants disc; } && targets+=(bare_qt)
wants disc && targets+=(readlog)
wants copy && targets+=(timerun copy_file)
wants probe && targets+=(timerun probe fbcall_timer)
release=$root/build/release
# The disc and release lanes build these folders too, maybe at this moment.
mkdir -p "$root/build"
{ flock 9 && cmake --preset release -DSKD_BUILD_BENCH=ON >/dev/null &&
    cmake --build --preset release --target "${targets[@]}" >&2; } 9>"$root/build/.release.lock" ||
  die "cannot build the release build's programs"
bin=$release/bench

# --- what it starts, and ending all of it -----------------------------------

# shellcheck source=scripts/procs.sh
source scripts/procs.sh
run=$root/build/bench-run
wine_dir=$root/build/bench-wine
prefix=$wine_dir/prefix
firebird_dir=$root/build/bench-firebird
wineserver=/usr/lib/wine/wineserver
xvfb='' wine_up='' firebird_up='' menu='' installer='' fuse='' shm=''
# Everything started from here carries the mark, so that whatever is left
# (an installer's children, say) can be found and ended.
SKD_BENCH_RUN=$$.$(date +%s%N)
export SKD_BENCH_RUN

wine_end() {
  WINEPREFIX=$prefix "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$prefix timeout 30 "$wineserver" -w </dev/null >/dev/null 2>&1 || true
  wine_up=
}

# The prefix made and a session started on this display (a session keeps
# the display it started on). The loader then runs directly, with the
# environment scripts/wine.sh gives it, for both sides alike; it execs
# Wine's process in place, whose pid mapwait checks on the window.
wine_session() {
  wine_end
  wine_up=1
  SKD_WINEPREFIX=$prefix SKD_WINE_DISPLAY=$DISPLAY SKD_WINE_LOCALE=ru_RU.UTF-8 \
    scripts/wine.sh --init >&2 || die "cannot make the Wine prefix"
  wine_env=(WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' WINEARCH=win64
            LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8)
  [[ -e $wine_dir/locales/ru_RU.UTF-8/LC_CTYPE ]] && wine_env+=(LOCPATH="$wine_dir/locales")
}

# The image's FUSE mount of the disc part ends; a program that has just
# ended may hold it a moment longer.
disc_unmount() {
  local i
  for i in $(seq 50); do
    fusermount -u "$mnt" 2>/dev/null && break
    ((i == 50)) && fusermount -u -z "$mnt"
    sleep 0.1
  done
  wait "$fuse" 2>/dev/null
  fuse=
}

cleanup() {
  local rc=$?
  trap - EXIT INT TERM
  set +e
  # shellcheck disable=SC2086 # none or one id
  [[ -n $menu ]] && procs_end "$menu" $installer
  [[ -n $wine_up ]] && wine_end
  [[ -n $fuse ]] && disc_unmount
  [[ -n $shm ]] && rm -rf "$shm"
  [[ -n $firebird_up ]] && scripts/firebird-private.sh stop "$firebird_dir"
  [[ -n $xvfb ]] && procs_end "$xvfb"
  # Anything else of this run still alive.
  # shellcheck disable=SC2046 # one id per word
  procs_end $(procs_marked "SKD_BENCH_RUN=$SKD_BENCH_RUN" "$run" "$wine_dir")
  wait 2>/dev/null
  rm -f "$run"/copy-*
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

rm -rf "$run"
mkdir -p "$run/runtime"
chmod 700 "$run/runtime"
export XDG_RUNTIME_DIR=$run/runtime

# A private X server, no window manager: the first map is the program's own.
# Between two runs it has no client at all; without -noreset it would reset
# then, and a run starting meanwhile could not open the display.
if wants linux || wants windows || wants cpu || wants disc; then
  displayfile=$run/display
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp -noreset 7>"$displayfile" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s $displayfile ]] && break
    sleep 0.1
  done
  [[ -s $displayfile ]] || die "Xvfb did not start"
  DISPLAY=:$(cat "$displayfile")
  export DISPLAY
fi

# The sample disc, with both sides of each start-up pair beside setup.ini.
stage=$run/disc
cp -r examples/disc "$stage"

# --- figures ----------------------------------------------------------------

rows=() disc_rows=()
row() { local IFS='|'; rows+=("$*"); }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
calc() { awk "BEGIN {printf \"$1\", $2}"; }
ratio() { calc '%.2fx' "$1 / $2"; }

# start_pair <name> <goal> <loader> <ours> <reference> <env...>: both
# programs under mapwait, alternately; <loader> ("" for none) runs them.
# Start-up is timed on 3n short runs (the program ended at its map), peak
# memory read on n runs a second after the map.
start_pair() {
  local name=$1 goal=$2 loader=$3 ours=$4 ref=$5 i t m side
  shift 5
  local -a env=("$@") ours_t=() ours_m=() ref_t=() ref_m=() run_it
  one() {  # one <mapwait option...> -- <program>: "seconds [KiB]"
    local -a opts=()
    while [[ $1 != -- ]]; do opts+=("$1"); shift; done
    shift
    run_it=(env "${env[@]}" "$bin/mapwait" "${opts[@]}" --)
    [[ -n $loader ]] && run_it+=("$loader")
    "${run_it[@]}" "$1" || die "$(basename "$1") showed no window"
  }
  # One run of each first: caches filled, Wine's session warm.
  one -- "$ours" >/dev/null
  one -- "$ref" >/dev/null
  for i in $(seq $((3 * n))); do
    ((i % 5 == 1)) && say "$name start-up $i/$((3 * n))"
    for side in ours ref; do
      t=$(one --time-only -- "${!side}") || exit 1
      if [[ $side == ours ]]; then ours_t+=("$t"); else ref_t+=("$t"); fi
    done
  done
  for i in $(seq "$n"); do
    say "$name peak memory $i/$n"
    for side in ours ref; do
      out=$(one -- "${!side}") || exit 1
      read -r t m <<<"$out"
      if [[ $side == ours ]]; then ours_m+=("$m"); else ref_m+=("$m"); fi
    done
  done
  local ot rt om rm
  ot=$(median "${ours_t[@]}") rt=$(median "${ref_t[@]}")
  om=$(median "${ours_m[@]}") rm=$(median "${ref_m[@]}")
  row "Start to first window on screen, $name" "$(calc '%.1f ms' "$ot * 1000")" \
    "$(calc '%.1f ms' "$rt * 1000")" "$(ratio "$ot" "$rt")" "≤ $goal"
  row "Peak memory (VmHWM) 1 s after the window is up, $name" "$(calc '%.1f MiB' "$om / 1024")" \
    "$(calc '%.1f MiB' "$rm / 1024")" "$(ratio "$om" "$rm")" "≤ $goal"
}

if wants linux; then
  cp "$release/src/frontend/qt/skdsetup" "$bin/bare_qt" "$stage/"
  start_pair Linux 1.10x "" "$stage/skdsetup" "$stage/bare_qt" QT_QPA_PLATFORM=xcb
fi

not_run=
if wants windows && ! why=$(scripts/wine.sh --check 2>&1); then
  # A machine that runs no 32-bit program has no Wine to measure under.
  not_run="Windows start-up and memory (${why#wine.sh: })"
  say "not run here: $not_run"
elif wants windows; then
  exe=$root/build/mingw/src/frontend/win32/skdsetup.exe
  # Always brought up to date: a stale exe would measure old code.
  { flock 9 && cmake --preset mingw >/dev/null &&
      cmake --build --preset mingw --target skdsetup >&2; } 9>"$root/build/.mingw.lock" ||
    die "cannot build skdsetup.exe"
  # A copy: the build may be remade while this runs.
  cp "$exe" "$stage/skdsetup.exe"
  say "skdsetup.exe: $(stat -c '%s bytes, built %y' "$exe")"
  i686-w64-mingw32-gcc-posix -O2 -Wall -Wextra -Werror -D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE \
    -static -mwindows -municode -s bench/bare_win32.c -o "$stage/bare_win32.exe" ||
    die "cannot build bare_win32.exe"
  wine_session
  start_pair Windows 1.20x /usr/lib/wine/wine "$stage/skdsetup.exe" "$stage/bare_win32.exe" \
    "${wine_env[@]}"
  wine_end
fi

if wants disc; then
  # The sample disc's image as skddisc writes it, with the payload of this
  # tree and the two yardsticks beside setup.ini: a bare Qt window on the
  # same bundle, a bare Win32 window.
  payload=$run/payload
  scripts/payload.sh "$payload" >&2 || die "cannot build the payload"
  disc_dir=$run/disc-image
  cp -r examples/disc "$disc_dir"
  # The bare Qt window in a folder of its own, on the disc's bundle.
  mkdir "$disc_dir/bare"
  cp "$bin/bare_qt" "$disc_dir/bare/"
  # shellcheck disable=SC2016 # the loader's, not the shell's
  patchelf --force-rpath --set-rpath '$ORIGIN/../linux' "$disc_dir/bare/bare_qt"
  printf '[Paths]\nPrefix = ../linux\nPlugins = plugins\n' >"$disc_dir/bare/qt.conf"
  i686-w64-mingw32-gcc-posix -O2 -Wall -Wextra -Werror -D_WIN32_WINNT=0x0601 -DUNICODE -D_UNICODE \
    -static -mwindows -municode -s bench/bare_win32.c -o "$disc_dir/bare_win32.exe" ||
    die "cannot build bare_win32.exe"
  iso=$run/disc.iso
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct) \
    "$release/src/disc/skddisc" image "$disc_dir" "$iso" --payload "$payload" >"$run/image.out" ||
    die "skddisc image: $(cat "$run/image.out")"
  mnt=$run/mnt
  # A desktop's runtime folder: a tmpfs of the user's own.
  shm=$(mktemp -d /dev/shm/skd-bench.XXXXXX)
  disc_wine=0

  # disc_run <name> <command...>: the command started from a fresh mount of
  # the image; sets counted to "KiB reads" read from the image from its
  # start until its first window is up (the mount's own reads come before). A sector (2 KiB) counts once per mount, as a drive's
  # cache keeps it; a read that does not go on where the last one ended is
  # a seek.
  disc_run() {
    local name=$1 log=$run/reads.log at dev i from
    shift
    rm -f "$log"
    mkdir -p "$mnt"
    SKD_READLOG_IMAGE=$iso SKD_READLOG_OUT=$log LD_PRELOAD=$bin/libreadlog.so \
      fuseiso -n "$iso" "$mnt" -f -s >/dev/null 2>&1 &
    fuse=$!
    for i in $(seq 100); do
      mountpoint -q "$mnt" && break
      ((i == 100)) && die "fuseiso did not mount $iso"
      sleep 0.1
    done
    # As a CD drive's: 128 kB around each read.
    dev=$(mountpoint -d "$mnt")
    [[ -w /sys/class/bdi/$dev/read_ahead_kb ]] && echo 128 >"/sys/class/bdi/$dev/read_ahead_kb"
    ((disc_wine)) && wine_up=1
    read -r from at < <("$bin/mapwait" --time-only --at -- "$@") ||
      die "$name showed no window from the image"
    ((disc_wine)) && wine_end
    disc_unmount
    [[ -s $log ]] || die "no reads of the image were logged for $name"
    counted=$(awk -v from="$from" -v at="$at" '
      BEGIN { last = -2 }
      $1 >= from && $1 <= at {
        for (s = int($2 / 2048); s <= int(($2 + $3 - 1) / 2048); s++) {
          if (s in seen) continue
          seen[s] = 1; sectors++
          if (s != last + 1) runs++
          last = s
        }
      }
      END { printf "%d %d\n", sectors * 2, runs }' "$log")
  }

  # disc_row <name> <command...>: the row of the table.
  disc_row() {
    local name=$1 i out counts=() kib reads
    shift
    for i in $(seq "$disc_runs"); do
      say "disc: $name $i/$disc_runs"
      disc_run "$name" "$@"
      counts+=("$counted")
    done
    read -r kib reads <<<"${counts[0]}"
    local note=''
    [[ $(printf '%s\n' "${counts[@]}" | sort -u | wc -l) == 1 ]] ||
      note=" (runs: $(IFS=';'; echo "${counts[*]}"))"
    # 100 ms a seek on a CD or DVD, 1 ms on a stick; MB = 10^6 bytes.
    disc_rows+=("$name|$(sed ':a;s/\B[0-9]\{3\}\>/,&/;ta' <<<"$kib")$note|$reads|$(calc '%.1f s' "$reads * 0.1 + $kib * 1024 / 3.6e6")|$(calc '%.1f s' "$reads * 0.1 + $kib * 1024 / 21e6")|$(calc '%.2f s' "$reads * 0.001 + $kib * 1024 / 30e6")")
  }

  desktop=(env -i PATH=/usr/bin:/bin HOME="$run" LANG=C.UTF-8 DISPLAY="$DISPLAY"
    XDG_RUNTIME_DIR="$shm" SKD_BENCH_RUN="$SKD_BENCH_RUN")
  # shellcheck disable=SC2016 # backquotes of the table's Markdown
  disc_row 'Linux menu (`autorun.sh`)' "${desktop[@]}" "$mnt/autorun.sh"
  # Where nothing may be unpacked (the runtime folder on disk): from the disc.
  desktop_disk=("${desktop[@]}")
  desktop_disk[6]=XDG_RUNTIME_DIR=$run/runtime
  # shellcheck disable=SC2016
  disc_row 'Linux menu (`autorun.sh`), runtime folder not in memory' "${desktop_disk[@]}" "$mnt/autorun.sh"
  disc_row 'a bare Qt 6 window, same bundle' "${desktop[@]}" QT_QPA_PLATFORM=xcb "$mnt/bare/bare_qt"
  # Wine from the mount as drive D:, its session started anew for each run
  # (it keeps files of the drive open). Where Wine cannot run (a kernel
  # without 32-bit support, say), the rows say so.
  if wine_why=$(SKD_WINEPREFIX=$prefix SKD_WINE_DISPLAY=$DISPLAY SKD_WINE_LOCALE=ru_RU.UTF-8 \
      scripts/wine.sh --init 2>&1 </dev/null); then
    wine_session
    wine_end
    ln -sfn "$mnt" "$prefix/dosdevices/d:"
    disc_wine=1
    wine_run=(env "${wine_env[@]}" DISPLAY="$DISPLAY" /usr/lib/wine/wine)
    # shellcheck disable=SC2016
    disc_row 'Windows menu (`D:\skdsetup.exe`, Wine)' "${wine_run[@]}" 'D:\skdsetup.exe'
    disc_row 'a bare Win32 window' "${wine_run[@]}" 'D:\bare_win32.exe'
    rm -f "$prefix/dosdevices/d:"
    wine_end
  else
    wine_why=${wine_why##*$'\n'}
    say "disc: Wine does not run here: $wine_why"
    # shellcheck disable=SC2016
    for name in 'Windows menu (`D:\skdsetup.exe`, Wine)' 'a bare Win32 window'; do
      disc_rows+=("$name|not measured: Wine does not run here ($wine_why)|—|—|—|—")
    done
  fi
  rm -rf "$shm"
  shm=
fi

if wants copy; then
  for size in "${copy_sizes[@]}"; do
    source_file=$run/copy-$size.source dest=$run/copy-$size.dest
    head -c $((size << 20)) /dev/urandom >"$source_file"
    # Each copy makes a new file, on a file system with nothing else left
    # to write back (not timed).
    copy_once() {  # copy_once <command...>: seconds
      rm -f "$dest"
      sync -f "$run"
      local out
      out=$("$bin/timerun" "$@") || return 1
      echo "${out##*$'\n'}"
    }
    ours=("$bin/copy_file" "$source_file" "$dest")
    ref=(cp "$source_file" "$dest" :: sync "$dest")
    copy_once "${ours[@]}" >/dev/null || die "copy_file failed"
    copy_once "${ref[@]}" >/dev/null || die "cp failed"
    ours_t=() ref_t=()
    for i in $(seq "$n"); do
      say "copy of $size MiB $i/$n"
      t=$(copy_once "${ours[@]}") || die "copy_file failed"
      cmp -s "$source_file" "$dest" || die "copy_file's copy differs from its source"
      ours_t+=("$t")
      t=$(copy_once "${ref[@]}") || die "cp failed"
      ref_t+=("$t")
    done
    ot=$(median "${ours_t[@]}") rt=$(median "${ref_t[@]}")
    row "Copy of a $size MiB file, throughput" "$(calc '%.0f MiB/s' "$size / $ot")" \
      "$(calc '%.0f MiB/s' "$size / $rt")" "$(ratio "$rt" "$ot")" "≥ 0.90x"
    rm -f "$source_file" "$dest"
  done
fi

if wants probe; then
  # The private server of the tests, its port and SYSDBA password.
  password=ravarizez
  firebird_up=1
  scripts/firebird-private.sh start "$firebird_dir" || die "the private Firebird server did not start"
  service=127.0.0.1/$(cat "$firebird_dir/port"):service_mgr
  # Should the embedded engine ever be reached, its locks stay ours.
  mkdir -p "$firebird_dir/client-lock"
  export FIREBIRD_LOCK=$firebird_dir/client-lock
  call_file=$run/fbsvcmgr-call
  ours_once() {
    local out
    out=$("$bin/timerun" "$bin/probe" "$service" "$probe_calls") || return 1
    echo "${out%%$'\n'*}"
  }
  # fbsvcmgr attaches and detaches when given no action; the preloaded
  # timer notes when.
  ref_once() {
    rm -f "$call_file"
    LD_PRELOAD=$bin/libfbcall_timer.so SKD_BENCH_CALL_TIME=$call_file \
      "$bin/timerun" fbsvcmgr "$service" -user SYSDBA -password "$password" >/dev/null &&
      cat "$call_file"
  }
  ours_once >/dev/null || die "the probe was refused"
  ref_once >/dev/null || die "fbsvcmgr was refused"
  ours_first=() ours_later=() ref_first=() ref_call=()
  for i in $(seq "$n"); do
    say "probe $i/$n"
    out=$(ours_once) || die "the probe was refused"
    read -r first later <<<"$out"
    ours_first+=("$first") ours_later+=("$later")
    out=$(ref_once) || die "fbsvcmgr was refused"
    read -r first later <<<"$out"
    ref_first+=("$first") ref_call+=("$later")
  done
  scripts/firebird-private.sh stop "$firebird_dir" || die "the private Firebird server did not stop"
  firebird_up=
  of=$(median "${ours_first[@]}") rf=$(median "${ref_first[@]}")
  ol=$(median "${ours_later[@]}") rl=$(median "${ref_call[@]}")
  row "Probe of the private server, first call (process start to answer)" \
    "$(calc '%.2f ms' "$of * 1000")" "$(calc '%.2f ms' "$rf * 1000")" "$(ratio "$of" "$rf")" "≤ 1.0x"
  row "Probe of the private server, later call (reference: fbsvcmgr's attach to detach)" \
    "$(calc '%.2f ms' "$ol * 1000")" "$(calc '%.2f ms' "$rl * 1000")" "$(ratio "$ol" "$rl")" "≤ 1.0x"
fi

if wants cpu; then
  cpu_disc=$run/cpu-disc
  cp -r examples/disc "$cpu_disc"
  cp "$release/src/frontend/qt/skdsetup" "$cpu_disc/"
  printf '#!/bin/sh\n# Stands in for an installer: works for a while.\nexec sleep %s\n' \
    "$installer_seconds" >"$cpu_disc/Install/setup.sh"
  hz=$(getconf CLK_TCK)
  ticks() {  # utime + stime of <pid>
    local stat
    stat=$(cat "/proc/$1/stat") || return 1
    read -r -a f <<<"${stat##*) }"
    echo $((f[11] + f[12]))
  }
  alive() {  # running, not a zombie
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat:0:1} != Z ]]
  }
  all_ticks=0 all_seconds=0
  for i in $(seq "$cpu_runs"); do
    say "menu watching a ${installer_seconds}-second installer $i/$cpu_runs"
    QT_QPA_PLATFORM=xcb "$cpu_disc/skdsetup" >"$run/menu.log" 2>&1 &
    menu=$!
    win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$menu" --name 'Ловерин' 2>/dev/null |
      head -1) || true
    [[ -n $win ]] || die "the menu showed no window"
    # The install button; a click the window was not yet ready for is lost.
    installer=
    for _ in $(seq 10); do
      xdotool mousemove --window "$win" 91 149 click 1
      for _ in $(seq 20); do
        installer=$(pgrep -P "$menu" | head -1) && break
        sleep 0.1
      done
      [[ -n $installer ]] && break
    done
    [[ -n $installer ]] || die "the menu did not start the installer"
    t0=$(ticks "$menu") s0=$EPOCHREALTIME
    while alive "$installer"; do sleep 0.1; done
    # The menu's next tick notices the end.
    sleep 1.5
    t1=$(ticks "$menu") s1=$EPOCHREALTIME
    alive "$menu" || die "the menu ended"
    all_ticks=$((all_ticks + t1 - t0))
    all_seconds=$(calc '%.3f' "$all_seconds + $s1 - $s0")
    procs_end "$menu"
    wait "$menu" 2>/dev/null || true
    menu='' installer=''
  done
  # Ticks are coarse (1/$hz s): the share is taken over all runs together.
  row "CPU of the menu while an installer runs (${installer_seconds}-second installer × $cpu_runs)" \
    "$(calc '%.3f%% of a core' "$all_ticks / $hz / $all_seconds * 100") (ticks: $all_ticks in $(calc '%.0f' "$all_seconds") s)" \
    "—" "—" "≤ 0.1%"
fi

# --- the table ----------------------------------------------------------------

cpu_model=$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)
echo
echo "Machine: $(nproc) cores, ${cpu_model:-unknown CPU}, Debian $(cat /etc/debian_version 2>/dev/null || echo '?')." \
  "Medians of $n runs each ($((3 * n)) for start-up)$( ((quick)) && echo ' (quick mode)')."
if ((${#rows[@]})); then
  echo
  echo "| Figure | Ours | Reference | Ratio | Goal |"
  echo "| --- | --- | --- | --- | --- |"
  for r in "${rows[@]}"; do
    IFS='|' read -r figure ours ref ratio goal <<<"$r"
    echo "| $figure | $ours | $ref | $ratio | $goal |"
  done
fi
if ((${#disc_rows[@]})); then
  echo
  echo "From the disc image to the first window (FUSE mount, read-ahead 128 kB; $disc_runs run(s) each)." \
    "Time = separate reads × seek + bytes / bandwidth: CD 100 ms, 3.6 MB/s; DVD 100 ms, 21 MB/s; USB 2 1 ms, 30 MB/s."
  echo
  echo "| Started from the image | kB before the window | Separate reads | 24x CD | 16x DVD | USB 2 |"
  echo "| --- | --- | --- | --- | --- | --- |"
  for r in "${disc_rows[@]}"; do
    IFS='|' read -r a b c d e f <<<"$r"
    echo "| $a | $b | $c | $d | $e | $f |"
  done
fi
echo
echo "figures measured: $((${#rows[@]} + ${#disc_rows[@]})), $n runs of each side${not_run:+; not run here: $not_run}"
