#!/usr/bin/env bash
# Installs what is missing, builds and runs every test lane: core and Qt tests
# with the integration tests (real program on Xvfb), the same under
# ASan+UBSan, the Windows build and its tests under Wine, the disc image, the
# release files, a quick run of the benchmark (that it measures; its figures
# fail nothing), and a short run of every fuzz target (seconds each). The
# lanes run in two tracks side by side; each writes build/lane-NAME.log, and
# the log of a lane that fails is shown at the end.
#   scripts/test-all.sh [--only LANE,...]   (default asan fuzz bench packages
#                                            wine disc release; all by default)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
all_lanes=(packages default asan wine disc release bench fuzz)
lanes=("${all_lanes[@]}")
case ${1:-} in
  --only) IFS=, read -ra lanes <<<"${2:-}" ;;
  --only=*) IFS=, read -ra lanes <<<"${1#--only=}" ;;
  "") ;;
  *) echo "usage: $0 [--only LANE,...] (lanes: ${all_lanes[*]})" >&2; exit 2 ;;
esac
for name in "${lanes[@]}"; do
  [[ " ${all_lanes[*]} " == *" $name "* ]] ||
    { echo "test-all.sh: no lane \"$name\" (lanes: ${all_lanes[*]})" >&2; exit 2; }
done
((${#lanes[@]})) || { echo "test-all.sh: --only names no lane" >&2; exit 2; }
want() { [[ " ${lanes[*]} " == *" $1 "* ]]; }
# The Windows, disc and release lanes need the packages lane.
want wine || want disc || want release && ! want packages && lanes+=(packages)
fuzz_seconds=${SKD_FUZZ_SECONDS:-15}  # per target
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$root/build/xdg-runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# The packages of the Linux builds first; those of the Windows, disc and
# release lanes install in the background while the first build runs, in
# one install (one update, one download, one round of triggers).
scripts/deps.sh || exit 1
packages_time=$SECONDS
mkdir -p "$root/build"
extra_packages=(g++-mingw-w64-i686-posix libz-mingw-w64-dev gcc-mingw-w64-x86-64-posix wine64 wine32:i386
  fonts-wine locales xorriso patchelf zstd fuseiso zip osslsigncode libx11-dev firebird3.0-utils)

# Every process of this run carries the mark, so that any one left running
# at the end can be found.
export SKD_TEST_RUN=$$.$(date +%s%N)
source scripts/procs.sh

# A lane writes its log and one result line; the lanes run in two tracks
# side by side, so that one track's builds use the cores while the other's
# tests wait on windows and servers.
results=$root/build/lane-results
rm -rf "$results" && mkdir -p "$results"
lane() {  # lane <name> <command...>; a lane not chosen is skipped
  local name=$1; shift
  want "$name" || return 0
  local log=$root/build/lane-$name.log began=$SECONDS line
  echo "=== $name: started"
  if "$@" >"$log" 2>&1; then
    line="$name ($((SECONDS - began)) s): $(grep -E 'tests passed|Done [0-9]+ runs|figures measured|not run here' "$log" | tail -1)"
    # What this machine cannot run is said in the summary, not only the log.
    [[ $line == *"not run here"* ]] || ! grep -q 'not run here' "$log" ||
      line+=" (not run here: $(grep -o 'not run here: [^(]*' "$log" | sed 's/not run here: //; s/ *$//' | sort -u | paste -sd, | sed 's/,/, /g'))"
  else
    line="$name ($((SECONDS - began)) s): FAILED ($(grep -E 'tests passed' "$log" | tail -1))"
  fi
  echo "$line" >"$results/$name"
  echo "=== $line"
}

# build/.PRESET-built marks a finished build for the other track.
build_and_test() {  # preset
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" &&
    touch "$root/build/.$1-built" && ctest --preset "$1" -j2
}

fuzz() {  # every fuzz/*_fuzz.cpp target, each a short run from fuzz/corpus/<target>/
  local targets=() t
  for t in fuzz/*_fuzz.cpp; do targets+=("$(basename "$t" .cpp)"); done
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz --target "${targets[@]}" || return 1
  local rc=0 corpus
  for t in "${targets[@]}"; do
    corpus=$root/build/fuzz/corpus/$t
    rm -rf "$corpus" && mkdir -p "$corpus"
    [[ -d fuzz/corpus/$t ]] && cp -r "fuzz/corpus/$t/." "$corpus"
    echo "--- $t"
    build/fuzz/fuzz/"$t" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
      "$corpus" 2>&1 | grep -E 'Done|stat::number_of_executed_units|crash|ERROR|SUMMARY'
    ((PIPESTATUS[0] == 0)) || rc=1
  done
  return "$rc"
}

extra_packages() {
  scripts/deps.sh "${extra_packages[@]}" && echo "packages: tests passed"
}

# The Windows lane's end-to-end tests read the X clipboard with a program of
# the default build; they start once that build is there (or has failed).
wine_lane() {
  if ! want default; then
    cmake --preset default >/dev/null && cmake --build --preset default --target dialog_gallery || return 1
  fi
  SKD_WINE_WAIT_FOR=$root/build/.default-built scripts/test-wine.sh
}

# The disc image of the sample disc, with the payload it needs, and both
# menus run from the image's files (the Linux one without the system's Qt,
# the Windows one under Wine from a drive root); its preview pictures; the
# README's "Before burning" commands as written.
disc_image() {
  scripts/payload.sh &&
    bash tests/disc/image.sh build/release/src/disc/skddisc build/payload/out \
      build/payload/screenshots && echo "disc image: tests passed" &&
    bash tests/disc/preview.sh build/release/src/disc/skddisc build/payload/out \
      build/payload/screenshots &&
    bash tests/disc/before_burning.sh build/payload/screenshots
}

# A clean clone against the tree's own build, alike byte for byte; a signed
# release verified; the versions read back.
release_files() {
  bash tests/release/release.sh build/payload/screenshots
}

rm -f "$root"/build/.*-built
(
  lane default build_and_test default
  touch "$root/build/.default-built"  # also when the build failed
  lane asan build_and_test asan
  lane fuzz fuzz
  # The benchmark shares the release build with the disc and release lanes
  # (each build takes the folder's lock), and this track ends first.
  lane bench scripts/bench.sh --quick
) &
track1=$!
(
  lane packages extra_packages
  if grep -qs FAILED "$results/packages"; then
    for name in wine disc release; do
      want "$name" || continue
      echo "$name (0 s): FAILED (packages missing)" >"$results/$name"
    done
    exit
  fi
  lane wine wine_lane
  lane disc disc_image
  lane release release_files
) &
track2=$!
wait "$track1" "$track2"

declare -a summary
status=0
for name in "${all_lanes[@]}"; do
  want "$name" || continue
  line=$(cat "$results/$name" 2>/dev/null) || line="$name: FAILED (did not run)"
  summary+=("$line")
  if [[ $line == *FAILED* ]]; then
    status=1
    if [[ -f $root/build/lane-$name.log ]]; then
      echo
      echo "=== $name: the end of its log (build/lane-$name.log)"
      tail -150 "$root/build/lane-$name.log"
    fi
  fi
done

# Nothing the run started may outlive it: a moment for what is ending, then
# each one left is named, ended, and fails the run.
left=
for _ in $(seq 30); do
  left=$(procs_marked "SKD_TEST_RUN=$SKD_TEST_RUN" "$root/build" "${TMPDIR:-/tmp}/skd-it.")
  [[ -z $left ]] && break
  sleep 0.1
done
if [[ -n $left ]]; then
  # shellcheck disable=SC2086 # one id per word
  summary+=("left running: FAILED" "$(procs_describe $left)")
  # shellcheck disable=SC2086
  procs_end $left
  status=1
else
  summary+=("left running: none")
fi

echo
echo "=== summary"
printf '%s\n' "${summary[@]}"
echo "total: $SECONDS s (of which the Linux builds' packages: $packages_time s)"
[[ $status -eq 0 ]] && echo "ALL LANES PASSED" || echo "SOME LANES FAILED"
exit $status
