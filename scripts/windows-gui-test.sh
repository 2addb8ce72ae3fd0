#!/usr/bin/env bash
# CI's Windows stage for the programs: `make windows` with the Qt programs' tests, those tests
# under wine (the offscreen platform; the perspective view's in a virtual X display), then the
# release's real windows and its installer (scripts/windows-smoke.sh).
#   scripts/windows-gui-test.sh [Windows build, default build-windows] [Linux build, default build]
#   (Qt for Windows comes from ../shared/toolchains when it is there; else it is built, about
#   40 minutes. Needs scripts/install-deps.sh --ci and the Linux programs of `make build`.)
# The cases a test program skipped are listed with their reasons at the end of its output.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
native="${2:-build}"

t0=$(date +%s)
QM_WINDOWS_TESTS=ON scripts/windows-build.sh "$build"
t1=$(date +%s)

source scripts/wine-prefix.sh

status=0
# Qt Test prints each skipped case with its reason (SKIP   : ...); -V keeps them in the log.
mkdir -p "$build/Testing"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest -V --timeout 300 -j"${JOBS:-$(nproc 2>/dev/null || echo 2)}" \
  -R '^(editor_tests|perspective_tests|pixloom_tests|gui_tests|command_model_tests|csv_gui_tests|csv_menu_tests|file_assoc_dlg_tests|version\..*)$' \
  > Testing/wine-gui.log 2>&1) || status=$?
if [ "$status" -ne 0 ]; then
  # Everything but the passing cases and Qt's warnings: the failures with their details.
  grep -v -E '^[0-9]+: (PASS|QWARN|QDEBUG) ' "$build/Testing/wine-gui.log" | tail -n 300
else
  grep -E '^[0-9]+: (SKIP|XPASS) |^[0-9]+: Totals|tests passed' "$build/Testing/wine-gui.log" || true
fi
"$wineserver" -k 2>/dev/null || true
t2=$(date +%s)

scripts/windows-smoke.sh "$build" "$native" || status=1
t3=$(date +%s)
echo "windows-gui-test: build and packages $((t1 - t0)) s, tests under wine $((t2 - t1)) s, real windows and installer $((t3 - t2)) s"
exit "$status"
