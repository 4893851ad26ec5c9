#!/usr/bin/env bash
# The layering check on small made-up trees: a tree whose includes all point
# down passes, and each kind of wrong include fails it.
# Usage: check-layers-test.sh <path of scripts/check-layers.py>
set -uo pipefail
check=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# A tree that keeps the layers: core <- studio <- app/store <- app/views <- app/shell <- app/main.cpp.
make_tree() { # <root>
  mkdir -p "$1"/core "$1"/studio "$1"/widget "$1"/app/store "$1"/app/views "$1"/app/shell
  printf '#pragma once\n' >"$1/core/Clock.h"
  printf '#include "core/Clock.h"\n' >"$1/studio/Shapes.h"
  printf '#include "core/Clock.h"\n' >"$1/app/store/Store.h"
  printf '#include "app/store/Store.h"\n#include "studio/Shapes.h"\n' >"$1/app/views/View.h"
  printf '#include "app/views/View.h"\n' >"$1/app/shell/Delegate.h"
  printf '#include "app/shell/Delegate.h"\n' >"$1/app/main.cpp"
  printf '#include "studio/Shapes.h"\n#include "core/Clock.h"\n' >"$1/widget/Window.h"
}

expect() { # <pass|fail> <description> <root> [what the failure must say]
  python3 "$check" --src "$3/src" >"$scratch/out" 2>&1
  local rc=$?
  if { [ "$1" = pass ] && [ $rc -ne 0 ]; } || { [ "$1" = fail ] && [ $rc -eq 0 ]; }; then
    echo "expected the check to $1: $2"; cat "$scratch/out"
    failures=$((failures + 1))
  elif [ -n "${4:-}" ] && ! grep -q -- "$4" "$scratch/out"; then
    echo "the check failed on $2 without saying \"$4\":"; cat "$scratch/out"
    failures=$((failures + 1))
  fi
}

case_tree() { # <name>: a fresh good tree under $scratch/<name>
  make_tree "$scratch/$1/src"
  echo "$scratch/$1"
}

expect pass "includes that all point down" "$(case_tree good)"

t=$(case_tree cycle)
printf '#include "app/views/View.h"\n' >>"$t/src/app/store/Store.h"
expect fail "a view folder and the store include each other" "$t" "in a circle: app/store -> app/views -> app/store"

t=$(case_tree studio-up)
printf '#include "app/views/View.h"\n' >>"$t/src/studio/Shapes.h"
expect fail "the studio includes an application folder" "$t" "studio is below app/views"

t=$(case_tree core-up)
printf '#include "studio/Shapes.h"\n' >>"$t/src/core/Clock.h"
expect fail "the core includes the studio" "$t" "core is below studio"

t=$(case_tree widget-app)
printf '#include "app/store/Store.h"\n' >>"$t/src/widget/Window.h"
expect fail "the widget program includes the application" "$t" "separate programs"

t=$(case_tree shell)
mkdir -p "$t/src/app/other"
printf '#include "app/shell/Delegate.h"\n' >"$t/src/app/other/Other.h"
expect fail "a folder other than main.cpp's includes the shell" "$t" "only main.cpp includes it"

[ "$failures" -eq 0 ] && echo "check-layers: every wrong include is caught"
exit "$failures"
