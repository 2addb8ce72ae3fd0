#!/usr/bin/env bash
# Cross-builds the Qt-free parts and their tests for Windows and runs the tests under wine.
#   scripts/windows-test.sh [build folder, default build-win]
#   (needs MinGW-w64, googletest and wine: scripts/install-deps.sh --ci)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-win}"
scripts/check-windows-build.sh "$build"

# One prefix for the whole run, made before the tests start so parallel tests do not race
# to create it; one wine server kept alive across them, stopped at the end.
export WINEPREFIX="${WINEPREFIX:-$(mktemp -d "${TMPDIR:-/tmp}/qm-wine.XXXXXX")}"
export WINEDEBUG=-all
scripts/wine-run.sh wineboot -i >/dev/null 2>&1 || true
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"
"$wineserver" -p 60 || true
status=0
(cd "$build" && ctest --output-on-failure -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}" --timeout 300) || status=$?
"$wineserver" -k 2>/dev/null || true
exit "$status"
