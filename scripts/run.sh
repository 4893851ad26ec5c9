#!/usr/bin/env bash
# Installs what is missing, builds, and starts the application.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${SORVEL_BUILD_DIR:-$here/build}
if [ ! -x "$build/src/app/sorvel" ]; then
  echo "Sorvel is built, but there is no application to start yet."
  exit 0
fi
exec "$build/src/app/sorvel" "$@"
