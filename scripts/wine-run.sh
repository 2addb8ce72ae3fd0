#!/usr/bin/env bash
# Runs a cross-built Windows program under wine, quietly and in a prefix of its own, so that
# CTest (CMAKE_CROSSCOMPILING_EMULATOR) and build steps can start .exe files like native ones.
#   WINEPREFIX  defaults to a prefix in the temporary folder, made on first use
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/qm-wine-$(id -u)}"
# No display, no desktop integration: wine must not try to open windows or install menus.
# A caller that runs windows on purpose (under xvfb-run) keeps its display.
[ -n "${QM_WINE_KEEP_DISPLAY:-}" ] || export DISPLAY=
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}"
# Wine keeps the Unix side's QT_ variables from Windows programs (they are meant for Qt on
# Linux) and hands on a WINE-prefixed copy instead: QT_QPA_PLATFORM reaches the program only
# as WINEQT_QPA_PLATFORM.
# Qt's messages and Qt Test's report go to the console, not the debugger's channel: a program
# started from a Unix shell has no console window, which Qt takes as having no console.
export QT_FORCE_STDERR_LOGGING="${QT_FORCE_STDERR_LOGGING:-1}"
for name in $(compgen -e); do
  case "$name" in QT_*) export "WINE$name=${!name}" ;; esac
done
wine="$(command -v wine64 || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || command -v wine || true)"
if [ -z "$wine" ]; then
  echo "wine-run: wine not found; run scripts/install-deps.sh --ci" >&2
  exit 127
fi
exec "$wine" "$@"
