#!/usr/bin/env bash
# Configures and builds into ./build (or $SORVEL_BUILD_DIR); any arguments are
# passed to the configure step (-DSORVEL_WERROR=ON, -DSORVEL_SANITIZE=ON, -DSORVEL_TSAN=ON).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVEL_BUILD_DIR:-$here/build}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
