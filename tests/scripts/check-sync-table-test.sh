#!/usr/bin/env bash
# The sync table's check on a copy of the map and a printer built from a copy
# of the machine's table: as they are it passes, and each way the two can
# drift apart, in the map or in the code, fails it.
# Usage: check-sync-table-test.sh <scripts/check-sync-table.py> <built printer> [case ...]
# Without a case, runs them all.
set -uo pipefail
check=$1
printer=$2
repo=$(cd "$(dirname "$check")/.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
# shellcheck source=expect-outcome.sh
source "$(dirname "${BASH_SOURCE[0]}")/expect-outcome.sh"

map() { # <name>: a fresh copy of the map under $scratch/<name>
  mkdir -p "$scratch/$1"
  cp "$repo/docs/ARCHITECTURE.md" "$scratch/$1/ARCHITECTURE.md"
  echo "$scratch/$1"
}

# <name> <python that edits the text in `s`>: a printer built from a copy of
# the machine with the edit made; fails the case when the edit did not apply.
printer_of() {
  local t=$scratch/$1
  mkdir -p "$t/src/app/store/sync" "$t/src/core"
  cp "$repo/src/app/store/sync/SyncMachine.h" "$repo/src/app/store/sync/SyncMachine.cpp" "$t/src/app/store/sync/"
  cp "$repo/src/core/EnumText.h" "$t/src/core/"
  python3 - "$t/src/app/store/sync/SyncMachine.cpp" "$2" <<'PY' || return 1
import sys
path, edit = sys.argv[1], sys.argv[2]
s = open(path).read()
before = s
exec(edit)
if s == before:
    sys.exit("the edit of the machine's table did not apply")
open(path, "w").write(s)
PY
  # shellcheck disable=SC2046
  c++ -std=c++20 -fPIC -I"$t/src" $(pkg-config --cflags Qt6Core) -o "$t/printer" \
    "$repo/tools/sync-table/SyncTablePrinter.cpp" "$t/src/app/store/sync/SyncMachine.cpp" \
    $(pkg-config --libs Qt6Core) || return 1
  echo "$t/printer"
}

expect() { # <pass|fail> <description> <printer> <map folder> [what the failure must say]
  expect_outcome "$1" "$2" "${5:-}" python3 "$check" --printer "$3" --doc "$4/ARCHITECTURE.md"
}

# Edits of the map's table, as python on the text `s`.
doc_edit() { # <folder> <python>
  python3 - "$1/ARCHITECTURE.md" "$2" <<'PY'
import sys
path, edit = sys.argv[1], sys.argv[2]
s = open(path).read()
before = s
exec(edit)
if s == before:
    sys.exit("the edit of the map did not apply")
open(path, "w").write(s)
PY
}

swap_lines='lines = s.split("\n"); a = next(i for i, l in enumerate(lines) if FIRST in l); b = next(i for i, l in enumerate(lines) if SECOND in l); lines[a], lines[b] = lines[b], lines[a]; s = "\n".join(lines)'

TheTablesAsTheyArePass() {
  expect pass "the map and the machine as they are" "$printer" "$(map as-is)"
}

NextStateChangedInTheMapFails() {
  t=$(map next-doc)
  doc_edit "$t" 's = s.replace("`StopSaveTimer`, `StartWrite` | job `Write`", "`StopSaveTimer`, `StartWrite` | job `Read`", 1)'
  expect fail "a next state changed in the map" "$printer" "$t" "| job \`Read\`"
}

NextStateChangedInTheCodeFails() {
  p=$(printer_of next-code 's = s.replace("constexpr SyncNext writing{.job = J::Write", "constexpr SyncNext writing{.job = J::Read", 1)') ||
    { echo "could not build the changed printer"; failures=$((failures + 1)); return; }
  expect fail "a next state changed in the code" "$p" "$(map next-code-doc)" "machine: .*job \`Read\`"
}

ActionDroppedFromTheMapFails() {
  t=$(map action-doc)
  doc_edit "$t" 's = s.replace("`ShowRead`, `ReloadWidget`, ", "`ShowRead`, ", 1)'
  expect fail "an action dropped from a row of the map" "$printer" "$t" "map: .*\`ShowRead\`, \`MarkInStep\`"
}

ActionDroppedFromTheCodeFails() {
  p=$(printer_of action-code 's = s.replace("A::ShowRead, A::ReloadWidget,", "A::ShowRead,", 1)') ||
    { echo "could not build the changed printer"; failures=$((failures + 1)); return; }
  expect fail "an action dropped from a row of the code" "$p" "$(map action-code-doc)" "machine: .*\`ShowRead\`, \`MarkInStep\`"
}

RowsSwappedInTheMapFails() {
  t=$(map swap-doc)
  doc_edit "$t" "FIRST = '| job \`FirstRead\`, \`Read\`, \`Write\` | \`LockBusy\`'; SECOND = '| any | \`LockBusy\`'; $swap_lines"
  expect fail "two rows swapped in the map" "$printer" "$t" "map: *| any | \`LockBusy\`"
}

RowsSwappedInTheCodeFails() {
  p=$(printer_of swap-code "FIRST = 'row(jobRuns, E::LockBusy'; SECOND = 'row(any, E::LockBusy'; $swap_lines") ||
    { echo "could not build the changed printer"; failures=$((failures + 1)); return; }
  expect fail "two rows swapped in the code" "$p" "$(map swap-code-doc)" "machine: *| any | \`LockBusy\`"
}

cases=("${@:3}")
[ ${#cases[@]} -eq 0 ] && cases=(TheTablesAsTheyArePass NextStateChangedInTheMapFails NextStateChangedInTheCodeFails
  ActionDroppedFromTheMapFails ActionDroppedFromTheCodeFails RowsSwappedInTheMapFails RowsSwappedInTheCodeFails)
for c in "${cases[@]}"; do "$c"; done
[ "$failures" -eq 0 ] && echo "sync table check: ${#cases[@]} case(s) as expected"
exit $((failures > 0))
