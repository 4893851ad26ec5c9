#!/usr/bin/env bash
# A set-up run on a machine that already has every package installs nothing
# and asks no package source: apt-get, apt and sudo are replaced on PATH by
# tools that note the call and fail. A second case hides the installed
# packages from dpkg-query, to show that a set-up which does reach for the
# package tool is caught here.
# Usage: setup-offline.sh <path of scripts/setup.sh>
set -uo pipefail
setup=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

make_shims() { # <dir> <calls file>
  mkdir -p "$1"
  for tool in apt-get apt sudo; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\nexit 100\n' "$tool" "$2" >"$1/$tool"
    chmod +x "$1/$tool"
  done
}

# 1. Everything installed: no call to the package tools, and success.
calls="$scratch/calls-installed"
make_shims "$scratch/shims" "$calls"
if ! PATH="$scratch/shims:$PATH" bash "$setup" >"$scratch/out-installed" 2>&1; then
  echo "set-up failed on a machine that has everything:"; cat "$scratch/out-installed"
  failures=$((failures + 1))
fi
if [ -s "$calls" ]; then
  echo "set-up asked the package tools although nothing is missing:"; cat "$calls"
  failures=$((failures + 1))
fi

# 2. dpkg-query reports nothing installed: set-up must reach for apt-get and
#    fail with it, so the first case really watches the package tools.
calls="$scratch/calls-missing"
make_shims "$scratch/shims-missing" "$calls"
printf '#!/bin/sh\necho "unknown ok not-installed"\n' >"$scratch/shims-missing/dpkg-query"
chmod +x "$scratch/shims-missing/dpkg-query"
if PATH="$scratch/shims-missing:$PATH" bash "$setup" >"$scratch/out-missing" 2>&1; then
  echo "set-up succeeded although the package tool it needed failed"
  failures=$((failures + 1))
fi
if ! grep -q 'apt-get update' "$calls" 2>/dev/null; then
  echo "set-up did not ask the package sources for missing packages:"; cat "$calls" 2>/dev/null
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "set-up: installs nothing when nothing is missing"
exit "$failures"
