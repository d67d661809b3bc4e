#!/usr/bin/env bash
# Installs what is missing, builds and runs every test lane: core and Qt tests
# with the integration tests (real program on Xvfb), the same under
# ASan+UBSan, the Windows build and its tests under Wine, a quick run of the
# benchmark (that it measures; its figures fail nothing), and a short run of
# every fuzz target (seconds each).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
fuzz_seconds=${SKD_FUZZ_SECONDS:-15}  # per target
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$root/build/xdg-runtime}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

scripts/deps.sh || exit 1

# Every process of this run carries the mark, so that any one left running
# at the end can be found.
export SKD_TEST_RUN=$$.$(date +%s%N)
source scripts/procs.sh

declare -a summary
status=0
lane() {  # lane <name> <command...>
  local name=$1; shift
  echo "=== $name"
  local log=$root/build/lane-$name.log
  mkdir -p "$root/build"
  if "$@" 2>&1 | tee "$log"; then
    summary+=("$name: $(grep -E 'tests passed|Done [0-9]+ runs|figures measured' "$log" | tail -1)")
  else
    summary+=("$name: FAILED ($(grep -E 'tests passed' "$log" | tail -1))")
    status=1
  fi
}

build_and_test() {  # preset
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" &&
    ctest --preset "$1" -j2
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

# The disc image of the sample disc, with the payload it needs, and both
# menus run from the image's files (the Linux one without the system's Qt,
# the Windows one under Wine from a drive root).
disc_image() {
  scripts/deps.sh wine64 wine32:i386 fonts-wine locales && scripts/payload.sh &&
    bash tests/disc/image.sh build/payload/linux/src/disc/skddisc build/payload/out \
      build/payload/screenshots && echo "disc image: tests passed"
}

# Two clean clones built into release files alike byte for byte, a signed
# release verified, the versions read back.
release_files() {
  bash tests/release/release.sh build/payload/screenshots
}

lane default build_and_test default
lane asan build_and_test asan
lane wine scripts/test-wine.sh
lane disc disc_image
lane release release_files
lane bench scripts/bench.sh --quick
lane fuzz fuzz

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
[[ $status -eq 0 ]] && echo "ALL LANES PASSED" || echo "SOME LANES FAILED"
exit $status
