#!/usr/bin/env bash
# Installs what is missing, checks the layering and that the data file's code reaches the disk
# only through FileSystem, builds with warnings as errors, checks the sync's table on the map,
# runs every test, runs each test program again in a shuffled order, runs the
# core and store tests again under AddressSanitizer
# and UndefinedBehaviorSanitizer (./build-asan, or $SORVEL_ASAN_BUILD_DIR) and
# under ThreadSanitizer (./build-tsan, or $SORVEL_TSAN_BUILD_DIR), and checks
# the format.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
python3 "$here/scripts/check-layers.py"
python3 "$here/scripts/check-file-seam.py"
"$here/scripts/build.sh" -DSORVEL_WERROR=ON
build=${SORVEL_BUILD_DIR:-$here/build}
python3 "$here/scripts/check-sync-table.py" --printer "$build/tools/sorvel-sync-table"
asan_build=${SORVEL_ASAN_BUILD_DIR:-$here/build-asan}
tsan_build=${SORVEL_TSAN_BUILD_DIR:-$here/build-tsan}

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
# The simulations are one test each, whose schedules no order of tests changes:
# they ran above and are not run again.
for program in core_tests store_tests studio_tests app_tests widget_tests; do
  "$build/tests/$program" --gtest_shuffle --gtest_random_seed="$seed" --gtest_brief=1 \
    --gtest_filter='-SyncSimulation.*:RealLayerSimulation.*' >"$scratch/$program.shuffled" 2>&1 &
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

echo "== Core and store tests under ThreadSanitizer"
SORVEL_BUILD_DIR=$tsan_build "$here/scripts/build.sh" -DSORVEL_TSAN=ON -DSORVEL_WERROR=ON
# die_after_fork=0: the tests fork children that run a store, and so a worker thread, of their own.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$here/scripts/tsan.supp"
# Left out, as the race detector has nothing to see in them or cannot follow them:
# - the sync's simulation runs the sync on one thread, with a simulated worker (the
#   simulation over the real file code runs, with a few hundred schedules: the jobs the
#   disk holds run on a thread of their own);
# - the fast coding's tests code large libraries on one thread, for minutes under TSan;
# - the test whose other program is a QProcess: Qt starts it with a clone that shares
#   the parent's memory (CLONE_VM|CLONE_VFORK), which TSan does not see; the child's
#   calls into TSan's interceptors then unsettle the parent's state, and it reports a race
#   on data the store handed to its worker under a mutex.
# Half the cores: the quit's and the start's time bounds allow a busy machine, not
# one where every core runs a test slowed down by TSan several times over.
(cd "$tsan_build" && ctest --output-on-failure --parallel "$((($(nproc) + 1) / 2))" --timeout 300 \
  -E '^(SyncSimulation\.|FastCodingTest\.|ProjectStoreMerge\.DeletionSurvivesAnotherProgramRewritingAFileOfTheEarlierFormat$)')

"$here/scripts/check-format.sh"
