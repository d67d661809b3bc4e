#!/bin/sh
# The installer the end-to-end tests put on a disc (the exe's twin is
# tests/wine/integration/installer_standin.c): notes "started" in "ran" beside
# itself, runs until "release" shows there (two minutes at most, so that a
# failed test cannot leave it behind), then notes "ended".
here=$(dirname "$0")
echo started >>"$here/ran"
n=0
while [ ! -e "$here/release" ] && [ $n -lt 1200 ]; do
  sleep 0.1
  n=$((n + 1))
done
echo ended >>"$here/ran"
