#!/usr/bin/env bash
# `make windows`: QM4Edit, Pixloom, qm4tool and textool for 64-bit Windows, cross-built with
# MinGW-w64 against Qt for Windows (made first when missing: scripts/build-qt-windows.sh),
# then the portable zip and the installer:
#   build-windows/QM4Edit-Pixloom-<version>-win64.zip
#   build-windows/QM4Edit-Pixloom-<version>-win64-setup.exe
#   scripts/windows-build.sh [build folder, default build-windows]
#   (needs scripts/install-deps.sh --ci: MinGW-w64, wine, nsis)
# The build runs two of its own programs under wine (the icon renderer and the demo files'
# generators). A build folder made before is reused as it is configured, tests and all.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-windows}"
jobs="${JOBS:-$(nproc 2>/dev/null || echo 2)}"

qt="$(scripts/build-qt-windows.sh)"

fresh=()
if [ ! -f "$build/CMakeCache.txt" ]; then
  fresh=(-DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQM_MINGW_SHARED_RUNTIME=ON -DCMAKE_BUILD_TYPE=Release
    -DQM_BUILD_TESTS=OFF -DQM_BUILD_BENCH=OFF -DQM_WERROR=ON)
  command -v ccache >/dev/null 2>&1 && fresh+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# QM_WINDOWS_TESTS=ON adds the Qt programs' tests (scripts/windows-gui-test.sh runs them).
[ -z "${QM_WINDOWS_TESTS:-}" ] || fresh+=(-DQM_BUILD_TESTS="$QM_WINDOWS_TESTS" -DQM_BUILD_CORE_TESTS=OFF)
cmake -S . -B "$build" "${fresh[@]}" >/dev/null

# One wine prefix, made before the build starts programs in it side by side.
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/qm-wine-$(id -u)}"
[ -f "$WINEPREFIX/system.reg" ] || scripts/wine-run.sh wineboot -i >/dev/null 2>&1 || true

cmake --build "$build" -j"$jobs"
(cd "$build" && cpack -G ZIP >/dev/null && cpack -G NSIS64 >/dev/null)

version="$(sed -n 's/^project([A-Za-z0-9]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
zip="$PWD/$build/QM4Edit-Pixloom-$version-win64.zip"
setup="$PWD/$build/QM4Edit-Pixloom-$version-win64-setup.exe"
for f in "$zip" "$setup"; do
  [ -f "$f" ] || { echo "windows-build: $f was not made" >&2; exit 1; }
done
echo "Portable zip: $zip"
echo "Installer:    $setup"
