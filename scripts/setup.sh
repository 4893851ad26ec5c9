#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libgtest-dev googletest libbenchmark-dev libsimdjson-dev
  fonts-noto-cjk qt6-translations-l10n
  xvfb xauth libxcb-cursor0 qt6-qpa-plugins libxcb1-dev openbox
  desktop-file-utils xdg-utils
  clang-format python3
)
# Only names of real packages: a name no package carries (a virtual one) would
# count as missing on every run and send each run to the package sources.
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# npm fetches the icon package; some machines carry a node build that bundles npm
command -v npm >/dev/null 2>&1 || missing+=(nodejs npm)
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
