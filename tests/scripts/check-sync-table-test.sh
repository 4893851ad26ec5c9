#!/usr/bin/env bash
# The sync table's check on copies of the machine's header and of the map: as
# they are it passes, and each way the two can drift apart fails it.
# Usage: check-sync-table-test.sh <path of scripts/check-sync-table.py> [case ...]
# Without a case, runs them all.
set -uo pipefail
check=$1
repo=$(cd "$(dirname "$check")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# shellcheck source=expect-outcome.sh
source "$(dirname "${BASH_SOURCE[0]}")/expect-outcome.sh"

copies() { # <name>: fresh copies of the header and the map under $scratch/<name>
  mkdir -p "$scratch/$1"
  cp "$repo/src/app/store/sync/SyncMachine.h" "$scratch/$1/SyncMachine.h"
  cp "$repo/docs/ARCHITECTURE.md" "$scratch/$1/ARCHITECTURE.md"
  echo "$scratch/$1"
}

expect() { # <pass|fail> <description> <folder> [what the failure must say]
  expect_outcome "$1" "$2" "${4:-}" python3 "$check" --header "$3/SyncMachine.h" --doc "$3/ARCHITECTURE.md"
}

TheCodeAsItIsPasses() {
  expect pass "the header and the map as they are" "$(copies as-is)"
}

StateMissingFromTheTableFails() {
  t=$(copies state)
  sed -i 's/^enum class SyncState {/&\n    Frozen,/' "$t/SyncMachine.h"
  expect fail "a state the table lacks" "$t" "the state Frozen of the code is missing"
}

EventMissingFromTheTableFails() {
  t=$(copies event)
  sed -i 's/^enum class SyncEvent {/&\n    Hiccup, \/\/ a comment, as the others have/' "$t/SyncMachine.h"
  expect fail "an event the table lacks" "$t" "the event Hiccup of the code is missing"
}

ActionMissingFromTheTableFails() {
  t=$(copies action)
  sed -i 's/^enum class SyncAction {/&\n    Shrug,/' "$t/SyncMachine.h"
  expect fail "an action the table lacks" "$t" "the action Shrug of the code is missing"
}

StateOnlyInTheTableFails() {
  t=$(copies table-state)
  sed -i 's/^| `WaitingForFolder` | `LockFree` |/| `WaitingForFolder`, `Dozing` | `LockFree` |/' "$t/ARCHITECTURE.md"
  expect fail "a state the code does not have" "$t" "names the state Dozing"
}

EventOnlyInTheTableFails() {
  t=$(copies table-event)
  sed -i 's/^| any | `KeepRescue` |/| any | `KeepRescue`, `PowerCut` |/' "$t/ARCHITECTURE.md"
  expect fail "an event the code does not have" "$t" "names the event PowerCut"
}

ActionOnlyInTheTableFails() {
  t=$(copies table-action)
  sed -i 's/`KeepRescueCopy`: the unsaved/`KeepRescueCopy`, `PrintIt`: the unsaved/' "$t/ARCHITECTURE.md"
  expect fail "an action the code does not have" "$t" "names the action PrintIt"
}

PairWithoutARowFails() {
  t=$(copies pair)
  sed -i '/^| `WaitingForFolder` | `LockFree` |/d' "$t/ARCHITECTURE.md"
  expect fail "a state and an event without a row" "$t" "no row for the state WaitingForFolder and the event LockFree"
}

cases=("${@:2}")
[ ${#cases[@]} -eq 0 ] && cases=(TheCodeAsItIsPasses StateMissingFromTheTableFails EventMissingFromTheTableFails
  ActionMissingFromTheTableFails StateOnlyInTheTableFails EventOnlyInTheTableFails ActionOnlyInTheTableFails
  PairWithoutARowFails)
for c in "${cases[@]}"; do "$c"; done
[ "$failures" -eq 0 ] && echo "sync table check: ${#cases[@]} case(s) as expected"
exit $((failures > 0))
