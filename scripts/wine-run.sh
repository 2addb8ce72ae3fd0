#!/usr/bin/env bash
# Runs a cross-built Windows program under wine, quietly and in a prefix of its own, so that
# CTest (CMAKE_CROSSCOMPILING_EMULATOR) and build steps can start .exe files like native ones.
#   WINEPREFIX  defaults to a prefix in the temporary folder, made on first use
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/qm-wine-$(id -u)}"
# No display, no desktop integration: wine must not try to open windows or install menus.
export DISPLAY=
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}"
wine="$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || command -v wine || true)"
if [ -z "$wine" ]; then
  echo "wine-run: wine not found; run scripts/install-deps.sh --ci" >&2
  exit 127
fi
exec "$wine" "$@"
