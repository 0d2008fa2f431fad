#!/usr/bin/env bash
# Lists which module includes which among scene/, render/ and shell/ (a module is
# NAME.h with NAME.cpp), and fails when they include each other in a circle, or when
# a lower layer includes a higher one (shell uses render and scene; render uses scene).
#   tools/include_graph.sh [SOURCE_DIR] [--list]
set -euo pipefail
root=$(dirname "$0")/..
list=false
for arg in "$@"; do
  case $arg in
    --list) list=true ;;
    *) root=$arg ;;
  esac
done
cd "$root"

layer_rank() { case $1 in scene/*) echo 0 ;; render/*) echo 1 ;; shell/*) echo 2 ;; esac; }

edges=$(
  for file in scene/*.h scene/*.cpp render/*.h render/*.cpp shell/*.h shell/*.cpp; do
    from=${file%.*}
    grep -o '^#include "\(scene\|render\|shell\)/[A-Za-z0-9_]*\.h"' "$file" | sed 's/^#include "\(.*\)\.h"/\1/' |
      while read -r to; do [[ $to != "$from" ]] && echo "$from $to"; done
  done | sort -u
)
$list && echo "$edges"

status=0
while read -r from to; do
  if (( $(layer_rank "$from") < $(layer_rank "$to") )); then
    echo "include_graph: $from includes $to, a higher layer" >&2
    status=1
  fi
done <<< "$edges"
# tsort names every module on a circle it finds.
if ! loops=$(tsort <<< "$edges" 2>&1 >/dev/null) || [[ -n $loops ]]; then
  echo "include_graph: modules include each other in a circle:" >&2
  echo "$loops" >&2
  status=1
fi
exit $status
