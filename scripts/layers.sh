#!/usr/bin/env bash
# The layers of src/ and the arrows between them: every #include "dir/..."
# of a source file and every target_link_libraries of a CMake target in
# src/. Prints the graph; fails on an arrow that does not point to a lower
# layer, on a folder in no layer, and on a Qt or Windows header, or one of
# platform/'s own implementations, in the toolkit-free ui/, app/ and disc/.
#
# Usage: scripts/layers.sh [SRC_DIR]    (default: the src/ beside this script)
set -uo pipefail
src=$(realpath "${1:-$(dirname "$0")/../src}")

# Bottom up. A folder may use only the layers below its own, so the two front
# ends stay apart and the disc tool stays out of the menu (it reads the menu's
# layout and texts, never the other way).
layers=("platform lists help" "config dbserver" "ui" "disc app" "frontend/qt frontend/win32")
declare -A rank
for i in "${!layers[@]}"; do
  for m in ${layers[$i]}; do rank[$m]=$i; done
done
toolkit_free="ui app disc"
toolkit_header='^[[:space:]]*#[[:space:]]*include[[:space:]]*(<(Q[A-Za-z]*/?[A-Za-z]*|windows\.h|windowsx\.h|commctrl\.h|uxtheme\.h|shellapi\.h|objbase\.h|wincodec\.h|shlobj\.h)>|"platform/(win32|posix)/)'

# The folder a path below src/ belongs to: its first part, two for frontend/.
module() {
  local p=$1
  if [[ $p == frontend/* ]]; then
    p=${p#frontend/}
    echo "frontend/${p%%/*}"
  else
    echo "${p%%/*}"
  fi
}

declare -A includes links
failures=()
edge() {  # FROM TO KIND WHERE
  local from=$1 to=$2
  [[ $from == "$to" ]] && return
  if [[ -z ${rank[$to]+x} ]]; then
    failures+=("$4: $to is in no layer")
  elif ((rank[$to] >= rank[$from])); then
    failures+=("$4: $from (layer ${rank[$from]}) -> $to (layer ${rank[$to]})")
  fi
  if [[ $3 == include ]]; then
    includes["$from $to"]=$((${includes["$from $to"]:-0} + 1))
  else
    links["$from $to"]=$((${links["$from $to"]:-0} + 1))
  fi
}

while IFS= read -r -d '' file; do
  rel=${file#"$src"/}
  from=$(module "$rel")
  if [[ -z ${rank[$from]+x} ]]; then
    failures+=("$rel: $from is in no layer")
    continue
  fi
  while IFS= read -r inc; do
    [[ $inc == */* ]] && edge "$from" "$(module "$inc")" include "$rel includes $inc"
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
  if [[ " $toolkit_free " == *" $from "* ]]; then
    while IFS= read -r line; do
      failures+=("$rel: a toolkit header in $from: $line")
    done < <(grep -m1 -E "$toolkit_header" "$file")
  fi
done < <(find "$src" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | sort -z)

# Links: the libraries each folder defines, then what each folder links.
declare -A owner
mapfile -t cmakes < <(find "$src" -mindepth 2 -name CMakeLists.txt | sort)
for cm in "${cmakes[@]}"; do
  m=$(module "${cm#"$src"/}")
  for t in $(tr '\n' ' ' <"$cm" | grep -oE 'add_library\([[:space:]]*[A-Za-z0-9_]+' | sed 's/.*(//'); do
    owner[$t]=$m
  done
done
for cm in "${cmakes[@]}"; do
  rel=${cm#"$src"/}
  m=$(module "$rel")
  while IFS= read -r call; do
    read -ra words <<<"$(sed 's/target_link_libraries(//; s/)$//' <<<"$call")"
    for w in "${words[@]:1}"; do
      [[ -n ${owner[$w]+x} ]] && edge "$m" "${owner[$w]}" link "$rel links $w"
    done
  done < <(tr '\n' ' ' <"$cm" | grep -oE 'target_link_libraries\([^)]*\)')
done

echo "Layers of $src, bottom up:"
for i in "${!layers[@]}"; do echo "  $i  ${layers[$i]}"; done
echo "Arrows (includes, links):"
for e in $(printf '%s\n' "${!includes[@]}" "${!links[@]}" | tr ' ' '>' | sort -u); do
  k=${e/>/ }
  printf '  %-16s -> %-16s %3d %3d\n' "${k% *}" "${k#* }" "${includes[$k]:-0}" "${links[$k]:-0}"
done
if ((${#failures[@]})); then
  echo "Arrows that do not point down:" >&2
  printf '  %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "Every arrow points down."
