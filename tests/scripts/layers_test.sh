#!/usr/bin/env bash
# scripts/layers.sh on small trees: a downward tree passes; an include up, a
# link up, a link between the front ends, a Qt header in ui/, windows.h or a
# platform implementation's header in disc/ and a folder in no layer each
# fail it.
set -uo pipefail
layers=$(realpath "$1")/scripts/layers.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0

tree() {  # a fresh tree where ui/ uses config/ and the Qt front end uses both
  rm -rf "$tmp/src"
  mkdir -p "$tmp/src"/{config,ui,disc,frontend/qt,frontend/win32}
  echo '#include "platform/Console.h"' >"$tmp/src/disc/main.cpp"
  echo '#include "config/Common.h"' >"$tmp/src/ui/Main.cpp"
  printf '#include "ui/Main.h"\n#include <QWidget>\n' >"$tmp/src/frontend/qt/QtForm.cpp"
  echo 'add_library(skd_config STATIC Common.cpp)' >"$tmp/src/config/CMakeLists.txt"
  printf 'add_library(skd_ui STATIC Main.cpp)\ntarget_link_libraries(skd_ui PUBLIC\n  skd_config)\n' \
    >"$tmp/src/ui/CMakeLists.txt"
  printf 'add_library(skd_qt STATIC QtForm.cpp)\ntarget_link_libraries(skd_qt PUBLIC skd_ui Qt6::Widgets)\n' \
    >"$tmp/src/frontend/qt/CMakeLists.txt"
  echo 'add_library(skd_win32 STATIC Win32Form.cpp)' >"$tmp/src/frontend/win32/CMakeLists.txt"
}

expect() {  # EXPECTED_STATUS WHAT
  bash "$layers" "$tmp/src" >"$tmp/out" 2>&1
  local got=$?
  if [[ $got -ne $1 ]]; then
    echo "FAIL: $2: status $got" >&2
    cat "$tmp/out" >&2
    status=1
  fi
}

tree
expect 0 "a downward tree"
grep -q 'frontend/qt *-> ui *1 *1' "$tmp/out" || { echo "FAIL: the arrow frontend/qt -> ui not printed" >&2; status=1; }

tree; echo '#include "frontend/qt/QtForm.h"' >>"$tmp/src/ui/Main.cpp"
expect 1 "ui includes a front end"
tree; echo 'target_link_libraries(skd_config PUBLIC skd_ui)' >>"$tmp/src/config/CMakeLists.txt"
expect 1 "config links ui"
tree; echo 'target_link_libraries(skd_win32 PUBLIC skd_qt)' >>"$tmp/src/frontend/win32/CMakeLists.txt"
expect 1 "one front end links the other"
tree; echo '#include <QString>' >>"$tmp/src/ui/Main.cpp"
expect 1 "a Qt header in ui"
for header in '<windows.h>' '"platform/win32/Wide.h"'; do
  tree; echo "#include $header" >>"$tmp/src/disc/main.cpp"
  expect 1 "$header in disc"
done
tree; mkdir "$tmp/src/extra" && echo '' >"$tmp/src/extra/X.cpp"
expect 1 "a folder in no layer"
exit $status
