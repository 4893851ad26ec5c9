#!/usr/bin/env bash
# Puts back, one at a time, faults that were mended (scripts/planted-faults/*.patch)
# in a scratch worktree of HEAD, builds the store tests there and runs the sync
# simulation with the test command's budget; prints, per fault, the first seed
# that breaks with the fault and holds without it, how many schedules that
# took and what broke. Fails when the simulation misses one. Needs a committed
# HEAD; leaves this tree alone.
# Usage: scripts/hunt-planted-faults.sh [patch ...]
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d)
tree=$scratch/tree
git -C "$here" worktree add -q --detach "$tree" HEAD || exit 1
trap 'git -C "$here" worktree remove --force "$tree"; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data" "$scratch/config" "$scratch/runtime" "$scratch/state"
chmod 700 "$scratch/runtime"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" \
  XDG_STATE_HOME="$scratch/state" QT_QPA_PLATFORM=offscreen SORVEL_SYNC_SEED=1
cmake -S "$tree" -B "$tree/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null || exit 1

# The seeds that break without any fault planted (none, when every fault found is mended).
simulate() { # <output>
  "$tree/build/tests/store_tests" --gtest_filter='SyncSimulation.EverySeeded*' 2>/dev/null | grep '^broke: seed' >"$1"
}
cmake --build "$tree/build" --target store_tests >"$scratch/build.log" 2>&1 || { tail -20 "$scratch/build.log"; exit 1; }
simulate "$scratch/baseline"
echo "without a planted fault: $(wc -l <"$scratch/baseline") schedules break"

patches=("$@")
[ ${#patches[@]} -eq 0 ] && patches=("$here"/scripts/planted-faults/*.patch)
missed=0
printf '%-48s %6s %10s  %s\n' "planted fault" seed schedules "what broke"
for patch in "${patches[@]}"; do
  name=$(basename "$patch" .patch)
  git -C "$tree" checkout -q -- . && git -C "$tree" apply "$patch" || { echo "$name: does not apply"; missed=1; continue; }
  if ! cmake --build "$tree/build" --target store_tests >"$scratch/build.log" 2>&1; then
    echo "$name: does not build"; tail -20 "$scratch/build.log"; missed=1; continue
  fi
  simulate "$scratch/planted"
  found=$(grep -vxF -f "$scratch/baseline" "$scratch/planted" | head -1)
  if [ -z "$found" ]; then
    printf '%-48s %6s %10s  %s\n' "$name" - - "NOT FOUND"
    missed=1
  else
    seed=$(echo "$found" | cut -d' ' -f3 | tr -d :)
    printf '%-48s %6s %10s  %s\n' "$name" "$seed" "$seed" "${found#*: *: }"
  fi
done
git -C "$tree" checkout -q -- .
exit $missed
