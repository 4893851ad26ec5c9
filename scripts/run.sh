#!/usr/bin/env bash
# Installs what is missing, builds, registers Sorvel for this user as the
# handler of sorvel:// links, and starts the application.
# SORVEL_NO_REGISTER=1 skips the registration.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${SORVEL_BUILD_DIR:-$here/build}
app="$build/src/app/sorvel"
if [ ! -x "$app" ]; then
  echo "Sorvel is built, but there is no application to start yet."
  exit 0
fi

# Writes the desktop entry (pointing at this build) and the icon into the
# user's data folder and makes it the default for sorvel:// links. Nothing
# here may stop the program from starting.
register_link_handler() {
  local data_home=${XDG_DATA_HOME:-}
  if [ -z "$data_home" ]; then
    [ -n "${HOME:-}" ] || return 1
    data_home="$HOME/.local/share"
  fi
  local applications="$data_home/applications"
  mkdir -p "$applications" "$data_home/icons" || return 1

  # The build wrote this entry with the Exec line quoted for this build's program.
  cp "$build/src/app/build-tree/sorvel.desktop" "$applications/sorvel.desktop" || return 1
  cp -R "$here/packaging/icons/hicolor" "$data_home/icons/" || true

  if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database -q "$applications" || true
  fi
  if command -v xdg-mime >/dev/null 2>&1; then
    xdg-mime default sorvel.desktop x-scheme-handler/sorvel || true
  else
    echo "xdg-mime is missing: sorvel:// links are not registered." >&2
  fi
}

if [ "${SORVEL_NO_REGISTER:-0}" != 1 ]; then
  register_link_handler || echo "Could not register the sorvel:// link handler; starting anyway." >&2
fi
exec "$app" "$@"
