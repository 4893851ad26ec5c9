#!/usr/bin/env bash
# Builds the sync's table printer and puts its table in docs/ARCHITECTURE.md.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${SORVEL_BUILD_DIR:-$here/build}
cmake --build "$build" --target sorvel-sync-table
python3 "$here/scripts/check-sync-table.py" --printer "$build/tools/sorvel-sync-table" --write
