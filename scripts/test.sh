#!/usr/bin/env bash
# Installs what is missing, checks the layering, builds with warnings as errors, checks the sync's table on the map,
# runs every test, runs each test program again in a shuffled order, runs the
# core and store tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer (./build-asan, or $SORVEL_ASAN_BUILD_DIR), and
# checks the format.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
python3 "$here/scripts/check-layers.py"
"$here/scripts/build.sh" -DSORVEL_WERROR=ON
build=${SORVEL_BUILD_DIR:-$here/build}
python3 "$here/scripts/check-sync-table.py" --printer "$build/tools/sorvel-sync-table"
asan_build=${SORVEL_ASAN_BUILD_DIR:-$here/build-asan}

# Tests never see the real home: each suite makes its own XDG folders as well.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/data" "$scratch/config" "$scratch/runtime" "$scratch/state"
chmod 700 "$scratch/runtime"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" XDG_STATE_HOME="$scratch/state"
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)

# Once more, each test program on its own with its tests in a shuffled order, so
# that a test that leans on another one's leftovers shows. The seed is printed;
# SORVEL_SHUFFLE_SEED=<seed> scripts/test.sh repeats the order.
seed=${SORVEL_SHUFFLE_SEED:-$((RANDOM % 99999 + 1))}
echo "== Every test program in a shuffled order, seed $seed"
shuffled_failed=0
for program in core_tests store_tests studio_tests app_tests widget_tests; do
  "$build/tests/$program" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1 \
    >"$scratch/$program.shuffled" 2>&1 &
  echo "$! $program" >>"$scratch/shuffled.pids"
done
while read -r pid program; do
  if wait "$pid"; then
    echo "$program, shuffled: $(grep '^\[  PASSED  \]' "$scratch/$program.shuffled")"
  else
    cat "$scratch/$program.shuffled"
    echo "$program: FAILED in shuffled order, seed $seed (repeat: $build/tests/$program --gtest_shuffle --gtest_random_seed=$seed)"
    shuffled_failed=1
  fi
done <"$scratch/shuffled.pids"
[ "$shuffled_failed" -eq 0 ]

echo "== Core and store tests under AddressSanitizer and UndefinedBehaviorSanitizer"
SORVEL_BUILD_DIR=$asan_build "$here/scripts/build.sh" -DSORVEL_SANITIZE=ON -DSORVEL_WERROR=ON
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$asan_build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)

"$here/scripts/check-format.sh"
