#!/usr/bin/env bash
# The layering check on small made-up trees and on copies of this tree: a tree
# whose includes all point down passes, and each kind of wrong include fails it.
# Usage: check-layers-test.sh <path of scripts/check-layers.py> [case ...]
# Without a case, runs them all.
set -uo pipefail
check=$1
repo=$(cd "$(dirname "$check")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# shellcheck source=expect-outcome.sh
source "$(dirname "${BASH_SOURCE[0]}")/expect-outcome.sh"

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
  mkdir -p "$1/../docs"
  printf '# Map\n\n## Layers\n\n```\n5  app/main.cpp\n4  app/shell  (the root)\n3  app/views  app/other\n2  app/store  widget\n1  studio\n0  core\n```\n' \
    >"$1/../docs/ARCHITECTURE.md"
  { printf '\nToday'"'"'s edges:\n\n```\n'; python3 "$check" --src "$1" --graph; printf '```\n'; } >>"$1/../docs/ARCHITECTURE.md"
}

expect() { # <pass|fail> <description> <root> [what the failure must say]
  expect_outcome "$1" "$2" "${4:-}" python3 "$check" --src "$3/src"
}

case_tree() { # <name>: a fresh good tree under $scratch/<name>
  make_tree "$scratch/$1/src"
  echo "$scratch/$1"
}

MadeUpTrees() {
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
}

# Copies of this very tree, each with one include that walks around the map.
tree_copy() { # <name>: sources, tests and map of this checkout under $scratch/<name>
  mkdir -p "$scratch/$1"
  cp -r "$repo/src" "$repo/tests" "$repo/docs" "$scratch/$1/"
  echo "$scratch/$1"
}

TheTreeAsItIsPasses() {
  expect pass "this tree as it is" "$(tree_copy as-is)"
}

StudioIncludingInstanceFails() {
  t=$(tree_copy studio-instance)
  printf '#include "instance/LocalInstance.h"\n' >>"$t/src/studio/Studio.h"
  expect fail "the studio includes the instance folder beside it" "$t" "studio and instance are on one line"
}

DesktopIncludingNavigationFails() {
  t=$(tree_copy desktop-navigation)
  printf '#include "app/navigation/AppRouter.h"\n' >>"$t/src/app/desktop/DesktopServices.h"
  expect fail "two folders of one line (desktop, navigation)" "$t" "app/desktop and app/navigation are on one line"
}

CalendarIncludingSheetsFails() {
  t=$(tree_copy calendar-sheets)
  printf '#include "app/sheets/ArchiveSheet.h"\n' >>"$t/src/app/calendar/CalendarPage.h"
  expect fail "two folders of one line (calendar, sheets)" "$t" "app/calendar and app/sheets are on one line"
}

AngleBracketIncludeUpwardsFails() {
  t=$(tree_copy angle-brackets)
  printf '#include <app/library/MainWindow.h>\n' >>"$t/src/app/detail/ProjectDetailView.h"
  expect fail "an include in angle brackets that points up" "$t" "app/detail is below app/library"
}

RelativeIncludeUpwardsFails() {
  t=$(tree_copy relative)
  printf '#include "../library/MainWindow.h"\n' >>"$t/src/app/detail/ProjectDetailView.h"
  expect fail "an include relative to the file that points up" "$t" "app/detail is below app/library"
}

FolderOffTheMapFails() {
  t=$(tree_copy unmapped)
  mkdir -p "$t/src/app/extra"
  printf '#include "core/Clock.h"\n' >"$t/src/app/extra/Extra.h"
  expect fail "a folder that is on no line of the map" "$t" "app/extra is on no line of the map"
}

RoomsInsideAFolderStandApart() {
  t=$(tree_copy room-cycle)
  printf '#include "app/store/ProjectStore.h"\n' >>"$t/src/app/store/sync/SyncMachine.h"
  expect fail "the sync's room includes the store it sits in" "$t" \
    "in a circle: app/store -> app/store/sync -> app/store"

  t=$(tree_copy room-up)
  printf '#include "app/store/sync/SyncSeams.h"\n' >>"$t/src/app/store/rescue/RescueCopies.h"
  expect fail "the rescue copies include the sync above them" "$t" "app/store/rescue is below app/store/sync"

  t=$(tree_copy room-unmapped)
  mkdir -p "$t/src/app/store/extra"
  printf '#include "core/Clock.h"\n' >"$t/src/app/store/extra/Extra.h"
  expect fail "a room inside the store that is on no line of the map" "$t" "app/store/extra is on no line of the map"
}

TestIncludingTheShellFails() {
  t=$(tree_copy test-shell)
  printf '#include "app/shell/AppDelegate.h"\n' >>"$t/tests/app/panel/PanelFixture.h"
  expect fail "a test of the panel includes the shell" "$t" "only main.cpp includes it"
}

TestIncludingAHigherFolderFails() {
  t=$(tree_copy test-up)
  printf '#include "app/library/MainWindow.h"\n' >>"$t/tests/app/panel/PanelFixture.h"
  expect fail "a test of the panel includes the library above it" "$t" "tests/app/panel is below app/library"
}

WidgetTestIncludingTheApplicationFails() {
  t=$(tree_copy test-other-program)
  printf '#include "app/store/ProjectStore.h"\n' >>"$t/tests/widget/WidgetFixture.h"
  expect fail "a test of the widget program includes the application" "$t" "separate programs"
}

PrintedEdgesThatDriftFail() {
  t=$(tree_copy printed-edge-changed)
  sed -i 's/^\(core  *-> \)(nothing)$/\1studio/' "$t/docs/ARCHITECTURE.md"
  expect fail "the notes print an edge the sources do not have" "$t" "+core -> (nothing)"

  t=$(tree_copy new-include-unprinted)
  printf '#include "core/Clock.h"\n' >>"$t/src/app/desktop/DesktopServices.h"
  expect fail "an include that points down but is not printed in the notes" "$t" \
    "+app/desktop -> app/store, core"

  t=$(tree_copy printed-edges-missing)
  sed -i '/Today.s edges/,$d' "$t/docs/ARCHITECTURE.md"
  expect fail "notes without the printed edges" "$t" "prints no edges under the map"
}

cases=("${@:2}")
[ ${#cases[@]} -eq 0 ] && cases=(MadeUpTrees TheTreeAsItIsPasses StudioIncludingInstanceFails DesktopIncludingNavigationFails CalendarIncludingSheetsFails AngleBracketIncludeUpwardsFails RelativeIncludeUpwardsFails FolderOffTheMapFails RoomsInsideAFolderStandApart TestIncludingTheShellFails TestIncludingAHigherFolderFails WidgetTestIncludingTheApplicationFails PrintedEdgesThatDriftFail)
for name in "${cases[@]}"; do
  "$name"
done
[ "$failures" -eq 0 ] && echo "check-layers: every wrong include is caught"
exit "$failures"
